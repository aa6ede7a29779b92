#include "frame/FrameProject.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <pugixml.hpp>
#include <set>
#include <sstream>
#include <string_view>
#include <thread>

#include "frame/FileWriting.h"
#include "platform/runtime/XmlText.h"

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

// The message of a text that does not parse.
std::string NotWellFormed(const pugi::xml_parse_result& parsed, const std::string& text) {
    return std::string("the file is not well-formed XML (") + parsed.description() + " at " +
           Where(text, parsed.offset) + ")";
}

// The element children of a node, in their order.
std::vector<pugi::xml_node> ElementsOf(pugi::xml_node node) {
    std::vector<pugi::xml_node> elements;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            elements.push_back(child);
    }
    return elements;
}

// The whole text of a project file; False with the reason, naming the file, when it cannot be
// read.
bool ReadProjectFile(const std::string& path, std::string& text, std::string& error) {
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
    text = std::move(content).str();
    return true;
}

}  // namespace

ProjectWriter::ProjectWriter(size_t expectedInstances) : expected_(expectedInstances) {
    text_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<";
    text_ += kRoot;
    text_ += " version=\"";
    text_ += kVersion;
    text_ += "\"";
}

void ProjectWriter::Add(const std::string& systemTag, const std::string& deviceType,
                        const PropertyBag& bag) {
    if (instances_++ == 0)
        text_ += ">\n";
    text_ += "  <Instance systemTag=\"";
    AppendXmlAttributeValue(text_, systemTag);
    text_ += "\" deviceType=\"";
    AppendXmlAttributeValue(text_, deviceType);
    text_ += "\">\n";
    bag.AppendXmlText(text_, 2);
    text_ += "  </Instance>\n";
    // The instances of a project are much alike: room for all of them at once spares the text
    // the copies (and the peak of memory) of its growing.
    if (instances_ == 1 && expected_ > 1)
        text_.reserve(text_.size() * expected_ + text_.size() / 8 + 64);
}

std::string ProjectWriter::Finish() {
    text_ += instances_ == 0 ? " />\n" : "</" + std::string(kRoot) + ">\n";
    return std::move(text_);
}

std::string FrameProject::ToXml() const {
    ProjectWriter writer(instances.size());
    for (const ProjectInstance& instance : instances)
        writer.Add(instance.systemTag, instance.deviceType, instance.bag);
    return writer.Finish();
}

namespace {

// Fewer instances per thread than this are not worth a thread of their own.
constexpr size_t kInstancesPerThread = 4;

// Runs work(i) for every i below count, on as many threads as the machine runs at once and the
// instances keep busy (the calling thread among them); every thread is joined before it returns.
// work must not throw.
template <class Work>
void RunOnThreads(size_t count, Work work) {
    std::atomic<size_t> next{0};
    auto run = [&]() noexcept {
        for (size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1))
            work(i);
    };
    const size_t threads = std::clamp<size_t>(count / kInstancesPerThread, 1,
                                              std::max(1u, std::thread::hardware_concurrency()));
    // Joined however this function is left.
    struct Helpers {
        std::vector<std::thread> threads;
        ~Helpers() {
            for (std::thread& t : threads)
                t.join();
        }
    } helpers;
    try {
        helpers.threads.reserve(threads - 1);
        while (helpers.threads.size() + 1 < threads)
            helpers.threads.emplace_back(run);
    } catch (...) {
        // No more threads to be had: those running and this one do the work.
    }
    run();
}

// An element of the project's root as the checks need it, with its instance's bag converted, so
// that the parsed text need not be kept while the checks run.
struct RootElement {
    std::string name;
    std::string systemTag;
    std::string deviceType;
    std::string wrongChild;  // the first child element besides one <PropertyBag>; empty for none
    bool hasBag = false;
    PropertyBag bag;
    std::string bagFault;       // why the bag does not read; empty when it reads completely
    std::exception_ptr thrown;  // what describing the element threw
};

// Describes an element of the root and converts its instance's bag; never throws.
void Describe(pugi::xml_node node, RootElement& element) noexcept {
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
        std::vector<std::string> problems;
        if (!element.bag.LoadXml(bagNode, &problems) || !problems.empty()) {
            element.bagFault = "instance \"" + element.systemTag + "\": " +
                               (problems.empty() ? "the property bag does not read" : problems[0]);
            if (problems.size() > 1)
                element.bagFault += " (and " + std::to_string(problems.size() - 1) + " more)";
        }
    } catch (...) {
        element.thrown = std::current_exception();
    }
}

// The elements of the root, described on several threads.
std::vector<RootElement> DescribeAll(pugi::xml_node root) {
    const std::vector<pugi::xml_node> nodes = ElementsOf(root);
    std::vector<RootElement> elements(nodes.size());
    RunOnThreads(nodes.size(), [&](size_t i) { Describe(nodes[i], elements[i]); });
    return elements;
}

// The project text parsed in parts where it can be cut into them safely: where no "<" after its
// first character starts a comment, a CDATA section, a document type or a processing
// instruction, every "<" starts a tag, so that a line "  <Instance " starts an element. The text
// is cut before each of them and before the root's end tag. The part around the instances is
// parsed from a copy and gives the root; each instance's part is parsed in place, described and
// dropped on the threads. False, with the text perhaps changed, for any text that does not cut so
// or whose parts do not all parse: such a text is parsed whole.
bool ParseInParts(std::string& text, pugi::xml_document& frame,
                  std::vector<RootElement>& elements) {
    static constexpr std::string_view kInstanceLine = "\n  <Instance ";
    char* const begin = text.data();
    const size_t size = text.size();
    std::vector<size_t> starts;  // where each instance's part starts
    for (const char* p = begin;
         (p = static_cast<const char*>(std::memchr(p, '<', size - static_cast<size_t>(p - begin))));
         ++p) {
        const size_t at = static_cast<size_t>(p - begin);
        if (at + 1 >= size)
            return false;
        if (p[1] == '!' || (p[1] == '?' && at != 0))
            return false;
        if (p[1] == 'I' && at >= 3 &&
            std::string_view(p - 3, size - at + 3).substr(0, kInstanceLine.size()) == kInstanceLine)
            starts.push_back(at - 2);
    }
    const size_t end = text.rfind(std::string("</") + kRoot);
    if (starts.empty() || end == std::string::npos || end < starts.back())
        return false;
    const std::string around = text.substr(0, starts.front()) + text.substr(end);
    if (!frame.load_buffer(around.data(), around.size(), pugi::parse_default, pugi::encoding_utf8))
        return false;
    starts.push_back(end);
    std::vector<std::vector<RootElement>> parts(starts.size() - 1);
    std::atomic<bool> failed{false};
    RunOnThreads(parts.size(), [&](size_t i) {
        if (failed.load())
            return;
        pugi::xml_document part;
        if (!part.load_buffer_inplace(begin + starts[i], starts[i + 1] - starts[i],
                                      pugi::parse_default, pugi::encoding_utf8)) {
            failed = true;
            return;
        }
        std::vector<pugi::xml_node> nodes;
        try {
            nodes = ElementsOf(part);
            parts[i].resize(nodes.size());
        } catch (...) {
            failed = true;  // no room: parsed whole, where the lack is reported
            return;
        }
        for (size_t n = 0; n < nodes.size(); ++n)
            Describe(nodes[n], parts[i][n]);
    });
    if (failed)
        return false;
    elements = DescribeAll(frame.document_element());
    for (std::vector<RootElement>& part : parts) {
        for (RootElement& element : part)
            elements.push_back(std::move(element));
    }
    return true;
}

// Takes the instances of a parsed project (see FrameProject::FromXml): its root and the root's
// elements in the order of the file. The fault reported is the first the file shows.
bool TakeInstances(pugi::xml_node root, std::vector<RootElement>& elements,
                   std::vector<ProjectInstance>& instances, std::string& error,
                   const std::vector<std::string>& knownDeviceTypes) {
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
    loaded.reserve(elements.size());
    std::set<std::string> tags;
    int position = 0;
    for (RootElement& element : elements) {
        ++position;
        if (element.thrown)
            std::rethrow_exception(element.thrown);
        const std::string where = "element " + std::to_string(position) + " of the project";
        if (element.name != "Instance") {
            error = where + " is <" + element.name + ">, which a project does not hold";
            return false;
        }
        if (element.systemTag.empty()) {
            error = where + " is an instance without a system tag";
            return false;
        }
        const std::string name = "instance \"" + element.systemTag + "\"";
        if (!tags.insert(element.systemTag).second) {
            error = name + " appears twice";
            return false;
        }
        if (element.deviceType.empty()) {
            error = name + " has no device type";
            return false;
        }
        if (!knownDeviceTypes.empty()) {
            bool known = false;
            for (const std::string& t : knownDeviceTypes)
                known = known || t == element.deviceType;
            if (!known) {
                error = name + " has the device type \"" + element.deviceType +
                        "\", which this frame does not know";
                return false;
            }
        }
        if (!element.wrongChild.empty()) {
            error =
                name + " holds <" + element.wrongChild + ">; an instance holds one <PropertyBag>";
            return false;
        }
        if (!element.hasBag) {
            error = name + " has no property bag";
            return false;
        }
        if (!element.bagFault.empty()) {
            error = element.bagFault;
            return false;
        }
        loaded.push_back({element.systemTag, element.deviceType, std::move(element.bag)});
    }
    instances = std::move(loaded);
    return true;
}

}  // namespace

bool FrameProject::FromXml(const std::string& text, std::string& error,
                           const std::vector<std::string>& knownDeviceTypes) {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_string(text.c_str());
    if (!parsed) {
        error = NotWellFormed(parsed, text);
        return false;
    }
    std::vector<RootElement> elements = DescribeAll(doc.document_element());
    return TakeInstances(doc.document_element(), elements, instances, error, knownDeviceTypes);
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
    std::string text;
    if (!ReadProjectFile(path, text, error))
        return false;
    // Parsed in place: a plant's project text is held once. A large one is parsed in parts on
    // several threads. The parse changes the text, so a file that does not parse is read again and
    // parsed whole for the place of its fault.
    text.resize(std::strlen(text.c_str()));
    pugi::xml_document doc;
    std::vector<RootElement> elements;
    std::string reason;
    bool ok = false;
    if (ParseInParts(text, doc, elements)) {
        ok = TakeInstances(doc.document_element(), elements, instances, reason, knownDeviceTypes);
    } else if (!ReadProjectFile(path, text, error)) {
        return false;
    } else if (doc.load_buffer_inplace(text.data(), std::strlen(text.c_str()), pugi::parse_default,
                                       pugi::encoding_utf8)) {
        elements = DescribeAll(doc.document_element());
        ok = TakeInstances(doc.document_element(), elements, instances, reason, knownDeviceTypes);
    } else {
        if (!ReadProjectFile(path, text, error))
            return false;
        ok = FromXml(text, reason, knownDeviceTypes);
    }
    if (!ok) {
        error = "The project " + path + " is damaged: " + reason + ". Nothing was loaded.";
        return false;
    }
    return true;
}

}  // namespace kv
