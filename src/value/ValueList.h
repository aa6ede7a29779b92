#pragma once
// The one value-list type: the texts of an element's values, or of its bits, written
// "number:text|number:text|...". The list is parsed when it is set; looking a value up reads the
// parsed entries. A text that is set again (every instance takes the same texts from the
// dictionary) shares one parsed form: the process keeps one per distinct text, so an element
// holds no more than a counted reference. One thread only, like the rest of the system.
//
//     element.ValueList = "0:Closed|1:Open";
//     element.ValueList.TextOf(1)           -> "Open"
//     for (const ValueList::Entry& e : element.ValueList.Entries()) ...   (rows of a list box)

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "value/SharedText.h"

namespace kv {

class ValueList {
  public:
    // One entry: what stands before its first ":" (key), read as a number (-1 when that is no
    // 32-bit integer), and the text after it. Fields without ":" are no entries.
    struct Entry {
        int32_t number;
        std::string_view key;
        std::string_view text;
    };

    ValueList() = default;
    ValueList(const SharedText& text);
    ValueList(const std::string& text) : ValueList(SharedText(text)) {}
    ValueList(const char* text) : ValueList(SharedText(text)) {}

    const std::string& str() const { return data_ ? data_->text.str() : EmptyText(); }
    bool empty() const { return data_ == nullptr; }
    const std::vector<Entry>& Entries() const { return data_ ? data_->entries : NoEntries(); }
    // The text of the first entry numbered `number`; nullopt when none is.
    std::optional<std::string_view> TextOf(int32_t number) const;
    // The list with the first entry numbered `number` given a new text (the entries and their
    // order otherwise as they are: "11:" is not "1:"); the list unchanged when none is.
    ValueList WithText(int32_t number, std::string_view text) const;

    bool operator==(const ValueList& o) const { return str() == o.str(); }
    bool operator==(std::string_view o) const { return str() == o; }
    bool operator==(const std::string& o) const { return str() == o; }
    bool operator==(const char* o) const { return str() == o; }

  private:
    struct Data {
        SharedText text;
        std::vector<Entry> entries;  // views into text
    };
    static const std::string& EmptyText();
    static const std::vector<Entry>& NoEntries();

    std::shared_ptr<const Data> data_;
};

}  // namespace kv
