#include "frame/FrameProject.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <pugixml.hpp>
#include <set>
#include <string_view>

#include "frame/FileWriting.h"
#include "frame/ProjectElements.h"
#include "frame/ProjectParts.h"
#include "platform/os/RegularFile.h"
#include "platform/runtime/XmlText.h"

namespace kv {

namespace {

const char* const kRoot = FrameProject::kRootName;
const char* const kVersion = FrameProject::kFileVersion;
// How every instance of a written project begins: on a line of its own, indented by two.
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
    std::vector<RootElement> elements = ConvertElements(doc.document_element(), nullptr);
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
    // Where the parts do not fit in memory, the whole text and its tree (which take more) would
    // not either: std::bad_alloc reaches the caller.
    pugi::xml_document doc;
    std::vector<RootElement> elements;
    FrameFault damage;
    bool ok = false;
    if (ParseInParts(file, doc, elements, log)) {
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
            elements = ConvertElements(doc.document_element(), log);
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
