#include "frame/window/InstanceTabs.h"

#include <QTabWidget>
#include <algorithm>
#include <string>

#include "frame/window/InstanceModel.h"
#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateGUI.h"

namespace kv {

const InstanceTabs::Tab* InstanceTabs::Find(const QWidget* page) const {
    if (page == nullptr)
        return nullptr;
    const auto it =
        std::find_if(open_.begin(), open_.end(), [page](const Tab& t) { return t.page == page; });
    return it != open_.end() ? &*it : nullptr;
}

int InstanceTabs::Count() const {
    return tabs_.count();
}

QWidget* InstanceTabs::Page(int index) const {
    return index >= 0 && index < tabs_.count() ? tabs_.widget(index) : nullptr;
}

InstanceEntry* InstanceTabs::EntryOf(const QWidget* page) const {
    const Tab* tab = Find(page);
    return tab != nullptr ? tab->entry : nullptr;
}

int InstanceTabs::IndexOf(const InstanceEntry& entry, int32_t applicationId) const {
    for (int i = 0; i < tabs_.count(); ++i) {
        const Tab* tab = Find(tabs_.widget(i));
        if (tab != nullptr && tab->entry == &entry && tab->applicationId == applicationId)
            return i;
    }
    return -1;
}

QWidget* InstanceTabs::Add(std::unique_ptr<QWidget> page, InstanceEntry& entry,
                           int32_t applicationId, const QString& title) {
    // The pages of deleted tabs go from the record first.
    std::erase_if(open_, [](const Tab& t) { return t.page.isNull(); });
    QWidget* shown = page.release();
    open_.push_back({shown, &entry, applicationId});
    tabs_.setCurrentIndex(tabs_.addTab(shown, title));
    return shown;
}

void InstanceTabs::ShowFirstOf(const InstanceEntry& entry) {
    if (EntryOf(tabs_.currentWidget()) == &entry)
        return;
    for (int i = 0; i < tabs_.count(); ++i) {
        if (EntryOf(tabs_.widget(i)) == &entry) {
            tabs_.setCurrentIndex(i);
            return;
        }
    }
}

void InstanceTabs::Retitle(
    const std::function<QString(const InstanceEntry&, int32_t applicationId)>& title) {
    for (int i = 0; i < tabs_.count(); ++i) {
        if (const Tab* tab = Find(tabs_.widget(i)))
            tabs_.setTabText(i, title(*tab->entry, tab->applicationId));
    }
}

bool InstanceTabs::DropsInput(const QWidget& page) const {
    const Tab* tab = Find(&page);
    if (tab == nullptr)
        return false;
    // The tab's user interface and those inside it (registered under its call and a dot).
    IGUIManager& gui = tab->entry->Ctx().GUIManager();
    const std::string id = std::to_string(tab->applicationId);
    bool drops = false;
    for (const std::string& guiId : gui.FunctionIds()) {
        if (guiId != id && !guiId.starts_with(id + "."))
            continue;
        if (const std::shared_ptr<IPrivateGUI> ui = gui.GetGUI(guiId)) {
            ui->ValidateParameters();
            drops = drops || ui->HoldsUncommittedInput();
        }
    }
    return drops;
}

bool InstanceTabs::Release(QWidget* page) {
    auto* control = dynamic_cast<IDtmActiveXControl*>(page);
    if (control != nullptr && !control->PrepareToRelease())
        return false;
    std::erase_if(open_, [page](const Tab& t) { return t.page == page || t.page.isNull(); });
    tabs_.removeTab(tabs_.indexOf(page));
    page->hide();
    page->deleteLater();
    return true;
}

}  // namespace kv
