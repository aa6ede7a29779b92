#include "core/DictionaryLookup.h"
#include "platform/runtime/IDTMDictionary.h"

#include <limits>

namespace kv {

std::string GetDictionaryText(IDTMContext& context, const std::string& key,
                              const std::optional<Variant>& a1, const std::optional<Variant>& a2,
                              const std::optional<Variant>& a3) {
    IDTMDictionary& dictionary = context.Dictionary();
    pugi::xml_node keys = dictionary.GetSection("keys");
    Variant value = dictionary.GetText(keys, key, "text");
    if (!value.isString())
        return key;

    // References first, from the dictionary's own text only; then the arguments in one pass, so
    // that text coming from the device is never taken for a reference or a placeholder.
    const std::string text = ExpandTextReferences(value.str(), context, keys);
    const std::optional<Variant>* args[3] = {&a1, &a2, &a3};
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3') {
            const std::optional<Variant>& arg = *args[text[i + 1] - '1'];
            if (arg) {
                // An argument in the user's number form; one that has no text form (Null, an
                // array) inserts nothing rather than failing the message.
                result += arg->tryString(context.Locale()).value_or(std::string());
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

std::string ExpandTextReferences(const std::string& text, IDTMContext& context,
                                 pugi::xml_node section) {
    return ExpandTextReferencesEx(text, context, section, "text");
}

std::string ExpandTextReferencesEx(const std::string& text, IDTMContext& context,
                                   pugi::xml_node section, const std::string& attribute) {
    if (text.find("$(") == std::string::npos)
        return text;
    IDTMDictionary& dictionary = context.Dictionary();
    std::string result = text;
    size_t pos = 0;
    for (;;) {
        const size_t p = result.find("$(", pos);
        if (p == std::string::npos)
            return result;
        const size_t q = result.find(')', p + 2);
        if (q == std::string::npos)
            return result;
        Variant value = dictionary.GetText(section, result.substr(p + 2, q - p - 2), attribute);
        if (value.isString()) {
            result.replace(p, q - p + 1, value.str());
            pos = p + value.str().size();
        } else {
            pos = q + 1;
        }
    }
}

void ApplyControlTexts(IDTMContext& context, const std::string& prefix,
                       const std::vector<ICaptionedControl*>& controls) {
    IDTMDictionary& dictionary = context.Dictionary();
    pugi::xml_node keys = dictionary.GetSection("keys");
    for (ICaptionedControl* control : controls) {
        if (!control)
            continue;
        const ICaptionedControl::Kind kind = control->ControlKind();
        if (kind != ICaptionedControl::Kind::Captioned && kind != ICaptionedControl::Kind::TabStrip)
            continue;
        const std::string name = control->Name();
        if (name.empty())
            continue;
        std::string key = prefix + name;
        if (std::optional<int32_t> idx = control->Index())
            key += "_" + std::to_string(*idx);

        if (kind == ICaptionedControl::Kind::Captioned) {
            Variant text = dictionary.GetText(keys, key, "text");
            if (text.isString())
                control->SetCaption(ExpandTextReferences(text.str(), context, keys));
        } else {
            const int32_t tabs = control->TabCount();
            for (int32_t n = 1; n <= tabs; ++n) {
                Variant text = dictionary.GetText(keys, key + "." + std::to_string(n), "text");
                if (text.isString())
                    control->SetTabCaption(n, ExpandTextReferences(text.str(), context, keys));
            }
        }
    }
}

int16_t PrimaryLangId(int32_t languageId) {
    return static_cast<int16_t>(languageId % 1024);
}

int32_t MakeLcid(int16_t primary, int16_t subLanguage, int16_t sort) {
    const int64_t id = int64_t{subLanguage} * 1024 + primary + int64_t{sort} * 65536;
    if (id < std::numeric_limits<int32_t>::min() || id > std::numeric_limits<int32_t>::max())
        throw VbError(VbErr::Overflow, "language id out of range");
    return static_cast<int32_t>(id);
}

NumberLocale LanguageNumberLocale(IDTMContext& context) {
    if (PrimaryLangId(context.Dictionary().Language()) == langGerman)
        return NumberLocale{',', '.'};
    return NumberLocale::Invariant();
}

}  // namespace kv
