#pragma once
// A small online page for the tests and benchmarks of the row binding: parameter rows one under
// the other, the help pane the rows ask for, the binding site and a cyclic refresh whose
// requests are the rows' elements (a member of a record read as its record), as the online
// pages build them. Its user-interface side for the GUI list passes the element changes on to
// the site.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/clsDataElement.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/ctlParamHelp.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateGUI.h"
#include "platform/runtime/ITransactionGroup.h"
#include "ui/framework/clsParamLink.h"
#include "ui/framework/widgets/ctlCycle.h"

namespace kv::test_support {

class TestPage : public QWidget, public IParamHelpHost {
  public:
    explicit TestPage(QWidget* parent = nullptr) : QWidget(parent) {
        help = new ctlParamHelp(this);
        site = new ctlParamSite(this);
        cycle = new ctlCycle(this);
        cycle->SetAutomateDynamicIcons(true);
        QObject::connect(cycle, &ctlCycle::OnAddRequests, this,
                         [this](ITransactionGroup& group) { AddRequests(group); });
        resize(TwipsToPixels(6255, this), TwipsToPixels(6000, this));
    }

    // A row with its designer settings, placed below the others.
    ctlParameter* AddRow(const std::string& tag, int32_t controlType = 1, bool locked = false) {
        auto* row = new ctlParameter(this);
        row->SetParameterTag(tag);
        row->SetLabelText(tag);
        row->SetControlType(controlType);
        row->SetLocked(locked);
        row->setGeometry(
            TwipsRect(120, 360 + 360 * static_cast<int>(rows.size()), 6015, 315, this));
        rows.push_back(row);
        return row;
    }

    IParamHelp* GetParamHelpCtl() override { return help; }

    // The page's set-up: binding, cycle control (not started), language, values.
    void Init(IDTMContext& ctx, int32_t language = 9) {
        context = &ctx;
        auto prototype = std::make_shared<clsParamLink>();
        prototype->index = 1;
        prototype->bOnlineMode = true;
        site->Init(ctx, "page.test$", prototype);
        cycle->Init(ctx, scmDoNotStart);
        site->SetLanguage(language);
        site->ParameterSetChanged();
    }

    // The page's release: bindings end, cycling stops.
    void Release() {
        site->Release();
        cycle->Clear();
    }

    // The page as the GUI list sees it: element changes reach the site.
    class Gui : public IPrivateGUI {
      public:
        explicit Gui(TestPage* page) : page_(page) {}
        bool CloseGUI() override { return true; }
        void LockStateChanged(bool) override {}
        void ParameterChanged(IPrivateDataElement& element) override {
            if (page_)
                page_->site->ParameterChanged(element);
        }
        void ParameterSetChanged() override {
            if (page_)
                page_->site->ParameterSetChanged();
        }
        void ValidateParameters() override {
            if (page_)
                page_->site->Validate();
        }
        void SetLanguage(int32_t languageId) override {
            if (page_)
                page_->site->SetLanguage(languageId);
        }

      private:
        QPointer<TestPage> page_;
    };
    std::shared_ptr<IPrivateGUI> MakeGui() { return std::make_shared<Gui>(this); }

    // The read requests of the rows: one per element, or per record of a member; elements that
    // are not read from the device add nothing.
    void AddRequests(ITransactionGroup& group) {
        if (context == nullptr)
            return;
        std::set<std::string> added;
        for (IPrivateParamLink* link : site->Links()) {
            clsDataElement* element = AsDataElement(link->DataElement());
            if (element == nullptr)
                continue;
            clsDataElement* parent = element->GetParentParameter(context->Parameters());
            clsDataElement* target = parent != nullptr ? parent : element;
            if (target->IsUploadParam(*context) && added.insert(target->Name()).second)
                group.AddElement(*target, false);
        }
    }

    IDTMContext* context = nullptr;
    ctlParamHelp* help = nullptr;
    ctlParamSite* site = nullptr;
    ctlCycle* cycle = nullptr;
    std::vector<ctlParameter*> rows;
};

}  // namespace kv::test_support
