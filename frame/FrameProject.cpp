#include "frame/FrameProject.h"

#include <sched.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <pugixml.hpp>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>

#include "frame/FileWriting.h"
#include "platform/os/RegularFile.h"
#include "platform/runtime/XmlText.h"
#include "value/DiagnosticLog.h"

namespace kv {

namespace {

const char* const kRoot = FrameProject::kRootName;
const char* const kVersion = FrameProject::kFileVersion;
// How every instance of a written project begins: on a line of its own, indented by two. The
// reader cuts a file before such lines.
constexpr std::string_view kInstanceLine = "\n  <Instance ";

// Line and column (from 1) of a place in a text given piece by piece.
class TextPlace {
  public:
    void Pass(std::string_view piece) {
        for (const char c : piece) {
            if (c == '\n') {
                ++line_;
                column_ = 1;
            } else {
                ++column_;
            }
        }
    }
    size_t Line() const { return line_; }
    size_t Column() const { return column_; }

  private:
    size_t line_ = 1;
    size_t column_ = 1;
};

// The fault of a text that does not parse; 'where' is the place of the fault.
FrameFault NotWellFormed(const pugi::xml_parse_result& parsed, const TextPlace& where) {
    return {.kind = FrameFault::kNotWellFormed,
            .position = where.Line(),
            .column = where.Column(),
            .error = parsed.status};
}

// The fault of a project file that cannot be read.
FrameFault FaultOf(const os::FileFault& unread, const std::string& path) {
    switch (unread.kind) {
        case os::FileFault::kNoRegularFile:
            return {.kind = FrameFault::kNoRegularFile, .path = path};
        case os::FileFault::kCannotOpen:
            return {.kind = FrameFault::kCannotOpen, .path = path, .error = unread.error};
        case os::FileFault::kCannotRead:
            return {.kind = FrameFault::kCannotRead, .path = path, .error = unread.error};
    }
    return {.kind = FrameFault::kCannotRead, .path = path, .error = unread.error};
}

// Parses the first 'length' characters of a text in place, as load_string parses a copy of them:
// the NUL after them is given to the parser too, which then sees the same end of the text (it
// sets the last character of its buffer aside).
pugi::xml_parse_result ParseInPlace(pugi::xml_document& doc, std::string& text, size_t length) {
    text[length] = '\0';
    return doc.load_buffer_inplace(text.data(), length + 1, pugi::parse_default,
                                   pugi::encoding_utf8);
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
        text_ += '>';
    text_ += kInstanceLine;
    text_ += "systemTag=\"";
    AppendXmlAttributeValue(text_, systemTag);
    text_ += "\" deviceType=\"";
    AppendXmlAttributeValue(text_, deviceType);
    text_ += "\">\n";
    bag.AppendXmlText(text_, 2);
    text_ += "  </Instance>";
    // The instances of a project are much alike: room for all of them at once spares the text
    // the copies (and the peak of memory) of its growing.
    if (instances_ == 1 && expected_ > 1)
        text_.reserve(text_.size() * expected_ + text_.size() / 8 + 64);
}

bool ProjectWriter::WriteOut(const TextSink& write) {
    const bool written = write(text_);
    text_.clear();
    return written;
}

std::string ProjectWriter::Finish() {
    text_ += instances_ == 0 ? " />\n" : "\n</" + std::string(kRoot) + ">\n";
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

// How many CPUs the process may run on (its affinity, which a container or taskset may narrow
// below the machine's count); the machine's count where the affinity cannot be read.
size_t UsableCpus() {
    for (int cpus = CPU_SETSIZE; cpus <= (1 << 16); cpus *= 2) {
        cpu_set_t* set = CPU_ALLOC(static_cast<size_t>(cpus));
        if (set == nullptr)
            break;
        const size_t size = CPU_ALLOC_SIZE(static_cast<size_t>(cpus));
        const bool read = ::sched_getaffinity(0, size, set) == 0;
        const bool tooSmall = !read && errno == EINVAL;  // the system has more CPUs
        const int count = read ? CPU_COUNT_S(size, set) : 0;
        CPU_FREE(set);
        if (read)
            return static_cast<size_t>(std::max(count, 1));
        if (!tooSmall)
            break;
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

// Runs work(i, buffer) for every i below count, on as many threads as the process may run at
// once and the instances keep busy (the calling thread among them); buffer is the thread's room
// for the text it reads, kept from one i to the next. Every thread is joined before it returns.
// The first exception of work stops the others and is thrown again here.
template <class Work>
void RunOnThreads(size_t count, Work work) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr fault;  // written by the first thread that fails, read after the joins
    auto run = [&]() noexcept {
        try {
            std::string buffer;
            for (size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1))
                work(i, buffer);
        } catch (...) {
            next = count;
            if (!failed.exchange(true))
                fault = std::current_exception();
        }
    };
    const size_t threads = std::clamp<size_t>(count / kInstancesPerThread, 1, UsableCpus());
    {
        // Joined however this block is left.
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
        } catch (const std::system_error&) {
            // No more threads to be had: those running and this one do the work.
        } catch (const std::bad_alloc&) {
            // The same, for want of room to keep them.
        }
        run();
    }
    if (fault)
        std::rethrow_exception(fault);
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
    std::vector<BagProblem> bagProblems;  // why the bag does not read completely
    std::exception_ptr thrown;            // what describing the element threw
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
        if (!element.bag.LoadXml(bagNode, &element.bagProblems) && element.bagProblems.empty())
            element.bagProblems.push_back({});
    } catch (...) {
        element.thrown = std::current_exception();
    }
}

// The elements of the root, described on several threads.
std::vector<RootElement> DescribeAll(pugi::xml_node root) {
    const std::vector<pugi::xml_node> nodes = ElementsOf(root);
    std::vector<RootElement> elements(nodes.size());
    RunOnThreads(nodes.size(), [&](size_t i, std::string&) { Describe(nodes[i], elements[i]); });
    return elements;
}

// The file is searched for instances' lines in pieces of this many characters.
constexpr size_t kProjectReadPiece = 64 * 1024;

// Where the parts of the instances start (see ParseInParts) among the characters [lo, hi) of a
// text of 'size' characters; 'window' holds the text from 'windowAt' on, from 3 characters
// before lo to an instance's line after hi where the text has them. False where those characters
// show that the text cannot be cut: a "<" that starts markup other than a tag (or ends the text),
// or a NUL.
bool FindPartStarts(std::string_view window, size_t windowAt, size_t lo, size_t hi, size_t size,
                    std::vector<size_t>& starts) {
    const char* const first = window.data() + (lo - windowAt);
    if (std::memchr(first, '\0', hi - lo) != nullptr)
        return false;
    for (const char* p = first; (p = static_cast<const char*>(std::memchr(
                                     p, '<', hi - lo - static_cast<size_t>(p - first))));
         ++p) {
        const size_t i = static_cast<size_t>(p - window.data());
        const size_t at = windowAt + i;
        if (at + 1 >= size)
            return false;
        if (p[1] == '!' || (p[1] == '?' && at != 0))
            return false;
        if (p[1] == 'I' && at >= 3 && window.substr(i - 3, kInstanceLine.size()) == kInstanceLine)
            starts.push_back(at - 2);
    }
    return true;
}

// Whether the text before the first instance's part ends where the parser of the whole file is
// at that place: in the content of the one root element, outside any markup. The text is closed
// by an end tag of its own, not by the file's end, which could complete a processing
// instruction or an attribute's text that the first instance's line stands in.
bool EndsInTheRoot(const std::string& head) {
    std::string closed = head;
    closed += "</";
    closed += kRoot;
    closed += '>';
    pugi::xml_document doc;
    if (!ParseInPlace(doc, closed, closed.size()))
        return false;
    return ElementsOf(doc).size() == 1;
}

// The project file parsed in parts where it can be cut into them safely: where no "<" after its
// first character starts a comment, a CDATA section, a document type or a processing
// instruction, every "<" starts a tag, so that a line "  <Instance " starts an element unless
// it stands in an attribute's text (or, at the file's start, in a processing instruction); a
// part cut there does not parse. The file is read in pieces on the threads to find those lines;
// it is cut before each of them and before the root's end tag. The part around the instances is
// parsed and gives the root; each instance's part is read, parsed, described and dropped on the
// threads. Every part parses as it does within the whole file, so the file reads as its whole
// text does. False for a file that cannot be read so, does not cut so or whose parts do not all
// parse: such a file is read whole. Throws std::bad_alloc where a part does not fit.
bool ParseInParts(const os::RegularFile& file, pugi::xml_document& frame,
                  std::vector<RootElement>& elements) {
    const size_t size = file.Size();
    if (size == 0)
        return false;
    std::atomic<bool> failed{false};
    std::vector<std::vector<size_t>> startsOfPiece((size - 1) / kProjectReadPiece + 1);
    RunOnThreads(startsOfPiece.size(), [&](size_t i, std::string& buffer) {
        const size_t lo = i * kProjectReadPiece;
        const size_t hi = std::min(size, lo + kProjectReadPiece);
        const size_t windowAt = lo < 3 ? 0 : lo - 3;
        if (failed.load() ||
            !file.ReadAt(windowAt, std::min(size, hi + kInstanceLine.size()) - windowAt, buffer) ||
            !FindPartStarts(buffer, windowAt, lo, hi, size, startsOfPiece[i]))
            failed = true;
    });
    if (failed)
        return false;
    std::vector<size_t> starts;  // where each instance's part starts
    for (const std::vector<size_t>& piece : startsOfPiece)
        starts.insert(starts.end(), piece.begin(), piece.end());
    std::string tail;  // the last instance's part and what follows it
    if (starts.empty() || !file.ReadAt(starts.back(), size - starts.back(), tail))
        return false;
    const size_t endInTail = tail.rfind(std::string("</") + kRoot);
    if (endInTail == std::string::npos)
        return false;
    std::string around;
    if (!file.ReadAt(0, starts.front(), around) || !EndsInTheRoot(around))
        return false;
    around.append(tail, endInTail);
    if (!frame.load_buffer(around.data(), around.size(), pugi::parse_default, pugi::encoding_utf8))
        return false;
    starts.push_back(starts.back() + endInTail);
    std::vector<std::vector<RootElement>> parts(starts.size() - 1);
    RunOnThreads(parts.size(), [&](size_t i, std::string& buffer) {
        if (failed.load())
            return;
        pugi::xml_document part;
        if (!file.ReadAt(starts[i], starts[i + 1] - starts[i], buffer) ||
            !ParseInPlace(part, buffer, buffer.size())) {
            failed = true;
            return;
        }
        const std::vector<pugi::xml_node> nodes = ElementsOf(part);
        parts[i].resize(nodes.size());
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
                   std::vector<ProjectInstance>& instances, FrameFault& fault,
                   const std::vector<std::string>& knownDeviceTypes) {
    if (std::string(root.name()) != kRoot) {
        fault = {.kind = FrameFault::kNoProject, .name = root.name()};
        return false;
    }
    if (std::string(root.attribute("version").value()) != kVersion) {
        fault = {.kind = FrameFault::kWrongVersion, .name = root.attribute("version").value()};
        return false;
    }
    std::vector<ProjectInstance> loaded;
    loaded.reserve(elements.size());
    std::set<std::string> tags;
    size_t position = 0;
    for (RootElement& element : elements) {
        ++position;
        if (element.thrown)
            std::rethrow_exception(element.thrown);
        if (element.name != "Instance") {
            fault = {
                .kind = FrameFault::kForeignElement, .name = element.name, .position = position};
            return false;
        }
        if (element.systemTag.empty()) {
            fault = {.kind = FrameFault::kNoSystemTag, .position = position};
            return false;
        }
        const auto instanceFault = [&](FrameFault::Kind kind, const std::string& name = {}) {
            fault = {.kind = kind, .tag = element.systemTag, .name = name};
            return false;
        };
        if (!tags.insert(element.systemTag).second)
            return instanceFault(FrameFault::kTagTwice);
        if (element.deviceType.empty())
            return instanceFault(FrameFault::kNoDeviceType);
        if (!knownDeviceTypes.empty()) {
            bool known = false;
            for (const std::string& t : knownDeviceTypes)
                known = known || t == element.deviceType;
            if (!known)
                return instanceFault(FrameFault::kUnknownDeviceType, element.deviceType);
        }
        if (!element.wrongChild.empty())
            return instanceFault(FrameFault::kWrongChild, element.wrongChild);
        if (!element.hasBag)
            return instanceFault(FrameFault::kNoBag);
        if (!element.bagProblems.empty()) {
            instanceFault(FrameFault::kBagFault);
            fault.bag = element.bagProblems.front();
            fault.more = element.bagProblems.size() - 1;
            return false;
        }
        loaded.push_back({element.systemTag, element.deviceType, std::move(element.bag)});
    }
    instances = std::move(loaded);
    return true;
}

}  // namespace

bool FrameProject::FromXml(const std::string& text, FrameFault& fault,
                           const std::vector<std::string>& knownDeviceTypes) {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_string(text.c_str());
    if (!parsed) {
        TextPlace where;
        where.Pass(std::string_view(text).substr(0, static_cast<size_t>(parsed.offset)));
        fault = NotWellFormed(parsed, where);
        return false;
    }
    std::vector<RootElement> elements = DescribeAll(doc.document_element());
    return TakeInstances(doc.document_element(), elements, instances, fault, knownDeviceTypes);
}

bool FrameProject::Save(const std::string& path, FrameFault& fault) const {
    std::string text;
    try {
        text = ToXml();
    } catch (const std::exception& e) {
        fault = {.kind = FrameFault::kNotSaved, .path = path, .name = e.what()};
        return false;
    }
    return WriteFileInPlace(path, text, fault);
}

bool FrameProject::Load(const std::string& path, FrameFault& fault,
                        const std::vector<std::string>& knownDeviceTypes, DiagnosticLog* log) {
    os::RegularFile file;
    os::FileFault unread;
    if (!file.Open(path, unread)) {
        fault = FaultOf(unread, path);
        return false;
    }
    pugi::xml_document doc;
    std::vector<RootElement> elements;
    bool inParts = false;
    try {
        inParts = ParseInParts(file, doc, elements);
    } catch (const std::bad_alloc& e) {
        if (log != nullptr)
            log->Record("FrameProject::Load", path + " is read whole: " + e.what());
    } catch (const std::system_error& e) {
        if (log != nullptr)
            log->Record("FrameProject::Load", path + " is read whole: " + e.what());
    }
    FrameFault damage;
    bool ok = false;
    if (inParts) {
        ok = TakeInstances(doc.document_element(), elements, instances, damage, knownDeviceTypes);
    } else {
        // Parsed in place, so that the text is held once.
        doc.reset();
        elements.clear();
        std::string text;
        if (!file.ReadAll(text, unread)) {
            fault = FaultOf(unread, path);
            return false;
        }
        const pugi::xml_parse_result parsed = ParseInPlace(doc, text, std::strlen(text.c_str()));
        if (parsed) {
            elements = DescribeAll(doc.document_element());
            ok = TakeInstances(doc.document_element(), elements, instances, damage,
                               knownDeviceTypes);
        } else {
            // The parse changed the text: the place of the fault is counted in the file. (The
            // parser may place it just after the text's end.)
            const size_t end = std::min(static_cast<size_t>(parsed.offset), text.size());
            text = std::string();
            TextPlace where;
            std::string piece;
            for (size_t at = 0; at < end; at += piece.size()) {
                if (!file.ReadAt(at, std::min(kProjectReadPiece, end - at), piece))
                    break;
                where.Pass(piece);
            }
            damage = NotWellFormed(parsed, where);
        }
    }
    if (!ok) {
        fault = std::move(damage);
        fault.path = path;
        return false;
    }
    return true;
}

}  // namespace kv
