#include "frame/FrameProject.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <pugixml.hpp>
#include <set>
#include <sstream>

#include "frame/FileWriting.h"

namespace kv {

namespace {

const char* const kRoot = "FrameProject";
const char* const kVersion = "1";

// Line and column (from 1) of a character offset of the text.
std::string Where(const std::string& text, ptrdiff_t offset) {
    size_t line = 1;
    size_t column = 1;
    const size_t end = std::min(text.size(), static_cast<size_t>(std::max<ptrdiff_t>(offset, 0)));
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string NodeText(const pugi::xml_node& node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return out.str();
}

}  // namespace

std::string FrameProject::ToXml() const {
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version").set_value("1.0");
    decl.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node root = doc.append_child(kRoot);
    root.append_attribute("version").set_value(kVersion);
    for (const ProjectInstance& instance : instances) {
        pugi::xml_node node = root.append_child("Instance");
        node.append_attribute("systemTag").set_value(instance.systemTag.c_str());
        node.append_attribute("deviceType").set_value(instance.deviceType.c_str());
        pugi::xml_document bag;
        if (!bag.load_string(instance.bag.ToXml().c_str()))
            throw std::runtime_error("the property bag of " + instance.systemTag +
                                     " has no XML form");
        node.append_copy(bag.document_element());
    }
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

bool FrameProject::FromXml(const std::string& text, std::string& error,
                           const std::vector<std::string>& knownDeviceTypes) {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_string(text.c_str());
    if (!parsed) {
        error = std::string("the file is not well-formed XML (") + parsed.description() + " at " +
                Where(text, parsed.offset) + ")";
        return false;
    }
    pugi::xml_node root = doc.document_element();
    if (std::string(root.name()) != kRoot) {
        error = std::string("the file is no frame project (its root element is <") + root.name() +
                ">, not <" + kRoot + ">)";
        return false;
    }
    if (std::string(root.attribute("version").value()) != kVersion) {
        error = std::string("the project has the version \"") + root.attribute("version").value() +
                "\", which this frame does not read (it reads version " + kVersion + ")";
        return false;
    }

    std::vector<ProjectInstance> loaded;
    std::set<std::string> tags;
    int position = 0;
    for (pugi::xml_node node = root.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element)
            continue;
        ++position;
        const std::string where = "element " + std::to_string(position) + " of the project";
        if (std::string(node.name()) != "Instance") {
            error = where + " is <" + node.name() + ">, which a project does not hold";
            return false;
        }
        ProjectInstance instance;
        instance.systemTag = node.attribute("systemTag").value();
        instance.deviceType = node.attribute("deviceType").value();
        if (instance.systemTag.empty()) {
            error = where + " is an instance without a system tag";
            return false;
        }
        const std::string name = "instance \"" + instance.systemTag + "\"";
        if (!tags.insert(instance.systemTag).second) {
            error = name + " appears twice";
            return false;
        }
        if (instance.deviceType.empty()) {
            error = name + " has no device type";
            return false;
        }
        if (!knownDeviceTypes.empty()) {
            bool known = false;
            for (const std::string& t : knownDeviceTypes)
                known = known || t == instance.deviceType;
            if (!known) {
                error = name + " has the device type \"" + instance.deviceType +
                        "\", which this frame does not know";
                return false;
            }
        }
        pugi::xml_node bagNode;
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            if (std::string(child.name()) != "PropertyBag" || bagNode) {
                error = name + " holds <" + child.name() + ">; an instance holds one <PropertyBag>";
                return false;
            }
            bagNode = child;
        }
        if (!bagNode) {
            error = name + " has no property bag";
            return false;
        }
        std::vector<std::string> problems;
        if (!instance.bag.LoadXml(NodeText(bagNode), &problems) || !problems.empty()) {
            error =
                name + ": " + (problems.empty() ? "the property bag does not read" : problems[0]);
            if (problems.size() > 1)
                error += " (and " + std::to_string(problems.size() - 1) + " more)";
            return false;
        }
        loaded.push_back(std::move(instance));
    }
    instances = std::move(loaded);
    return true;
}

bool FrameProject::Save(const std::string& path, std::string& error) const {
    std::string text;
    try {
        text = ToXml();
    } catch (const std::exception& e) {
        error = "Cannot save the project " + path + ": " + e.what();
        return false;
    }
    return WriteFileInPlace(path, text, error);
}

bool FrameProject::Load(const std::string& path, std::string& error,
                        const std::vector<std::string>& knownDeviceTypes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot open the project " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        error = "Cannot read the project " + path;
        return false;
    }
    std::string reason;
    if (!FromXml(content.str(), reason, knownDeviceTypes)) {
        error = "The project " + path + " is damaged: " + reason + ". Nothing was loaded.";
        return false;
    }
    return true;
}

}  // namespace kv
