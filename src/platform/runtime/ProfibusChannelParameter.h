#pragma once
// The runtime's PROFIBUS channel parameter object and its channel parameter document.
//
// The document (well-formed XML, UTF-8; every property once, as an attribute):
//
//   <FDT>
//     <FDTChannel nodeId="<system tag of the instance>" protocolId="036D1497-..." initFlag="false"
//                 tag="SP_Val" name="SP_Val" channelId="SP_Val" assigned="false"
//                 channelNumber="1" description="SP_Val" dataType="float" signalType="output"
//                 frameApplicationTag="..." groupName="...">
//       <DTM vendor="..." version="1.0.0" date="2026-12-08" descriptor="..."/>
//       <ProfibusDPAddress slot="1" index="25"/>
//       <BitRange bitPosition="0" bitLength="32" floatValue="1" channelFlag="1" channelOption="0"/>
//     </FDTChannel>
//   </FDT>
//
// Values: text as it stands; Boolean "true"/"false" ("1"/"0" are read too); date as
// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"; numbers as decimal integers within the property's range
// (32-bit or 16-bit). An Empty or Null property is left out, and a missing attribute reads as
// Empty. nodeId is written when a context is given and is not a property: it is not read back.
// channelId must be present and not empty for the document to be read.

#include <array>
#include <string>

#include "platform/runtime/IProfibusChannelParameter.h"

namespace kv {

class ProfibusChannelParameter : public IProfibusChannelParameter {
  public:
    const Variant& Get(ChannelProperty property) const override;
    void Set(ChannelProperty property, const Variant& value) override;

    // Throws when a property holds a value that its document form cannot take.
    std::string ToXml(IDTMContext* context) const override;
    bool FromXml(const std::string& text, IDTMContext* context) override;

  private:
    std::array<Variant, kChannelPropertyCount> values_;
};

}  // namespace kv
