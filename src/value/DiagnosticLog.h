#pragma once
// What the entry-point guard swallowed: one entry per error that an FDT call, a runtime callback
// or an event-loop task let escape, with where it was caught and what it said. Each context keeps
// one, and so does each event loop (its last-resort catch). A run without faults leaves it empty;
// kv6274pa-frame --trace prints it.

#include <cstddef>
#include <memory>
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

    DiagnosticLog() = default;
    DiagnosticLog(const DiagnosticLog& o)
        : records_(o.records_ ? std::make_unique<Records>(*o.records_) : nullptr) {}
    DiagnosticLog& operator=(const DiagnosticLog& o) {
        records_ = o.records_ ? std::make_unique<Records>(*o.records_) : nullptr;
        return *this;
    }

    // Records one swallowed error. Never throws: it runs inside the guard's catch.
    void Record(std::string_view where, std::string_view what) noexcept {
        try {
            if (!records_)
                records_ = std::make_unique<Records>();
            if (records_->entries.size() < kMaxEntries) {
                records_->entries.push_back({std::string(where), std::string(what)});
                return;
            }
            ++records_->dropped;
        } catch (...) {
            // Out of memory: the error is lost.
        }
    }

    bool Empty() const { return !records_; }
    const std::vector<Entry>& Entries() const { return records_ ? records_->entries : NoEntries(); }
    // Errors recorded beyond kMaxEntries.
    size_t Dropped() const { return records_ ? records_->dropped : 0; }
    void Clear() { records_.reset(); }
    // One line per entry, "where: what", and a last line with the count of dropped entries.
    std::string Text() const {
        std::string text;
        for (const Entry& e : Entries())
            text += e.where + ": " + e.what + "\n";
        if (Dropped() > 0)
            text += "(" + std::to_string(Dropped()) + " more)\n";
        return text;
    }

  private:
    // Kept apart: a log that never records costs a pointer.
    struct Records {
        std::vector<Entry> entries;
        size_t dropped = 0;
    };
    static const std::vector<Entry>& NoEntries() {
        static const std::vector<Entry> none;
        return none;
    }
    std::unique_ptr<Records> records_;
};

}  // namespace kv
