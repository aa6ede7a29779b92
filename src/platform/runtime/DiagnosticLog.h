#pragma once
// What the entry-point guard swallowed: one entry per error that an FDT call, a runtime callback
// or an event-loop task let escape, with where it was caught and what it said. Each context keeps
// one, and so does each event loop (its last-resort catch). A run without faults leaves it empty;
// kv6274pa-frame --trace prints it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class DiagnosticLog {
  public:
    struct Entry {
        std::string where;  // the entry point, e.g. "DTMMain::SetCommunication"
        std::string what;   // the error's text
    };
    // The log keeps the first entries; beyond them it only counts.
    static constexpr size_t kMaxEntries = 1000;

    // Records one swallowed error. Never throws: it runs inside the guard's catch.
    void Record(std::string_view where, std::string_view what) noexcept {
        try {
            if (entries_.size() < kMaxEntries) {
                entries_.push_back({std::string(where), std::string(what)});
                return;
            }
        } catch (...) {
            // Out of memory: the error is counted only.
        }
        ++dropped_;
    }

    bool Empty() const { return entries_.empty() && dropped_ == 0; }
    const std::vector<Entry>& Entries() const { return entries_; }
    // Errors recorded beyond kMaxEntries.
    size_t Dropped() const { return dropped_; }
    void Clear() {
        entries_.clear();
        dropped_ = 0;
    }
    // One line per entry, "where: what", and a last line with the count of dropped entries.
    std::string Text() const {
        std::string text;
        for (const Entry& e : entries_)
            text += e.where + ": " + e.what + "\n";
        if (dropped_ > 0)
            text += "(" + std::to_string(dropped_) + " more)\n";
        return text;
    }

  private:
    std::vector<Entry> entries_;
    size_t dropped_ = 0;
};

}  // namespace kv
