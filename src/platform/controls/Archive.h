#pragma once
// The archive object of an instance: which curves are switched on and the samples recorded for
// each curve. Created by the DTM's state holder and persisted with the instance.
//
// Property-bag keys:
//   "Archive.CheckCurveEnabled"  Long: bit i - 1 set when curve i is on; -1 never configured.
//                                A Boolean of older projects reads as True -1, False 0.
//   "Archive.TraceCount"         Long: the number of stored traces.
//   "Archive.Trace<n>.Element"   String: the path of the element the trace records (n from 1).
//   "Archive.Trace<n>.Samples"   byte array: the samples (ArchiveTrace::Encode).
// A damaged value never fails the load: it is left out, described in LoadProblems, and a damaged
// trace is written back unchanged until its curve records again.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/ArchiveTrace.h"
#include "platform/runtime/IPropertyBag.h"

namespace kv {

class IArchive {
  public:
    virtual ~IArchive() = default;
    // Bit i - 1 set when curve i is switched on for recording and display; -1 when the curves
    // were never configured.
    virtual int32_t CheckCurveEnabled() const = 0;
    virtual void SetCheckCurveEnabled(int32_t mask) = 0;
    // The samples recorded for the element with this path; created empty on first use. A trace
    // lives as long as the archive: a load or InitNew empties it, never drops it.
    virtual ArchiveTrace& Trace(const std::string& elementPath) = 0;
    // nullptr when no trace exists for the path.
    virtual const ArchiveTrace* FindTrace(const std::string& elementPath) const = 0;
    // What the last load could not take, one sentence each; empty when everything loaded.
    virtual const std::vector<std::string>& LoadProblems() const = 0;
};

// What holds the instance's archive object: the DTM's state holder, which the pages find as the
// context's state object.
class IArchiveHolder {
  public:
    virtual ~IArchiveHolder() = default;
    // nullptr before the holder was initialised.
    virtual std::shared_ptr<IArchive> ArchiveObject() const = 0;
};

class Archive : public IArchive, public IPersistObject {
  public:
    // The name under which the object registers for persistence.
    static constexpr const char* kTypeName = "Archive";

    int32_t CheckCurveEnabled() const override { return checkCurveEnabled_; }
    void SetCheckCurveEnabled(int32_t mask) override { checkCurveEnabled_ = mask; }
    ArchiveTrace& Trace(const std::string& elementPath) override;
    const ArchiveTrace* FindTrace(const std::string& elementPath) const override;
    const std::vector<std::string>& LoadProblems() const override { return problems_; }

    // Never configured, nothing recorded.
    bool InitNew() override;
    // Replaces the contents by the bag's; True also when values are damaged (see above).
    bool Load(const IPropertyBag& bag) override;
    bool Save(IPropertyBag& bag) override;

  private:
    struct Entry {
        std::string path;
        ArchiveTrace trace;
        std::optional<Variant> damaged;  // the stored value that did not decode
    };
    Entry* Find(const std::string& path) const;

    int32_t checkCurveEnabled_ = -1;
    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<std::string> problems_;
};

}  // namespace kv
