#pragma once
// The elements of a project file's root as the project's checks need them, each instance's
// property bag converted: what the whole read (FrameProject.cpp) and the read in parts
// (ProjectParts.cpp) of a project file share.

#include <cstddef>
#include <exception>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/runtime/PropertyBag.h"

namespace kv {

class DiagnosticLog;

// An element of the project's root with its instance's bag converted, so that the parsed text
// need not be kept while the checks run.
struct RootElement {
    std::string name;
    std::string systemTag;
    std::string deviceType;
    std::string wrongChild;  // the first child element besides one <PropertyBag>; empty for none
    bool hasBag = false;
    PropertyBag bag;
    std::vector<BagProblem> bagProblems;  // why the bag does not read completely
    std::exception_ptr thrown;            // what converting the element threw
};

// The element children of a node, in their order.
std::vector<pugi::xml_node> ElementsOf(pugi::xml_node node);

// Takes an element of the root and converts its instance's bag. What that throws is kept in
// 'thrown', so that the checks meet it in the file's order, after the faults before it.
void ConvertElement(pugi::xml_node node, RootElement& element) noexcept;

// How many threads convert 'count' elements: as many as the process may run at once and the
// elements keep busy.
size_t ThreadsFor(size_t count);

// The elements of the root, converted on several threads; 'log', when given, records that fewer
// threads could be started than were asked for.
std::vector<RootElement> ConvertElements(pugi::xml_node root, DiagnosticLog* log);

// Parses the first 'length' characters of a text in place, as load_string parses a copy of them:
// the NUL after them is given to the parser too, which then sees the same end of the text (it
// sets the last character of its buffer aside).
pugi::xml_parse_result ParseInPlace(pugi::xml_document& doc, std::string& text, size_t length);

}  // namespace kv
