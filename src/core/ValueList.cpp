#include "core/ValueList.h"

#include <exception>
#include <unordered_map>

#include "value/Variant.h"

namespace kv {

namespace {

// The number of an entry as the original reads it (CLng of the text); -1 when it is none.
int32_t EntryNumber(std::string_view text) {
    try {
        return Variant(std::string(text)).toLong();
    } catch (const std::exception&) {
        return -1;
    }
}

// Splits at "|"; pieces without ":" are skipped.
template <class Fn>
void ForEachPiece(std::string_view list, Fn fn) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t bar = list.find('|', start);
        if (bar == std::string_view::npos)
            bar = list.size();
        fn(list.substr(start, bar - start), start == 0);
        start = bar + 1;
    }
}

}  // namespace

ValueList::ValueList(const SharedText& text) {
    if (text.empty())
        return;
    // The parsed forms of the texts in use, by text. A form leaves the table when its last list
    // lets it go; the table itself stays for the life of the process (lists held by statics may
    // go after it otherwise).
    using Table = std::unordered_map<std::string_view, std::weak_ptr<const Data>>;
    static Table* const table = new Table;
    if (auto it = table->find(text.str()); it != table->end()) {
        if (std::shared_ptr<const Data> shared = it->second.lock()) {
            data_ = std::move(shared);
            return;
        }
        table->erase(it);
    }
    auto* data = new Data{text, {}};
    ForEachPiece(data->text.str(), [&](std::string_view piece, bool) {
        const size_t colon = piece.find(':');
        if (colon != std::string_view::npos)
            data->entries.push_back({EntryNumber(piece.substr(0, colon)), piece.substr(0, colon),
                                     piece.substr(colon + 1)});
    });
    data_ = std::shared_ptr<const Data>(data, [](const Data* d) {
        const auto it = table->find(d->text.str());
        if (it != table->end() && it->second.expired())
            table->erase(it);
        delete d;
    });
    table->emplace(data->text.str(), data_);
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
    ForEachPiece(str(), [&](std::string_view piece, bool first) {
        if (!first)
            out += '|';
        const size_t colon = piece.find(':');
        if (!replaced && colon != std::string_view::npos &&
            EntryNumber(piece.substr(0, colon)) == number) {
            out += std::to_string(number) + ":";
            out += text;
            replaced = true;
        } else {
            out += piece;
        }
    });
    return replaced ? ValueList(std::move(out)) : *this;
}

}  // namespace kv
