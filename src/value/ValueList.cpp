#include "value/ValueList.h"

#include <exception>
#include <unordered_map>
#include <vector>

#include "value/Variant.h"

namespace kv {

namespace {

// The number of an entry: its text converted as a Long (CLng), so a hexadecimal "&H10" counts
// too; -1 when it is none.
int32_t EntryNumber(std::string_view text) {
    return Variant(std::string(text)).tryLong().value_or(-1);
}

// Calls fn(field, first) for every "|"-separated field of the list, empty ones included.
template <class Fn>
void ForEachField(std::string_view list, Fn fn) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t bar = list.find('|', start);
        if (bar == std::string_view::npos)
            bar = list.size();
        fn(list.substr(start, bar - start), start == 0);
        start = bar + 1;
    }
}

// How many of the forms made last are kept without a list (a few dictionaries' worth).
constexpr size_t kRecentForms = 2048;

}  // namespace

ValueList::ValueList(const SharedText& text) {
    if (text.empty())
        return;
    // The parsed forms of the texts in use, by text, and by the text object for the texts that
    // many lists share (the dictionary's): those need no hashing. A form leaves the tables when
    // its last list lets it go; the tables stay for the life of the process (lists held by
    // statics may go after them otherwise). The forms made last are kept a while longer, so that
    // the next instance finds the dictionary's lists parsed even when the last one went.
    using ByText = std::unordered_map<std::string_view, std::weak_ptr<const Data>>;
    using ByObject = std::unordered_map<const std::string*, std::weak_ptr<const Data>>;
    static ByText* const byText = new ByText;
    static ByObject* const byObject = new ByObject;
    const std::string* object = &text.str();
    if (auto it = byObject->find(object); it != byObject->end()) {
        if (std::shared_ptr<const Data> shared = it->second.lock()) {
            data_ = std::move(shared);
            return;
        }
        byObject->erase(it);
    }
    if (auto it = byText->find(text.str()); it != byText->end()) {
        if (std::shared_ptr<const Data> shared = it->second.lock()) {
            data_ = std::move(shared);
            return;
        }
        byText->erase(it);
    }
    auto* data = new Data{text, {}};
    ForEachField(data->text.str(), [&](std::string_view field, bool) {
        const size_t colon = field.find(':');
        if (colon != std::string_view::npos)
            data->entries.push_back({EntryNumber(field.substr(0, colon)), field.substr(0, colon),
                                     field.substr(colon + 1)});
    });
    data_ = std::shared_ptr<const Data>(data, [](const Data* d) {
        const std::string& own = d->text.str();
        if (const auto it = byText->find(own); it != byText->end() && it->second.expired())
            byText->erase(it);
        if (const auto it = byObject->find(&own); it != byObject->end() && it->second.expired())
            byObject->erase(it);
        delete d;
    });
    byText->emplace(data->text.str(), data_);
    // The form keeps the text object alive, so its address names this text while the form lives.
    byObject->emplace(&data->text.str(), data_);
    static std::vector<std::shared_ptr<const Data>>* const recent =
        new std::vector<std::shared_ptr<const Data>>(kRecentForms);
    static size_t next = 0;
    (*recent)[next] = data_;
    next = (next + 1) % kRecentForms;
}

const std::string& ValueList::EmptyText() {
    static const std::string empty;
    return empty;
}

const std::vector<ValueList::Entry>& ValueList::NoEntries() {
    static const std::vector<Entry> none;
    return none;
}

std::optional<std::string_view> ValueList::TextOf(int32_t number) const {
    for (const Entry& e : Entries()) {
        if (e.number == number)
            return e.text;
    }
    return std::nullopt;
}

ValueList ValueList::WithText(int32_t number, std::string_view text) const {
    std::string out;
    bool replaced = false;
    ForEachField(str(), [&](std::string_view field, bool first) {
        if (!first)
            out += '|';
        const size_t colon = field.find(':');
        if (!replaced && colon != std::string_view::npos &&
            EntryNumber(field.substr(0, colon)) == number) {
            out += std::to_string(number) + ":";
            out += text;
            replaced = true;
        } else {
            out += field;
        }
    });
    return replaced ? ValueList(std::move(out)) : *this;
}

}  // namespace kv
