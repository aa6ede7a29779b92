#pragma once
// Paths of the data set's elements. A record's path ends in "/" ("PHYS/DIAGNOSIS/"); its direct
// members carry the record's path and one more name ("PHYS/DIAGNOSIS/BIT0").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

class IParameters;

// True for the path of a record.
inline bool IsRecordPath(std::string_view path) {
    return !path.empty() && path.back() == '/';
}

// The path of the record that the element is a member of: the path cut after its last "/"
// before the end ("PHYS/DIAGNOSIS/" for "PHYS/DIAGNOSIS/BIT0" and for "PHYS/DIAGNOSIS/SUB/");
// nullopt for a path without one and for a path that would give "/" alone.
std::optional<std::string> ParentRecordPath(const std::string& path);

// True when the element lies under parameterPath (its path begins with it); every element lies
// under the empty path.
inline bool IsUnderPath(std::string_view path, std::string_view parameterPath) {
    return path.starts_with(parameterPath);
}

// True when the path is the prefix followed by the name ("FUNC/1/AO/" and "SP/Value" for
// "FUNC/1/AO/SP/Value"), compared without putting the path together.
inline bool IsPathOf(std::string_view path, std::string_view prefix, std::string_view name) {
    return path.size() == prefix.size() + name.size() && path.starts_with(prefix) &&
           path.ends_with(name);
}

// The path with every "%d" replaced by the block number: the tables of the pages write the
// number of the block they show that way ("FUNC/%d/AO/SP/Value" with 2 gives
// "FUNC/2/AO/SP/Value").
std::string WithBlockNumber(std::string_view path, int32_t blockNumber);

// The path of the element that a request of this element transfers: its record when it is a
// member of one (the record's element is in the data set), else its own path.
std::string TransferPath(const IParameters& parameters, const std::string& path);

}  // namespace kv
