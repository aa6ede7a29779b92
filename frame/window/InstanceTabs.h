#pragma once
// What the window's tabs show: each the user interface of one function (its application id) of
// one instance. The window opens, finds, retitles and releases its tabs here; a page that goes
// another way leaves nothing behind.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QTabWidget;

namespace kv {

struct InstanceEntry;

class InstanceTabs {
  public:
    // The tab widget (the window's) must outlive this, and the entries the tabs name.
    explicit InstanceTabs(QTabWidget& tabs) : tabs_(tabs) {}

    int Count() const;
    // The page of the tab at that place; nullptr for a place without a tab.
    QWidget* Page(int index) const;
    // The instance whose function the page shows; nullptr for a page that is no tab here.
    InstanceEntry* EntryOf(const QWidget* page) const;
    // The tab that shows the function of the instance; -1 for none.
    int IndexOf(const InstanceEntry& entry, int32_t applicationId) const;

    // Shows the page in a new tab with that title and makes it the current one.
    QWidget* Add(std::unique_ptr<QWidget> page, InstanceEntry& entry, int32_t applicationId,
                 const QString& title);
    // Unless the current tab is the instance's, makes its first tab (if it has one) current.
    void ShowFirstOf(const InstanceEntry& entry);
    // Gives every tab the title of its instance's function.
    void Retitle(const std::function<QString(const InstanceEntry&, int32_t applicationId)>& title);

    // Whether the page's user interface (and those inside it) holds input that closing it
    // drops; a pending edit is taken into the data set first, where closing keeps it.
    bool DropsInput(const QWidget& page) const;
    // Asks the page's user interface to release and closes its tab; False when it refuses.
    bool Release(QWidget* page);

  private:
    struct Tab {
        QPointer<QWidget> page;
        InstanceEntry* entry;
        int32_t applicationId;
    };
    const Tab* Find(const QWidget* page) const;

    QTabWidget& tabs_;
    std::vector<Tab> open_;  // in the order they were opened; a deleted page's is dropped
};

}  // namespace kv
