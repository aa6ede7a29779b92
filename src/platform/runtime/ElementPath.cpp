#include "platform/runtime/ElementPath.h"

#include "platform/runtime/IParameters.h"
#include "value/Text.h"

namespace kv {

std::optional<std::string> ParentRecordPath(const std::string& path) {
    if (path.size() < 2)
        return std::nullopt;
    const size_t slash = path.rfind('/', path.size() - 2);
    if (slash == std::string::npos || slash == 0)
        return std::nullopt;
    return path.substr(0, slash + 1);
}

std::string WithBlockNumber(std::string_view path, int32_t blockNumber) {
    std::string out(path);
    ReplaceAll(out, "%d", std::to_string(blockNumber));
    return out;
}

std::string TransferPath(const IParameters& parameters, const std::string& path) {
    if (IsRecordPath(path))
        return path;
    const std::optional<std::string> record = ParentRecordPath(path);
    return record && parameters.Item(*record) != nullptr ? *record : path;
}

}  // namespace kv
