#pragma once
// The window's instances as Qt's item views show them: one row per instance of the project, in
// its order, with its system tag, its tag and its device type; the connected instance in bold,
// with a mark and a tool tip that says so. The model holds the window's entries and reads what
// it shows from them when a view asks, so a large project costs no item per row, and a change to
// one instance is one dataChanged of its row.

#include <QAbstractTableModel>
#include <QIcon>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class IDTMContext;
class IPrompt;
struct FrameInstance;
struct FrameWords;

// One instance of the project as the window shows it.
struct InstanceEntry {
    InstanceEntry(FrameInstance& instance, int index) : instance(instance), index(index) {}

    FrameInstance& instance;
    const int index;  // its place in the project: the model's row
    std::string tag;  // as the DTM's parameter documents give it
    // What the instance's DTM shows and asks reaches the window through it.
    std::shared_ptr<IPrompt> prompt;
    size_t observer = 0;  // the window's on the instance's container
    bool released = false;

    IDTMContext& Ctx() const;
    // Not released, and its communication connected.
    bool Connected() const;
    // The tag while the instance is not released, else empty.
    std::string ShownTag() const;
    // Takes the tag that a parameter document of the DTM holds; a document without it changes
    // none.
    void TakeTag(const std::string& parameterDocument);
};

class InstanceModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { kSystemTagColumn, kTagColumn, kDeviceTypeColumn, kColumnCount };

    // An entry for every instance (which must outlive the model), in their order, with the tag
    // that its DTM's parameters give; the words of that language.
    InstanceModel(const std::vector<std::unique_ptr<FrameInstance>>& instances,
                  const FrameWords& words, QObject* parent = nullptr);
    ~InstanceModel() override;

    const std::vector<std::unique_ptr<InstanceEntry>>& Entries() const { return entries_; }
    // The entry of that row; nullptr for a row the project does not have.
    InstanceEntry* EntryAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Short headers; the tag's term is the tag column's tool tip.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The words of another language: the headers and the connected instance's tool tip.
    void SetWords(const FrameWords& words);
    // What the entry shows has changed (its tag, its connection, its release).
    void EntryChanged(const InstanceEntry& entry);

  private:
    std::vector<std::unique_ptr<InstanceEntry>> entries_;
    const FrameWords* words_;
    QIcon connectedIcon_;  // the mark of the connected instance
};

}  // namespace kv
