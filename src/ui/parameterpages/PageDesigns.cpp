#include "ui/parameterpages/PageDesigns.h"

#include "ui/parameterpages/PageDesignGroups.h"

namespace kv {

const std::vector<PageDesign>& ParameterPageDesigns() {
    static const std::vector<PageDesign> designs =
        JoinPageDesigns({IdentificationPageDesigns, InputPageDesigns, CharacteristicPageDesigns,
                         InterfacePageDesigns, ProfilePageDesigns, CommitPageDesigns});
    return designs;
}

std::vector<PageDesign> JoinPageDesigns(
    std::initializer_list<std::vector<PageDesign> (*)()> groups) {
    std::vector<PageDesign> all;
    for (auto group : groups) {
        for (PageDesign& d : group())
            all.push_back(std::move(d));
    }
    return all;
}

const PageDesign* FindPageDesign(const std::vector<PageDesign>& designs,
                                 std::string_view className) {
    for (const PageDesign& d : designs) {
        if (d.className == className)
            return &d;
    }
    return nullptr;
}

const PageDesign* FindParameterPageDesign(std::string_view className) {
    return FindPageDesign(ParameterPageDesigns(), className);
}

}  // namespace kv
