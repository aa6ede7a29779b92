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

bool FrameProject::FromXml(const std::string& text, std::string& error,
                           const std::vector<std::string>& knownDeviceTypes) {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_string(text.c_str());
    if (!parsed) {
        error = NotWellFormed(parsed, text);
        return false;
    }
    return Take(doc.document_element(), ElementsOf(doc.document_element()), error,
                knownDeviceTypes);
}

namespace {

// What converting the property bag of one instance gave: nothing when the bag read completely, the
// fault's message, or what the conversion threw.
struct BagOutcome {
    std::string error;
    std::exception_ptr exception;
    bool Failed() const { return !error.empty() || exception; }
};

// Converts the <PropertyBag> element of an instance into its bag.
void ConvertBag(ProjectInstance& instance, pugi::xml_node bagNode, BagOutcome& outcome) {
    std::vector<std::string> problems;
    if (!instance.bag.LoadXml(bagNode, &problems) || !problems.empty()) {
        outcome.error = "instance \"" + instance.systemTag + "\": " +
                        (problems.empty() ? "the property bag does not read" : problems[0]);
        if (problems.size() > 1)
            outcome.error += " (and " + std::to_string(problems.size() - 1) + " more)";
    }
}

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

// Converts the bags of the instances on several threads (RunOnThreads). The document is only
// read, each bag is its converting thread's own. The instances behind one whose bag failed need
// not be converted: only the first failure in the order of the file is reported.
void ConvertBags(std::vector<ProjectInstance>& instances,
                 const std::vector<pugi::xml_node>& bagNodes, std::vector<BagOutcome>& outcomes) {
    std::atomic<size_t> firstFailure{instances.size()};
    RunOnThreads(instances.size(), [&](size_t i) {
        if (i > firstFailure.load())
            return;
        try {
            ConvertBag(instances[i], bagNodes[i], outcomes[i]);
        } catch (...) {
            outcomes[i].exception = std::current_exception();
        }
        if (outcomes[i].Failed()) {
            size_t first = firstFailure.load();
            while (i < first && !firstFailure.compare_exchange_weak(first, i)) {
            }
        }
    });
}

// A project text parsed in parts: the text around the instances (the declaration, the root's
// start and end tags) and each instance's part, parsed on several threads.
struct ParsedParts {
    pugi::xml_document frame;
    std::vector<pugi::xml_document> instances;
    pugi::xml_node root;
    std::vector<pugi::xml_node> elements;  // the root's element children, in the file's order
};

// Parses the text in parts where it can be cut into them safely: where no "<" after its first
// character starts a comment, a CDATA section, a document type or a processing instruction,
// every "<" starts a tag, so that a line "  <Instance " starts an element. The text is cut before
// each of them and before the root's end tag; each part must then parse by itself. False, with
// the text perhaps changed, for any text that does not cut or whose parts do not parse: such a
// text is parsed whole.
bool ParseInParts(std::string& text, ParsedParts& parsed) {
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
    const std::string rootEnd = std::string("</") + kRoot;
    const size_t end = text.rfind(rootEnd);
    if (starts.empty() || end == std::string::npos || end < starts.back())
        return false;
    // The part around the instances, parsed from a copy; the parts of the instances in place.
    const std::string frame = text.substr(0, starts.front()) + text.substr(end);
    if (!parsed.frame.load_buffer(frame.data(), frame.size(), pugi::parse_default,
                                  pugi::encoding_utf8))
        return false;
    starts.push_back(end);
    parsed.instances = std::vector<pugi::xml_document>(starts.size() - 1);
    std::atomic<bool> failed{false};
    RunOnThreads(parsed.instances.size(), [&](size_t i) {
        if (failed.load())
            return;
        if (!parsed.instances[i].load_buffer_inplace(begin + starts[i], starts[i + 1] - starts[i],
                                                     pugi::parse_default, pugi::encoding_utf8))
            failed = true;
    });
    if (failed)
        return false;
    parsed.root = parsed.frame.document_element();
    parsed.elements = ElementsOf(parsed.root);
    for (const pugi::xml_document& part : parsed.instances) {
        for (pugi::xml_node element : ElementsOf(part))
            parsed.elements.push_back(element);
    }
    return true;
}

}  // namespace

bool FrameProject::Take(pugi::xml_node root, const std::vector<pugi::xml_node>& elements,
                        std::string& error, const std::vector<std::string>& knownDeviceTypes) {
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

    // The instances are checked in the order of the file up to the first structural fault, then
    // their bags converted (see ConvertBags); what the file shows first is reported, as a walk
    // that converts each bag after its instance's checks would report it.
    std::vector<ProjectInstance> loaded;
    std::vector<pugi::xml_node> bagNodes;
    std::string fault;          // the first structural fault
    std::exception_ptr thrown;  // or what its checks threw
    auto check = [&]() -> bool {
        std::set<std::string> tags;
        int position = 0;
        for (pugi::xml_node node : elements) {
            ++position;
            const std::string where = "element " + std::to_string(position) + " of the project";
            if (std::string(node.name()) != "Instance") {
                fault = where + " is <" + node.name() + ">, which a project does not hold";
                return false;
            }
            ProjectInstance instance;
            instance.systemTag = node.attribute("systemTag").value();
            instance.deviceType = node.attribute("deviceType").value();
            if (instance.systemTag.empty()) {
                fault = where + " is an instance without a system tag";
                return false;
            }
            const std::string name = "instance \"" + instance.systemTag + "\"";
            if (!tags.insert(instance.systemTag).second) {
                fault = name + " appears twice";
                return false;
            }
            if (instance.deviceType.empty()) {
                fault = name + " has no device type";
                return false;
            }
            if (!knownDeviceTypes.empty()) {
                bool known = false;
                for (const std::string& t : knownDeviceTypes)
                    known = known || t == instance.deviceType;
                if (!known) {
                    fault = name + " has the device type \"" + instance.deviceType +
                            "\", which this frame does not know";
                    return false;
                }
            }
            pugi::xml_node bagNode;
            for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
                if (child.type() != pugi::node_element)
                    continue;
                if (std::string(child.name()) != "PropertyBag" || bagNode) {
                    fault =
                        name + " holds <" + child.name() + ">; an instance holds one <PropertyBag>";
                    return false;
                }
                bagNode = child;
            }
            if (!bagNode) {
                fault = name + " has no property bag";
                return false;
            }
            loaded.push_back(std::move(instance));
            bagNodes.push_back(bagNode);
        }
        return true;
    };
    bool whole = false;
    try {
        whole = check();
    } catch (...) {
        thrown = std::current_exception();
    }

    std::vector<BagOutcome> outcomes(loaded.size());
    ConvertBags(loaded, bagNodes, outcomes);
    for (const BagOutcome& outcome : outcomes) {
        if (outcome.exception)
            std::rethrow_exception(outcome.exception);
        if (!outcome.error.empty()) {
            error = outcome.error;
            return false;
        }
    }
    if (thrown)
        std::rethrow_exception(thrown);
    if (!whole) {
        error = fault;
        return false;
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
    std::string text;
    if (!ReadProjectFile(path, text, error))
        return false;
    // Parsed in place: a plant's project text is held once. A large one is parsed in parts on
    // several threads. The parse changes the text, so a file that does not parse is read again and
    // parsed whole for the place of its fault.
    text.resize(std::strlen(text.c_str()));
    ParsedParts parts;
    pugi::xml_document doc;
    bool parsed = ParseInParts(text, parts);
    std::string reason;
    bool ok = false;
    if (parsed) {
        ok = Take(parts.root, parts.elements, reason, knownDeviceTypes);
    } else if (!ReadProjectFile(path, text, error)) {
        return false;
    } else if (doc.load_buffer_inplace(text.data(), std::strlen(text.c_str()), pugi::parse_default,
                                       pugi::encoding_utf8)) {
        ok = Take(doc.document_element(), ElementsOf(doc.document_element()), reason,
                  knownDeviceTypes);
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
