#include "frame/ProjectElements.h"

#include <algorithm>
#include <string_view>

#include "platform/os/Threads.h"

namespace kv {

namespace {

// Fewer elements per thread than this are not worth a thread of their own.
constexpr size_t kElementsPerThread = 4;

}  // namespace

std::vector<pugi::xml_node> ElementsOf(pugi::xml_node node) {
    std::vector<pugi::xml_node> elements;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            elements.push_back(child);
    }
    return elements;
}

void ConvertElement(pugi::xml_node node, RootElement& element) noexcept {
    try {
        element.name = node.name();
        if (element.name != "Instance")
            return;
        element.systemTag = node.attribute("systemTag").value();
        element.deviceType = node.attribute("deviceType").value();
        pugi::xml_node bagNode;
        for (pugi::xml_node child : ElementsOf(node)) {
            if (std::string_view(child.name()) != "PropertyBag" || bagNode) {
                element.wrongChild = child.name();
                return;
            }
            bagNode = child;
        }
        element.hasBag = static_cast<bool>(bagNode);
        if (!bagNode)
            return;
        if (!element.bag.LoadXml(bagNode, &element.bagProblems) && element.bagProblems.empty())
            element.bagProblems.push_back({});
    } catch (...) {
        element.thrown = std::current_exception();
    }
}

size_t ThreadsFor(size_t count) {
    return std::clamp<size_t>(count / kElementsPerThread, 1, os::UsableCpus());
}

std::vector<RootElement> ConvertElements(pugi::xml_node root, DiagnosticLog* log) {
    const std::vector<pugi::xml_node> nodes = ElementsOf(root);
    std::vector<RootElement> elements(nodes.size());
    os::RunOnThreads(
        nodes.size(), ThreadsFor(nodes.size()),
        [&](size_t i) { ConvertElement(nodes[i], elements[i]); }, log);
    return elements;
}

pugi::xml_parse_result ParseInPlace(pugi::xml_document& doc, std::string& text, size_t length) {
    text[length] = '\0';
    return doc.load_buffer_inplace(text.data(), length + 1, pugi::parse_default,
                                   pugi::encoding_utf8);
}

}  // namespace kv
