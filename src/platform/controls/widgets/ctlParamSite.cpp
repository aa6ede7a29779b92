#include "platform/controls/widgets/ctlParamSite.h"

#include <algorithm>
#include <stdexcept>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/ctlParameter.h"

namespace kv {

namespace {

// True when the widget is a nested page: it has a binding site of its own.
bool HasOwnSite(const QWidget& widget, const ctlParamSite* except) {
    for (QObject* child : widget.children()) {
        auto* site = qobject_cast<ctlParamSite*>(child);
        if (site != nullptr && site != except)
            return true;
    }
    return false;
}

void CollectRowsBelow(const QWidget& widget, const ctlParamSite* site,
                      std::vector<ctlParameter*>& rows) {
    for (QObject* child : widget.children()) {
        if (auto* row = qobject_cast<ctlParameter*>(child)) {
            rows.push_back(row);
            continue;
        }
        auto* w = qobject_cast<QWidget*>(child);
        if (w != nullptr && !HasOwnSite(*w, site))
            CollectRowsBelow(*w, site, rows);
    }
}

}  // namespace

ctlParamSite::ctlParamSite(QWidget* page) : QWidget(page) {
    setObjectName(QStringLiteral("ctlParamSite1"));
    hide();
}

ctlParamSite::~ctlParamSite() {
    // A page destroyed without releasing its site: the rows stop sending events, the links
    // go without being told (their rows and context may be gone already).
    for (Binding& b : bindings_) {
        if (b.row)
            b.row->SetEvents({});
    }
}

std::vector<ctlParameter*> ctlParamSite::CollectRows() const {
    std::vector<ctlParameter*> rows;
    if (parentWidget() != nullptr)
        CollectRowsBelow(*parentWidget(), this, rows);
    return rows;
}

std::vector<ctlParameter*> ctlParamSite::Rows() const {
    std::vector<ctlParameter*> rows;
    for (const Binding& b : bindings_) {
        if (b.row)
            rows.push_back(b.row.data());
    }
    return rows;
}

void ctlParamSite::DropRow(const QObject* row) {
    // The link of a destroyed row is dropped unused: it must not reach its row any more.
    std::erase_if(bindings_, [row](const Binding& b) { return b.object == row; });
}

template <typename Fn>
void ctlParamSite::ForEachLink(Fn&& fn) {
    const std::vector<Binding> snapshot = bindings_;
    const uint64_t generation = generation_;
    QPointer<ctlParamSite> self(this);
    for (const Binding& b : snapshot) {
        if (self.isNull() || generation_ != generation)
            return;
        if (b.row)
            fn(*b.link);
    }
}

void ctlParamSite::Init(IDTMContext& context, const std::string& guiFunctionCall,
                        std::shared_ptr<IPrivateParamLink> prototype) {
    if (!prototype)
        throw std::invalid_argument("ctlParamSite.Init: no binding prototype");
    if (!bindings_.empty())
        Release();
    ++generation_;
    for (ctlParameter* row : CollectRows()) {
        std::shared_ptr<IPrivateParamLink> link = prototype->GetNewParamLink();
        if (!link)
            throw std::runtime_error("ctlParamSite.Init: the binding prototype made no link");
        const QObject* key = row;
        bindings_.push_back({row, link, key, connect(row, &QObject::destroyed, this, [this, key] {
                                 CallGuarded("binding site row destroyed", [&] { DropRow(key); });
                             })});
        row->SetEditEnabled(editEnabled_);
        row->SetEvents(link);
        link->InitLink(context, *row, Images(), guiFunctionCall);
    }
}

void ctlParamSite::SetLanguage(int32_t languageId) {
    ForEachLink([languageId](IPrivateParamLink& link) { link.InitLanguageDependent(languageId); });
}

void ctlParamSite::Release() {
    std::vector<Binding> bindings = std::move(bindings_);
    bindings_.clear();
    ++generation_;
    for (Binding& b : bindings) {
        if (!b.row)
            continue;
        disconnect(b.destroyed);
        b.link->TerminateLink();
        if (b.row)
            b.row->SetEvents({});
    }
}

void ctlParamSite::ParameterChanged(IPrivateDataElement& element) {
    ForEachLink([&element](IPrivateParamLink& link) {
        if (link.DataElement() == &element)
            link.UpdateParameter();
    });
}

void ctlParamSite::ParameterSetChanged() {
    ForEachLink([](IPrivateParamLink& link) { link.UpdateParameter(); });
}

void ctlParamSite::Validate() {
    ForEachLink([](IPrivateParamLink& link) { link.ValidateParameter(); });
}

void ctlParamSite::EnableEdit(bool enabled) {
    editEnabled_ = enabled;
    const std::vector<Binding> snapshot = bindings_;
    for (const Binding& b : snapshot) {
        if (b.row)
            b.row->SetEditEnabled(enabled);
    }
}

IPrivateParamLink* ctlParamSite::GetParamLink(const IParameterRow& row) {
    for (const Binding& b : bindings_) {
        if (b.row && static_cast<const IParameterRow*>(b.row.data()) == &row)
            return b.link.get();
    }
    return nullptr;
}

std::vector<IPrivateParamLink*> ctlParamSite::Links() const {
    std::vector<IPrivateParamLink*> links;
    links.reserve(bindings_.size());
    for (const Binding& b : bindings_) {
        if (b.row)
            links.push_back(b.link.get());
    }
    return links;
}

}  // namespace kv
