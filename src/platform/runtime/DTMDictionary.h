#pragma once
// The language dictionary of the DTM. For each language the folder holds
// <name>_<lang>.xml and any number of <name>_<lang>_<part>.xml, merged into one document (the
// entries of sections of one name are joined; the first entry of a key wins). Parsed documents
// are kept once per process and shared read-only by every instance; an instance holds only a
// reference to the document of its language.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "value/SharedText.h"

namespace kv {

class DictionaryDocument;

// A fault of the dictionary folder or of one of its files.
struct DictionaryFault {
    enum Kind {
        kFolderMissing,   // the folder does not exist or is no folder
        kFileMissing,     // a language's main file is not there
        kFileUnreadable,  // a file cannot be opened or read
        kFileDamaged      // a file is not well-formed XML or not a dictionary
    };
    Kind kind;
    std::string path;     // the folder or the file
    std::string detail;   // what the system or the parser reports
    std::string message;  // the whole fault in one sentence
    // What the detail tells, for a reader to tell it in words of its own: the system's error
    // number (errno) of a folder or file that cannot be read; the parser's status
    // (pugi::xml_parse_status) and the line of a file that does not parse. 0 where none.
    int error = 0;
    int status = 0;
    size_t line = 0;
};

class DTMDictionary : public IDTMDictionary {
  public:
    DTMDictionary();
    ~DTMDictionary() override;

    // Loads the documents of the current language (English at first) from the context's XML
    // data folder. False when the language's main file is missing or a file does not parse
    // (LastError names it); the files that did load still serve look-ups.
    bool Load(IDTMContext& context, const std::string& name) override;
    // The same from a given folder.
    bool LoadFrom(const std::string& folder, const std::string& name);
    bool HasDocument() const override { return doc_ != nullptr; }
    // Switches to the language; a missing language falls back to its primary language, then to
    // English (9). False, with the language unchanged, when none of them loads.
    bool SetLanguage(int32_t languageId, bool fallback) override;
    // The language of the document in use.
    int32_t Language() const override { return language_; }

    pugi::xml_node GetSection(const std::string& section) const override;
    pugi::xml_node GetSectionEntry(pugi::xml_node section, const std::string& key) const override;
    Variant GetText(const std::string& section, const std::string& key,
                    const std::string& attribute) const override;
    Variant GetText(pugi::xml_node section, const std::string& key,
                    const std::string& attribute) const override;
    std::optional<SharedText> GetSharedText(pugi::xml_node section, const std::string& key,
                                            const std::string& attribute) const override;
    std::vector<std::optional<SharedText>> GetSharedTexts(
        pugi::xml_node section, const std::string& key,
        std::initializer_list<std::string_view> attributes) const override;
    std::optional<std::string> GetXml(IDTMContext& context, const std::string& xml,
                                      const std::string& section,
                                      const std::string& attribute) const override;

    std::shared_ptr<const void> DocumentOwner() const override;

    const std::string& LastError() const { return lastError_; }

    // Checks a dictionary folder before any instance uses it: the folder exists, the main file
    // <name>_<lang>.xml of each given language is there, and every file <name>_*.xml of the
    // folder reads as a dictionary. The first fault found; nullopt when there is none.
    static std::optional<DictionaryFault> CheckFolder(const std::string& folder,
                                                      const std::string& name,
                                                      const std::vector<int32_t>& languages);

    // Drops the parsed documents kept for the process, so that the next load reads the files
    // again; instances keep the documents they hold.
    static void ForgetLoadedDocuments();

  private:
    // Takes the document of one language from the process-wide cache, loading it on first use.
    bool Switch(int32_t languageId);

    std::string folder_;
    std::string name_;
    std::shared_ptr<const DictionaryDocument> doc_;
    int32_t language_ = langEnglish;
    std::string lastError_;
};

}  // namespace kv
