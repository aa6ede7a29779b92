#pragma once
// The binding site of a page: an invisible child of the page that binds the page's parameter
// rows, one link per row made from the page's prototype, and passes language changes, element
// changes, validation, the edit lock and the release on to the links.
//
// The rows are the ctlParameter widgets among the page's descendants (the site's parent
// widget), in creation order, depth first; the subtree of a nested page (a widget that has a
// ctlParamSite of its own among its children) belongs to that page and is left out. Rows are
// collected at Init; rows created later are not bound.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/controls/ControlInterfaces.h"
#include "platform/controls/widgets/StatusImages.h"

namespace kv {

class ctlParameter;

class ctlParamSite : public QWidget, public IParamSite {
    Q_OBJECT

  public:
    explicit ctlParamSite(QWidget* page);
    ~ctlParamSite() override;

    void Init(IDTMContext& context, const std::string& guiFunctionCall,
              std::shared_ptr<IPrivateParamLink> prototype) override;
    void SetLanguage(int32_t languageId) override;
    void Release() override;
    void ParameterChanged(IPrivateDataElement& element) override;
    void ParameterSetChanged() override;
    void Validate() override;
    void EnableEdit(bool enabled) override;
    IPrivateParamLink* GetParamLink(const IParameterRow& row) override;
    std::vector<IPrivateParamLink*> Links() const override;
    // The status pictures; they outlive the site, so a link may keep them.
    const IStatusImages& Images() const override { return StatusImages::Shared(); }

    // The bound rows in binding order (rows destroyed meanwhile are left out).
    std::vector<ctlParameter*> Rows() const;

  private:
    struct Binding {
        QPointer<ctlParameter> row;
        std::shared_ptr<IPrivateParamLink> link;
        // The row as an object, to recognise it while it is destroyed.
        const QObject* object;
        QMetaObject::Connection destroyed;
    };

    std::vector<ctlParameter*> CollectRows() const;
    // Drops the binding of a row that is being destroyed.
    void DropRow(const QObject* row);
    // Calls fn(link) for each binding whose row still lives, in order; stops when the site is
    // released, bound anew or destroyed by one of the calls.
    template <typename Fn>
    void ForEachLink(Fn&& fn);

    std::vector<Binding> bindings_;
    bool editEnabled_ = true;
    // Counts Init and Release, so that a walk notices that the bindings changed under it.
    uint64_t generation_ = 0;
};

}  // namespace kv
