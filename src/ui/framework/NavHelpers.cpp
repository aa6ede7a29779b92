#include "ui/framework/NavHelpers.h"

#include <sstream>

#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPrompt.h"

namespace kv {

std::string GetXmlParseErrorText(const pugi::xml_parse_result* result, std::string_view source,
                                 std::string_view url) {
    if (!result)
        return {};
    const size_t offset =
        result->status == pugi::status_ok
            ? 0
            : std::min(static_cast<size_t>(std::max<ptrdiff_t>(result->offset, 0)), source.size());
    // Line and position in the line, both counted from 1.
    size_t line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < offset; ++i) {
        if (source[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    size_t lineEnd = source.find('\n', lineStart);
    if (lineEnd == std::string_view::npos)
        lineEnd = source.size();
    std::string_view sourceLine = source.substr(lineStart, lineEnd - lineStart);
    if (!sourceLine.empty() && sourceLine.back() == '\r')
        sourceLine.remove_suffix(1);

    // The parser's reason carries no line end of its own, so it gets one: every piece from the
    // reason on stands on its own line.
    const char* const crlf = "\r\n";
    std::ostringstream text;
    text << "Your XML Document failed to load"
         << "due the following error." << crlf << "Error #: " << static_cast<int>(result->status)
         << ": " << (result->status == pugi::status_ok ? "" : result->description()) << crlf
         << "Line #: " << line << crlf << "Line Position: " << (offset - lineStart + 1) << crlf
         << "Position In File: " << (offset + 1) << crlf << "Source Text: " << sourceLine << crlf
         << "Document URL: " << url;
    return text.str();
}

namespace {

pugi::xml_node FindIn(pugi::xml_node node, std::string_view name, std::string_view value) {
    if (node.type() != pugi::node_element)
        return {};
    const std::string attributeName(name);
    if (std::string_view(node.attribute(attributeName.c_str()).value()) == value)
        return node;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (pugi::xml_node found = FindIn(child, name, value))
            return found;
    }
    return {};
}

void Collect(pugi::xml_node node, std::string_view name, std::vector<pugi::xml_node>& out) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (std::string_view(child.name()) == name)
            out.push_back(child);
        Collect(child, name, out);
    }
}

}  // namespace

pugi::xml_node FindNodeByAttribute(const std::vector<pugi::xml_node>& nodes,
                                   std::string_view attributeName, std::string_view value) {
    // An empty value would match every element without the attribute, the tree's root first.
    if (value.empty())
        return {};
    for (const pugi::xml_node& node : nodes) {
        if (pugi::xml_node found = FindIn(node, attributeName, value))
            return found;
    }
    return {};
}

std::vector<pugi::xml_node> ElementsByTagName(const pugi::xml_node& root, std::string_view name) {
    std::vector<pugi::xml_node> out;
    if (root.type() == pugi::node_element && std::string_view(root.name()) == name)
        out.push_back(root);
    Collect(root, name, out);
    return out;
}

std::string NodeXml(const pugi::xml_node& node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return out.str();
}

std::string WrapTreeXml(const std::string& nodeText) {
    return "<?xml version=\"1.0\"?><treeview>" + nodeText + "</treeview>";
}

std::string GetSubTreeXml(const std::string& treeText, std::string_view attributeName,
                          std::string_view value, IDTMContext* context) {
    pugi::xml_document doc;
    pugi::xml_parse_result result = doc.load_string(treeText.c_str());
    if (!result) {
        if (context) {
            // A message that cannot be shown is lost; the result is empty all the same.
            Guarded(context->Diagnostics(), "GetSubTreeXml", [&] {
                context->MessageBox(GetXmlParseErrorText(&result, treeText), mbsOkOnly);
            });
        }
        return {};
    }
    pugi::xml_node found =
        FindNodeByAttribute(ElementsByTagName(doc, "treeview"), attributeName, value);
    return found ? WrapTreeXml(NodeXml(found)) : std::string();
}

}  // namespace kv
