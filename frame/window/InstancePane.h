#pragma once
// The pane beside the window's tabs: the project's instances above (a view of the instance
// model: system tag, a short column of tags, device type), and below, for the instance
// selected, its title, tag and state and the DTM's function list, from which a function opens
// its user interface. The pane says what the user chose; the window decides what follows.

#include <QSplitter>
#include <QString>
#include <cstdint>

class QLabel;
class QTreeView;
class QTreeWidget;

namespace kv {

class InstanceModel;
struct FrameWords;
struct InstanceEntry;

// The name of a function in the instance's function list; its application id when the list
// has none.
QString FunctionName(const InstanceEntry& entry, int32_t applicationId);

class InstancePane : public QSplitter {
    Q_OBJECT

  public:
    // The model must outlive the pane; the words of the first language (SetWords shows them).
    InstancePane(InstanceModel& model, const FrameWords& words, QWidget* parent);

    QTreeView* List() const { return list_; }
    QTreeWidget* Functions() const { return functions_; }

    // The words of another language: the titles, the list's columns fitted to its headers and
    // rows. The model has them already.
    void SetWords(const FrameWords& words);
    // Makes the instance's row the list's current one.
    void SetCurrent(const InstanceEntry& entry);
    // The instance's title, tag and state; connected: the instance connected (nullptr: none),
    // named when it is another. Without an instance, nothing.
    void ShowInstance(const InstanceEntry* entry, const InstanceEntry* connected);
    // The function list of the instance's DTM; nothing without an instance or for one
    // released.
    void ShowFunctions(const InstanceEntry* entry);
    // Widens the list's columns that the instance's row does not fit.
    void FitColumns(const InstanceEntry& entry);
    // The width for the functions' names and the instances' columns to show.
    int NaturalWidth() const;

  signals:
    // The user made another row current; its place in the project.
    void InstanceChosen(int index);
    // The user chose a function of the list (not a group).
    void FunctionChosen(int32_t applicationId);

  private:
    InstanceModel& model_;
    const FrameWords* words_;
    QLabel* listTitle_ = nullptr;
    QTreeView* list_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* tag_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* functionsTitle_ = nullptr;
    QTreeWidget* functions_ = nullptr;
};

}  // namespace kv
