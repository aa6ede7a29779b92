#include "ui/onlinepages/OnlinePageParts.h"

namespace kv {

std::string BlockPath(const std::string& path, int16_t blockIndex) {
    const std::string number = std::to_string(blockIndex);
    std::string out;
    for (size_t at = 0; at < path.size();) {
        if (path.compare(at, 2, "%d") == 0) {
            out += number;
            at += 2;
        } else {
            out.push_back(path[at++]);
        }
    }
    return out;
}

}  // namespace kv
