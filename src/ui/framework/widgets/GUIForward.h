#pragma once
// What the GUI list holds of a page: the runtime's calls forwarded to the page while the page
// exists and is initialised, so that a call after its release or its destruction does nothing.
// Page: a QObject with the IPrivateGUI members and IsInitialised().

#include <QPointer>
#include <cstdint>

#include "platform/runtime/IPrivateGUI.h"

namespace kv {

template <class Page>
class GUIForward final : public IPrivateGUI {
  public:
    explicit GUIForward(Page* page) : page_(page) {}

    bool CloseGUI() override { return Live() ? page_->CloseGUI() : true; }
    void LockStateChanged(bool locked) override {
        if (Live())
            page_->LockStateChanged(locked);
    }
    void ParameterChanged(IPrivateDataElement& element) override {
        if (Live())
            page_->ParameterChanged(element);
    }
    void ParameterSetChanged() override {
        if (Live())
            page_->ParameterSetChanged();
    }
    void ValidateParameters() override {
        if (Live())
            page_->ValidateParameters();
    }
    void SetLanguage(int32_t languageId) override {
        if (Live())
            page_->SetLanguage(languageId);
    }
    bool HoldsUncommittedInput() override {
        if constexpr (requires(Page & page) { page.HoldsUncommittedInput(); })
            return Live() && page_->HoldsUncommittedInput();
        else
            return false;
    }

  private:
    bool Live() const { return page_ && page_->IsInitialised(); }
    QPointer<Page> page_;
};

}  // namespace kv
