#pragma once
// The per-instance holder that the DTM object stores in its context: the archive object, the
// navigation tree model and the last operation phase the frame asked for.

#include <memory>

#include "platform/controls/Archive.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IStateObject.h"
#include "ui/framework/clsNavigation.h"

namespace kv {

class DTMState : public IStateObject,
                 public IOperationPhaseHolder,
                 public INavigationHolder,
                 public IArchiveHolder {
  public:
    // Creates the archive (registered with the context for persistence under
    // Archive::kTypeName), the operation phase and the tree model attached to the context.
    void Init(IDTMContext& context) override;
    // Nothing to do.
    void Terminate() override {}

    const std::shared_ptr<kv::Archive>& Archive() const { return m_Archive; }
    std::shared_ptr<IArchive> ArchiveObject() const override { return m_Archive; }
    std::shared_ptr<clsNavigation> Navigation() const override { return m_Navigation; }
    std::shared_ptr<IOperationPhase> LastOpPhase() const override { return m_LastOpPhase; }
    void SetLastOpPhase(std::shared_ptr<IOperationPhase> phase) override {
        m_LastOpPhase = std::move(phase);
    }

  private:
    std::shared_ptr<kv::Archive> m_Archive;
    std::shared_ptr<clsNavigation> m_Navigation;
    std::shared_ptr<IOperationPhase> m_LastOpPhase;
};

}  // namespace kv
