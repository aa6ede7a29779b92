#include "frame/ProjectParts.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <string_view>

#include "frame/FrameProject.h"
#include "platform/os/RegularFile.h"
#include "platform/os/Threads.h"

namespace kv {

namespace {

const char* const kRoot = FrameProject::kRootName;
// The start of an instance's tag, which the name's end follows: white space, ">" or "/".
constexpr std::string_view kInstanceTag = "<Instance";

// Whether a character that follows a tag's name ends it.
bool EndsAName(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

// Where the parts of the instances start (see ParseInParts) among the characters [lo, hi) of a
// text of 'size' characters; 'window' holds the text from lo on, to the end of an instance's
// tag name that starts before hi where the text has it. False where those characters show that
// the text cannot be cut: a "<" that starts markup other than a tag (or ends the text), or a
// NUL.
bool FindPartStarts(std::string_view window, size_t lo, size_t hi, size_t size,
                    std::vector<size_t>& starts) {
    const char* const first = window.data();
    const size_t length = hi - lo;
    if (std::memchr(first, '\0', length) != nullptr)
        return false;
    for (const char* p = first; (p = static_cast<const char*>(
                                     std::memchr(p, '<', length - static_cast<size_t>(p - first))));
         ++p) {
        const size_t i = static_cast<size_t>(p - first);
        const size_t at = lo + i;
        if (at + 1 >= size)
            return false;
        if (p[1] == '!' || (p[1] == '?' && at != 0))
            return false;
        const size_t nameEnd = i + kInstanceTag.size();
        if (p[1] == 'I' && nameEnd < window.size() &&
            window.substr(i, kInstanceTag.size()) == kInstanceTag && EndsAName(window[nameEnd]))
            starts.push_back(at);
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

}  // namespace

// The project file parsed in parts where it can be cut into them safely: where no "<" after its
// first character starts a comment, a CDATA section, a document type or a processing
// instruction, every "<" starts a tag, so that a "<Instance" starts an instance's element
// unless it stands in an attribute's text (or, at the file's start, in a processing
// instruction). The file is read in pieces on the threads to find those tags, wherever they
// stand on their lines; it is cut before each of them and before the root's end tag. The part
// before the first instance must end in the root's content, and each part must parse on its own
// as whole elements: then every cut lies between two elements of the root, and a tag in an
// attribute's text or an instance within another one leaves a part that does not parse. The
// part around the instances is parsed and gives the root; each instance's part is read, parsed,
// converted and dropped on the threads. Every part parses as it does within the whole file, so
// the file reads as its whole text does. False for a file that cannot be read so, does not cut so
// or whose parts do not all parse: such a file is read whole. Throws std::bad_alloc where a part
// does not fit.
bool ParseInParts(const os::RegularFile& file, pugi::xml_document& frame,
                  std::vector<RootElement>& elements, DiagnosticLog* log) {
    const size_t size = file.Size();
    if (size == 0)
        return false;
    std::atomic<bool> failed{false};
    std::vector<std::vector<size_t>> startsOfPiece((size - 1) / kProjectReadPiece + 1);
    os::RunOnThreads<std::string>(
        startsOfPiece.size(), ThreadsFor(startsOfPiece.size()),
        [&](size_t i, std::string& buffer) {
            const size_t lo = i * kProjectReadPiece;
            const size_t hi = std::min(size, lo + kProjectReadPiece);
            if (failed.load() ||
                !file.ReadAt(lo, std::min(size, hi + kInstanceTag.size()) - lo, buffer) ||
                !FindPartStarts(buffer, lo, hi, size, startsOfPiece[i]))
                failed = true;
        },
        log);
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
    os::RunOnThreads<std::string>(
        parts.size(), ThreadsFor(parts.size()),
        [&](size_t i, std::string& buffer) {
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
                ConvertElement(nodes[n], parts[i][n]);
        },
        log);
    if (failed)
        return false;
    elements = ConvertElements(frame.document_element(), log);
    for (std::vector<RootElement>& part : parts) {
        for (RootElement& element : part)
            elements.push_back(std::move(element));
    }
    return true;
}

}  // namespace kv
