#pragma once
// Looking texts up in the language dictionary: messages by key with arguments, the captions of a
// page's controls by their names, text references "$(key)" inside a text, and the language-id
// conversions.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/runtime/IDTMContext.h"
#include "value/Variant.h"

namespace kv {

// A control of a page whose caption comes from the dictionary; the pages implement it.
class ICaptionedControl {
  public:
    enum class Kind {
        ParameterRow,  // texts come from its data element
        Captioned,     // label, frame, button, check box, option button, title separator
        TabStrip,
        Other,
    };
    virtual ~ICaptionedControl() = default;
    virtual Kind ControlKind() const = 0;
    // The control's name; empty when it has none.
    virtual std::string Name() const = 0;
    // The index in its control array; nullopt when it is not part of one.
    virtual std::optional<int32_t> Index() const = 0;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual int32_t TabCount() const { return 0; }
    // n counts from 1.
    virtual void SetTabCaption(int32_t n, const std::string& caption) {
        (void)n;
        (void)caption;
    }
};

// The "text" of key in the section "keys", with its references expanded and then "%1" to "%3"
// replaced by the given arguments; the key itself when the dictionary has no text. Arguments
// are inserted as they are: a "$(" or "%2" inside an argument is never looked at again.
std::string GetDictionaryText(IDTMContext& context, const std::string& key,
                              const std::optional<Variant>& a1 = std::nullopt,
                              const std::optional<Variant>& a2 = std::nullopt,
                              const std::optional<Variant>& a3 = std::nullopt);

// Sets the captions of the controls from the keys prefix & name [& "_" & index] (tabs:
// & "." & n); controls without an entry keep their caption.
void ApplyControlTexts(IDTMContext& context, const std::string& prefix,
                       const std::vector<ICaptionedControl*>& controls);

// Replaces every "$(key)" by the "text" of key in the section; references without an entry
// stay, and inserted texts are not searched again.
std::string ExpandTextReferences(const std::string& text, IDTMContext& context,
                                 pugi::xml_node section);
// The same with another attribute than "text".
std::string ExpandTextReferencesEx(const std::string& text, IDTMContext& context,
                                   pugi::xml_node section, const std::string& attribute);

// The data of type T derived from a shared dictionary document (IDTMDictionary::DocumentOwner):
// made by 'make' (a shared_ptr<T>) on the first call for the document, the same one for every
// later call while the document lives, and dropped with it.
template <class T, class Make>
std::shared_ptr<T> DocumentData(const std::shared_ptr<const void>& document, Make make) {
    struct Known {
        std::weak_ptr<const void> document;
        std::shared_ptr<T> data;
    };
    static std::mutex mutex;
    static std::vector<Known> known;
    const std::lock_guard<std::mutex> lock(mutex);
    std::erase_if(known, [](const Known& k) { return k.document.expired(); });
    for (const Known& k : known) {
        if (!k.document.owner_before(document) && !document.owner_before(k.document))
            return k.data;
    }
    std::shared_ptr<T> data = make();
    known.push_back({document, data});
    return data;
}

// --- language ids (module LangSupp) ---
// The primary language of a language id (its low 10 bits).
int16_t PrimaryLangId(int32_t languageId);
// subLanguage * 1024 + primary + sort * 65536; an overflow error beyond a 32-bit integer.
int32_t MakeLcid(int16_t primary, int16_t subLanguage, int16_t sort);
// The number form of the language the user sees (the dictionary's current language), in which
// rows show their values and read what is typed: German writes "3,5", every other language "3.5".
NumberLocale LanguageNumberLocale(IDTMContext& context);

}  // namespace kv
