#include "ui/framework/ParamLinkPrototype.h"

namespace kv {

namespace {

// Stand-in until the parameter link joins: binds nothing.
class PrototypeLink : public IPrivateParamLink {
  public:
    std::shared_ptr<IPrivateParamLink> GetNewParamLink() override {
        return std::make_shared<PrototypeLink>();
    }
    IPrivateDataElement* DataElement() override { return nullptr; }
    IParameterRow* ParameterCtl() override { return nullptr; }
    void InitLink(IDTMContext&, IParameterRow&, const IStatusImages&, const std::string&) override {
    }
    void TerminateLink() override {}
    void InitLanguageDependent(int32_t) override {}
    void UpdateParameter() override {}
    void ValidateParameter() override {}
};

}  // namespace

std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(bool /*onlineMode*/) {
    return std::make_shared<PrototypeLink>();
}

}  // namespace kv
