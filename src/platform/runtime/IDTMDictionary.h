#pragma once
// The runtime's language dictionary of an instance.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "value/SharedText.h"
#include "value/Variant.h"

namespace kv {

class IDTMContext;

// The primary language ids of the dictionaries the DTM carries; English is the fallback.
enum LanguageId : int32_t {
    langGerman = 7,
    langEnglish = 9,
};

// The language dictionary: one document per language with sections of keyed entries.
class IDTMDictionary {
  public:
    virtual ~IDTMDictionary() = default;
    // Loads the dictionary documents named 'name' from the XML data folder; False when none.
    virtual bool Load(IDTMContext& context, const std::string& name) = 0;
    // True once a document is loaded.
    virtual bool HasDocument() const = 0;
    // Switches to the language (a language id); a missing language falls back to its primary
    // language and then to English. False when none of them exists (the flag is not used).
    virtual bool SetLanguage(int32_t languageId, bool fallback) = 0;
    virtual int32_t Language() const = 0;
    // The section node of the current language; an empty node when missing.
    virtual pugi::xml_node GetSection(const std::string& section) const = 0;
    // The entry of a section by key; an empty node when missing.
    virtual pugi::xml_node GetSectionEntry(pugi::xml_node section,
                                           const std::string& key) const = 0;
    // The attribute of an entry as text; Empty when the section, the entry or the attribute is
    // missing.
    virtual Variant GetText(const std::string& section, const std::string& key,
                            const std::string& attribute) const = 0;
    virtual Variant GetText(pugi::xml_node section, const std::string& key,
                            const std::string& attribute) const = 0;
    // The same as a text shared with the dictionary (no copy per instance); nullopt when
    // missing.
    virtual std::optional<SharedText> GetSharedText(pugi::xml_node section, const std::string& key,
                                                    const std::string& attribute) const {
        Variant v = GetText(section, key, attribute);
        if (!v.isString())
            return std::nullopt;
        return SharedText(v.str());
    }
    // The texts of several attributes of one entry, in the order asked for: nullopt for each
    // one the entry lacks (for all when the entry is missing). The default asks for each one
    // on its own.
    virtual std::vector<std::optional<SharedText>> GetSharedTexts(
        pugi::xml_node section, const std::string& key,
        std::initializer_list<std::string_view> attributes) const {
        std::vector<std::optional<SharedText>> texts;
        texts.reserve(attributes.size());
        for (std::string_view attribute : attributes)
            texts.push_back(GetSharedText(section, key, std::string(attribute)));
        return texts;
    }
    // The owner of the document in use, which lives as long as the document: what is derived
    // from a document once can be kept for it while it lives. nullptr when the dictionary does
    // not share its documents.
    virtual std::shared_ptr<const void> DocumentOwner() const { return nullptr; }
    // The document completed with the texts of a section: every attribute value of the form
    // "$(key)" is replaced by the key's text. nullopt when the text is no XML document.
    virtual std::optional<std::string> GetXml(IDTMContext& context, const std::string& xml,
                                              const std::string& section,
                                              const std::string& attribute) const = 0;
};

}  // namespace kv
