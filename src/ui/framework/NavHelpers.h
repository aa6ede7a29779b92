#pragma once
// XML procedures of the navigation tree: parse-error texts, the search of a node by attribute
// and the cutting of a sub-tree into a tree document of its own.

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class IDTMContext;

// The parse error of a document loaded from 'source' (url: where it came from, may be empty) in
// one text: code, reason, line, position in the line and in the file, the source line and the
// URL. Empty when there is no parse result (nullptr).
std::string GetXmlParseErrorText(const pugi::xml_parse_result* result, std::string_view source,
                                 std::string_view url = {});

// Depth-first, in document order, the first element among the nodes and their descendants
// whose attribute equals value (exact, case-sensitive; a missing attribute reads as empty).
// Nodes that are no elements are skipped without descending. An empty value finds nothing.
pugi::xml_node FindNodeByAttribute(const std::vector<pugi::xml_node>& nodes,
                                   std::string_view attributeName, std::string_view value);

// The elements named 'name' of a document, in document order.
std::vector<pugi::xml_node> ElementsByTagName(const pugi::xml_node& root, std::string_view name);

// The sub-tree of the tree text whose top node carries the attribute value, as a tree document
// of its own; empty when no node carries it. A tree text that does not parse gives empty and,
// with a context, an OK box with the parse error.
std::string GetSubTreeXml(const std::string& treeText, std::string_view attributeName,
                          std::string_view value, IDTMContext* context = nullptr);

// "<?xml version="1.0"?><treeview>" + nodeText + "</treeview>".
std::string WrapTreeXml(const std::string& nodeText);

// The element's XML text with all its descendants, without formatting.
std::string NodeXml(const pugi::xml_node& node);

}  // namespace kv
