#pragma once
// What the page tests share: one instance of the reference frame with the simulated positioner
// behind its channel (offline until Online()), and a host widget that keeps a page as the
// navigation control's page area does.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/clsDataElement.h"
#include "devicemodel/DeviceModel.h"
#include "dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/GUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/TransactionGroup.h"
#include "sim/SimulatedPositioner.h"
#include "support/DeviceLog.h"
#include "support/FrameInstanceFixture.h"
#include "ui/parameterpages/PageBase.h"
#include "ui/parameterpages/ParameterPage.h"
#include "ui/parameterpages/ParameterPages.h"
#include "value/ValueList.h"

namespace kv::pagetest {

using test_support::Address;
using test_support::RequestsAt;

struct PageBench : test_support::FrameBench {
    // The number of the next page's GUI function call ("7.ctlId$", then "8.ctlId$", ...).
    int nextCall = 7;

    explicit PageBench(std::vector<int32_t> answers = {})
        : PageBench(std::make_shared<ScriptedPrompt>(std::move(answers))) {}
    // With a prompt of the test's own (one that acts while a question is open).
    explicit PageBench(std::shared_ptr<ScriptedPrompt> withPrompt)
        : FrameBench(std::move(withPrompt)) {}
    std::shared_ptr<DTMMain> Dtm() { return instance->dtm; }
    GUIManager& Gui() { return dynamic_cast<GUIManager&>(Ctx().GUIManager()); }
    clsDataElement& At(const std::string& path) { return ElementAt(Ctx().Parameters(), path); }
    // Connected, start-up reads done, the device's log, the frame's records and the prompt's
    // records cleared.
    void Online() {
        ASSERT_TRUE(FrameBench::Online());
        Clear();
    }
    void Clear() {
        device->ClearLog();
        Events().Clear();
        prompt->messages.clear();
        prompt->questions.clear();
    }
    void Settle() { session->Settle(); }
    // Requests that reached the device, per address (slot, index).
    std::map<Address, int> Logged(bool writes) const { return RequestsAt(*device, writes); }
    Address AddressOf(const std::string& path) {
        clsDataElement& e = At(path);
        return {e.Slot, e.index};
    }
    // The progress reports the frame got, as "title percent", with " end" where the report
    // ends the display.
    std::vector<std::string> Progress() const {
        std::vector<std::string> out;
        for (const FrameEvent& e : events->All()) {
            if (e.kind == FrameEvent::kProgress)
                out.push_back(e.text + " " + std::to_string(e.percent) + (e.show ? "" : " end"));
        }
        return out;
    }
};

// A page in a host widget, shown, as the page area holds it.
struct HostedPage {
    std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
    PageBase* page = nullptr;

    explicit HostedPage(std::unique_ptr<PageBase> made) {
        host->resize(900, 700);
        page = made.release();
        page->setParent(host.get());
        page->resize(page->DesignSize());
        host->show();
        page->show();
    }
    PageBase* operator->() const { return page; }
};

// The parameter page of a class, hosted and initialised as a main window's child "7.<class>$"
// (the next page "8.<class>$", ...); BlockIndex as stored in its bag.
inline HostedPage OpenPage(PageBench& b, const std::string& className, int16_t blockIndex = 1) {
    std::unique_ptr<PageBase> made = CreateParameterPage(className);
    if (!made)
        throw std::runtime_error("no page " + className);
    made->SetBlockIndex(blockIndex);
    HostedPage hosted(std::move(made));
    const std::string call = std::to_string(b.nextCall++) + "." + className + "$";
    if (!hosted->Init(call, "", b.Dtm()))
        throw std::runtime_error("Init of " + className + " failed");
    return hosted;
}

// The Transducer and Analog Output blocks number 2 beside number 1.
inline void AddSecondBlocks(IDTMContext& context) {
    for (const BlockDefinition& block : DeviceModel()->Blocks()) {
        if (block.CreateBlockModel && block.blockType != pbfPhysicalBlock)
            block.CreateBlockModel(context, 2);
    }
    for (const auto& e : context.Parameters().Elements()) {
        if (e->TransientValue().isEmpty())
            e->InitNew();
    }
}

// The row of a page by its designer tag (and array index where tags repeat).
inline ctlParameter& RowOf(const PageBase& page, const std::string& tag) {
    for (ctlParameter* row : page.Rows()) {
        if (row->ParameterTag() == tag)
            return *row;
    }
    throw std::runtime_error("no row " + tag);
}

// The element a row is bound to; nullptr when it is bound to none.
inline clsDataElement* ElementOf(const PageBase& page, const ctlParameter& row) {
    IPrivateParamLink* link = page.Site()->GetParamLink(row);
    return link ? AsDataElement(link->DataElement()) : nullptr;
}

// Whether the user can change the row's value now.
inline bool Usable(const ctlParameter& row) {
    return row.Visible() && row.isEnabled() && !row.ReadOnly();
}

// The user types into a row's field and leaves the edit pending.
inline QLineEdit& TypePending(ctlParameter& row, const QString& text) {
    auto* field = row.findChild<QLineEdit*>();
    if (field == nullptr)
        throw std::runtime_error("no field in " + row.ParameterTag());
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
    return *field;
}

// The user types a text into a row's field and presses Enter.
inline void Type(ctlParameter& row, const QString& text) {
    QTest::keyClick(&TypePending(row, text), Qt::Key_Return);
}

// The user chooses the entry with this number from a row's value list.
inline void Choose(ctlParameter& row, int32_t number) {
    auto* choice = row.findChild<QComboBox*>();
    if (choice == nullptr)
        throw std::runtime_error("no choice in " + row.ParameterTag());
    const kv::ValueList list(row.ValueList());
    int index = 0;
    for (const kv::ValueList::Entry& e : list.Entries()) {
        if (e.number == number) {
            choice->setCurrentIndex(index);
            emit choice->activated(index);
            return;
        }
        ++index;
    }
    throw std::runtime_error("no entry " + std::to_string(number) + " in " + row.ParameterTag());
}

// The user ticks or clears the bit with this number in a row's bit list.
inline void Tick(ctlParameter& row, int32_t bit, bool set) {
    auto* bits = row.findChild<QListWidget*>();
    if (bits == nullptr)
        throw std::runtime_error("no bit list in " + row.ParameterTag());
    const kv::ValueList list(row.ValueList());
    int index = 0;
    for (const kv::ValueList::Entry& e : list.Entries()) {
        if (e.number < 0 || e.number > 1023)
            continue;  // no bit the row shows
        if (e.number == bit) {
            bits->item(index)->setCheckState(set ? Qt::Checked : Qt::Unchecked);
            return;
        }
        ++index;
    }
    throw std::runtime_error("no bit " + std::to_string(bit) + " in " + row.ParameterTag());
}

inline ParameterPage& AsParameterPage(const HostedPage& hosted) {
    return dynamic_cast<ParameterPage&>(*hosted.page);
}

// The paths a read or a write of the page puts into its group, in the order of adding;
// "(not started)" when it did not start.
inline std::vector<std::string> Requests(ParameterPage& page, bool write) {
    if (!(write ? page.WriteParameter() : page.ReadParameter()))
        return {"(not started)"};
    std::vector<std::string> paths;
    for (const TransactionJob& job : dynamic_cast<TransactionGroup&>(*page.Group()).Requests())
        paths.push_back(job.path + (job.isWrite == write ? "" : " (wrong direction)"));
    return paths;
}

// The paths of the elements the page's rows are bound to, in designer order.
inline std::vector<std::string> BoundPaths(const PageBase& page) {
    std::vector<std::string> paths;
    for (ctlParameter* row : page.Rows()) {
        clsDataElement* e = ElementOf(page, *row);
        paths.push_back(e ? e->Name() : "(none)");
    }
    return paths;
}

inline bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace kv::pagetest
