#include "platform/runtime/DTMDictionary.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/os/ComponentFolder.h"
#include "platform/runtime/IXMLHelper.h"
#include "value/DiagnosticLog.h"

namespace kv {

namespace fs = std::filesystem;

namespace {

struct DictionaryEntry {
    pugi::xml_node node;
    // Attribute name (pointing into the document) and its value, shared with every instance.
    std::vector<std::pair<std::string_view, SharedText>> attributes;
};

struct DictionarySection {
    pugi::xml_node node;
    std::unordered_map<std::string, DictionaryEntry> entries;
};

}  // namespace

// The merged, indexed document of one language. Never changed after it is built.
class DictionaryDocument {
  public:
    int32_t language = 0;
    pugi::xml_document doc;
    std::unordered_map<std::string, DictionarySection> sections;
    std::unordered_map<const void*, const DictionarySection*> sectionsByNode;
    std::string error;  // a part file that did not load

    const DictionarySection* SectionOf(pugi::xml_node node) const {
        auto it = sectionsByNode.find(node.internal_object());
        return it == sectionsByNode.end() ? nullptr : it->second;
    }
};

namespace {

// Reads and parses one file; the fault when it cannot be read or is not a dictionary.
std::optional<DictionaryFault> ReadFile(const fs::path& file, pugi::xml_document& doc) {
    auto fault = [&](DictionaryFault::Kind kind, const std::string& detail) {
        return DictionaryFault{kind, file.string(), detail,
                               "dictionary file " + file.string() + ": " + detail};
    };
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const int error = errno;
        DictionaryFault unreadable = fault(DictionaryFault::kFileUnreadable, std::strerror(error));
        unreadable.error = error;
        return unreadable;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        DictionaryFault unreadable = fault(DictionaryFault::kFileUnreadable, "it cannot be read");
        unreadable.error = EIO;
        return unreadable;
    }
    const std::string text = content.str();
    pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size());
    if (!r) {
        const size_t end =
            std::min(text.size(), static_cast<size_t>(std::max<ptrdiff_t>(r.offset, 0)));
        const size_t line =
            1 + static_cast<size_t>(
                    std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(end), '\n'));
        DictionaryFault damaged =
            fault(DictionaryFault::kFileDamaged,
                  std::string(r.description()) + " in line " + std::to_string(line));
        damaged.status = r.status;
        damaged.line = line;
        return damaged;
    }
    if (std::strcmp(doc.document_element().name(), "DTMDictionary") != 0)
        return fault(DictionaryFault::kFileDamaged, "the root element is not DTMDictionary");
    return std::nullopt;
}

// The files <prefix>_*.xml of the folder, sorted by name; ec tells when the folder cannot be
// listed.
std::vector<fs::path> FilesOf(const std::string& folder, const std::string& prefix,
                              std::error_code& ec) {
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string fn = it->path().filename().string();
        if (fn.size() > prefix.size() + 5 && fn.compare(0, prefix.size() + 1, prefix + "_") == 0 &&
            fn.compare(fn.size() - 4, 4, ".xml") == 0)
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Parses one file; an error text when it cannot be read or is not a dictionary.
std::string ParseFile(const fs::path& file, pugi::xml_document& doc) {
    const std::optional<DictionaryFault> fault = ReadFile(file, doc);
    return fault ? fault->message : std::string();
}

// Appends the sections of one file to the merged document.
void Merge(pugi::xml_node target, const pugi::xml_document& source) {
    for (pugi::xml_node section : source.document_element().children()) {
        if (section.type() != pugi::node_element)
            continue;
        pugi::xml_node into = target.child(section.name());
        if (!into)
            into = target.append_child(section.name());
        for (pugi::xml_node entry : section.children()) {
            if (entry.type() == pugi::node_element)
                into.append_copy(entry);
        }
    }
}

// The text of an attribute of an indexed entry; nullopt when the entry has none.
std::optional<SharedText> AttributeText(const DictionaryEntry& entry, std::string_view attribute) {
    for (const auto& [name, value] : entry.attributes) {
        if (attribute == name)
            return value;
    }
    return std::nullopt;
}

// The text of an attribute of an entry of a document that is not indexed (an earlier language's).
std::optional<SharedText> DirectText(pugi::xml_node entry, std::string_view attribute) {
    pugi::xml_attribute a = entry.attribute(std::string(attribute).c_str());
    if (!a)
        return std::nullopt;
    return SharedText(std::string(a.value()));
}

void BuildIndex(DictionaryDocument& d) {
    for (pugi::xml_node section : d.doc.document_element().children()) {
        if (section.type() != pugi::node_element)
            continue;
        DictionarySection& s = d.sections[section.name()];
        s.node = section;
        for (pugi::xml_node entry : section.children()) {
            pugi::xml_attribute key = entry.attribute("key");
            if (!key)
                continue;
            auto [it, added] = s.entries.try_emplace(key.value());
            if (!added)
                continue;  // the first entry of a key wins
            it->second.node = entry;
            for (pugi::xml_attribute a : entry.attributes()) {
                it->second.attributes.emplace_back(a.name(), SharedText(a.value()));
            }
        }
    }
    for (auto& [name, s] : d.sections)
        d.sectionsByNode[s.node.internal_object()] = &s;
}

// Builds the document of one language; nullptr when its main file is missing or broken.
std::shared_ptr<DictionaryDocument> Build(const std::string& folder, const std::string& name,
                                          int32_t language, std::string& error) {
    const std::string stem = name + "_" + std::to_string(language);
    const fs::path main = fs::path(folder) / (stem + ".xml");
    std::error_code ec;
    if (!fs::is_regular_file(main, ec)) {
        error = "dictionary file " + main.string() + " is missing";
        return nullptr;
    }
    auto d = std::make_shared<DictionaryDocument>();
    d->language = language;
    pugi::xml_node root = d->doc.append_child("DTMDictionary");
    root.append_attribute("language") = language;

    pugi::xml_document file;
    if (std::string e = ParseFile(main, file); !e.empty()) {
        error = e;
        return nullptr;
    }
    Merge(root, file);

    for (const fs::path& p : FilesOf(folder, stem, ec)) {
        pugi::xml_document part;
        if (std::string e = ParseFile(p, part); !e.empty()) {
            // The other files still serve; the fault is reported by Load.
            if (!d->error.empty())
                d->error += "; ";
            d->error += e;
            continue;
        }
        Merge(root, part);
    }
    BuildIndex(*d);
    return d;
}

// The process-wide cache of parsed documents, keyed by folder, name and language.
struct DocumentCache {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<const DictionaryDocument>> documents;
};

DocumentCache& TheDocumentCache() {
    static DocumentCache cache;
    return cache;
}

std::shared_ptr<const DictionaryDocument> CachedDocument(const std::string& folder,
                                                         const std::string& name, int32_t language,
                                                         std::string& error) {
    DocumentCache& cache = TheDocumentCache();
    const std::string key = folder + '\n' + name + '\n' + std::to_string(language);
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (auto it = cache.documents.find(key); it != cache.documents.end())
        return it->second;
    auto d = Build(folder, name, language, error);
    if (!d)
        return nullptr;  // a missing or broken file is looked for again next time
    cache.documents.emplace(key, d);
    return d;
}

}  // namespace

void DTMDictionary::ForgetLoadedDocuments() {
    DocumentCache& cache = TheDocumentCache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    cache.documents.clear();
}

DTMDictionary::DTMDictionary() = default;
DTMDictionary::~DTMDictionary() = default;

bool DTMDictionary::Load(IDTMContext& context, const std::string& name) {
    std::string folder;
    try {
        folder = context.XMLHelper().XMLDataPath();
    } catch (const std::exception& error) {
        // A context without its XML helper: the program's own folder.
        context.Diagnostics().Record("DTMDictionary::Load", error.what());
        folder = os::XmlDataFolder();
    }
    return LoadFrom(folder, name);
}

bool DTMDictionary::LoadFrom(const std::string& folder, const std::string& name) {
    // A failed load keeps the document in use: texts already shown stay valid.
    const std::string oldFolder = folder_, oldName = name_;
    folder_ = folder;
    name_ = name;
    if (!Switch(language_) && !(language_ != langEnglish && Switch(langEnglish))) {
        if (doc_) {
            folder_ = oldFolder;
            name_ = oldName;
        }
        return false;
    }
    return lastError_.empty();
}

bool DTMDictionary::Switch(int32_t languageId) {
    if (name_.empty())
        return false;
    std::string error;
    auto d = CachedDocument(folder_, name_, languageId, error);
    if (!d) {
        lastError_ = error;
        return false;
    }
    doc_ = std::move(d);
    language_ = languageId;
    lastError_ = doc_->error;
    return true;
}

bool DTMDictionary::SetLanguage(int32_t languageId, bool) {
    if (name_.empty())
        return false;
    std::vector<int32_t> candidates{languageId};
    for (int32_t id : {languageId & 0x3FF, int32_t{langEnglish}}) {
        if (std::find(candidates.begin(), candidates.end(), id) == candidates.end())
            candidates.push_back(id);
    }
    std::string firstError;
    for (int32_t id : candidates) {
        if (Switch(id))
            return true;
        if (firstError.empty())
            firstError = lastError_;
    }
    lastError_ = firstError;
    return false;
}

std::optional<DictionaryFault> DTMDictionary::CheckFolder(const std::string& folder,
                                                          const std::string& name,
                                                          const std::vector<int32_t>& languages) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        const std::string detail = fs::exists(folder, ec) ? "it is no folder" : "it does not exist";
        return DictionaryFault{DictionaryFault::kFolderMissing, folder, detail,
                               "dictionary folder " + folder + ": " + detail};
    }
    for (int32_t language : languages) {
        const fs::path main = fs::path(folder) / (name + "_" + std::to_string(language) + ".xml");
        if (!fs::exists(main, ec)) {
            return DictionaryFault{DictionaryFault::kFileMissing, main.string(), "it is missing",
                                   "dictionary file " + main.string() + " is missing"};
        }
    }
    const std::vector<fs::path> files = FilesOf(folder, name, ec);
    if (ec) {
        return DictionaryFault{DictionaryFault::kFileUnreadable, folder, ec.message(),
                               "dictionary folder " + folder + ": " + ec.message(), ec.value()};
    }
    for (const fs::path& file : files) {
        pugi::xml_document doc;
        if (std::optional<DictionaryFault> fault = ReadFile(file, doc))
            return fault;
    }
    return std::nullopt;
}

std::shared_ptr<const void> DTMDictionary::DocumentOwner() const {
    return doc_;
}

pugi::xml_node DTMDictionary::GetSection(const std::string& section) const {
    if (!doc_)
        return {};
    auto it = doc_->sections.find(section);
    return it == doc_->sections.end() ? pugi::xml_node() : it->second.node;
}

pugi::xml_node DTMDictionary::GetSectionEntry(pugi::xml_node section,
                                              const std::string& key) const {
    if (!section)
        return {};
    if (doc_) {
        if (const DictionarySection* s = doc_->SectionOf(section)) {
            auto it = s->entries.find(key);
            return it == s->entries.end() ? pugi::xml_node() : it->second.node;
        }
    }
    // A node of another document (an earlier language): searched directly.
    return section.find_child_by_attribute("key", key.c_str());
}

Variant DTMDictionary::GetText(const std::string& section, const std::string& key,
                               const std::string& attribute) const {
    return GetText(GetSection(section), key, attribute);
}

Variant DTMDictionary::GetText(pugi::xml_node section, const std::string& key,
                               const std::string& attribute) const {
    pugi::xml_attribute a = GetSectionEntry(section, key).attribute(attribute.c_str());
    if (!a)
        return Variant();
    return Variant(std::string(a.value()));
}

std::optional<SharedText> DTMDictionary::GetSharedText(pugi::xml_node section,
                                                       const std::string& key,
                                                       const std::string& attribute) const {
    if (!section)
        return std::nullopt;
    if (const DictionarySection* s = doc_ ? doc_->SectionOf(section) : nullptr) {
        auto it = s->entries.find(key);
        return it == s->entries.end() ? std::nullopt : AttributeText(it->second, attribute);
    }
    return DirectText(GetSectionEntry(section, key), attribute);
}

std::vector<std::optional<SharedText>> DTMDictionary::GetSharedTexts(
    pugi::xml_node section, const std::string& key,
    std::initializer_list<std::string_view> attributes) const {
    std::vector<std::optional<SharedText>> texts;
    texts.reserve(attributes.size());
    if (!section) {
        texts.resize(attributes.size());
        return texts;
    }
    if (const DictionarySection* s = doc_ ? doc_->SectionOf(section) : nullptr) {
        auto it = s->entries.find(key);
        for (std::string_view attribute : attributes)
            texts.push_back(it == s->entries.end() ? std::nullopt
                                                   : AttributeText(it->second, attribute));
        return texts;
    }
    const pugi::xml_node entry = GetSectionEntry(section, key);
    for (std::string_view attribute : attributes)
        texts.push_back(DirectText(entry, attribute));
    return texts;
}

std::optional<std::string> DTMDictionary::GetXml(IDTMContext&, const std::string& xml,
                                                 const std::string& section,
                                                 const std::string& attribute) const {
    pugi::xml_document doc;
    if (!doc.load_string(xml.c_str(), pugi::parse_default | pugi::parse_declaration))
        return std::nullopt;
    pugi::xml_node sectionNode = GetSection(section);
    std::vector<pugi::xml_node> pending{doc.document_element()};
    while (!pending.empty()) {
        pugi::xml_node node = pending.back();
        pending.pop_back();
        for (pugi::xml_attribute a : node.attributes()) {
            std::string v = a.value();
            if (v.size() < 3 || v.compare(0, 2, "$(") != 0 || v.back() != ')')
                continue;
            Variant text = GetText(sectionNode, v.substr(2, v.size() - 3), attribute);
            if (text.isString())
                a.set_value(text.str().c_str());
        }
        for (pugi::xml_node child : node.children()) {
            if (child.type() == pugi::node_element)
                pending.push_back(child);
        }
    }
    std::ostringstream os;
    doc.save(os, "", pugi::format_raw | pugi::format_no_declaration);
    return os.str();
}

}  // namespace kv
