// A navigation tree text of any content: the sub-tree of a node found by an attribute
// (GetSubTreeXml), and the tree model taking it as its current text and deriving the tree of
// the functions offered now.

#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "ui/framework/NavHelpers.h"
#include "ui/framework/clsNavigation.h"

namespace {

struct Instance {
    std::shared_ptr<kv::ManualEventLoop> loop = std::make_shared<kv::ManualEventLoop>();
    std::shared_ptr<kv::DTMContext> context = std::make_shared<kv::DTMContext>(loop);
    Instance() { context->SetPrompt(std::make_shared<kv::fuzz::ForgetfulPrompt>()); }
};

Instance& TheInstance() {
    static Instance instance;
    return instance;
}

}  // namespace

// Input: one byte choosing the attribute, the attribute value up to the first line feed, then
// the tree text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kv;
    if (size < 1)
        return 0;
    static const char* const kAttributes[] = {"functionId", "id", "key", "text", ""};
    const std::string_view attribute = kAttributes[data[0] % 5];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t lf = rest.find('\n');
    const std::string_view value = rest.substr(0, lf);
    const std::string tree(lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1));

    Instance& instance = TheInstance();
    const auto& context = instance.context;
    GetSubTreeXml(tree, attribute, value, nullptr);
    const std::string sub = GetSubTreeXml(tree, attribute, value, context.get());

    clsNavigation navigation(tree);
    navigation.AttachDTMContext(context);
    navigation.SetCurTreeStructure(sub.empty() ? tree : sub);
    navigation.CurTreeStructure();
    navigation.UpdatecurTreeStructure();
    instance.loop->RunUntilIdle();
    return 0;
}
