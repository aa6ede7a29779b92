#include "ui/onlinepages/OnlinePageDesigns.h"

#include "ui/onlinepages/OnlinePageDesignGroups.h"
#include "ui/parameterpages/PageDesigns.h"

namespace kv {

const std::vector<PageDesign>& OnlinePageDesigns() {
    static const std::vector<PageDesign> designs = JoinPageDesigns(
        {DisplayPageDesigns, ArchivePageDesigns, OperationPageDesigns, CommandPageDesigns});
    return designs;
}

const PageDesign* FindOnlinePageDesign(std::string_view className) {
    return FindPageDesign(OnlinePageDesigns(), className);
}

}  // namespace kv
