// A dictionary file of any content, loaded as the English main file "DTMDictionary_9.xml" of a
// folder of its own: the look-ups of every section and key it names, messages with arguments,
// text references, the completion of a document's "$(key)" attributes, and the texts that the
// device's model takes from it when its language is set.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "core/DictionaryLookup.h"
#include "support/TempFolder.h"
#include "units/clsPROFIBUSProfil3Units.h"

namespace {

using namespace kv;

struct Fixture {
    test_support::TempFolder folder;
    fuzz::ModelInstance instance;
    clsPROFIBUSProfil3Units productUnits;
    std::shared_ptr<XMLHelper> folderHelper = std::make_shared<XMLHelper>(folder.path);
    std::shared_ptr<XMLHelper> productHelper = std::make_shared<XMLHelper>(KV_SOURCE_XMLDATA_DIR);
    Fixture() : productUnits(instance.model->PROFIBUSProfil3Units()) {}
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

// The first attributes of an entry, as the look-ups ask for them.
const char* const kAttributes[] = {"text",    "label", "description", "help", "valueList",
                                   "default", "path",  "key",         ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fixture& f = TheFixture();
    f.folder.Write("DTMDictionary_9.xml",
                   std::string_view(reinterpret_cast<const char*>(data), size));
    DTMDictionary::ForgetLoadedDocuments();
    auto dictionary = std::make_shared<DTMDictionary>();
    dictionary->LoadFrom(f.folder.path, "DTMDictionary");
    dictionary->SetLanguage(7, true);  // no German file: English stays

    fuzz::ModelInstance& m = f.instance;
    m.context.SetDictionary(dictionary);

    // The sections and keys that the file names, read with pugixml on its own.
    pugi::xml_document doc;
    doc.load_buffer(data, size);
    size_t lookups = 0;
    for (pugi::xml_node sectionNode : doc.document_element().children()) {
        const std::string sectionName = sectionNode.name();
        pugi::xml_node section = dictionary->GetSection(sectionName);
        for (pugi::xml_node entryNode : sectionNode.children()) {
            if (++lookups > 200)
                break;
            const std::string key = entryNode.attribute("key").value();
            dictionary->GetSectionEntry(section, key);
            for (const char* attribute : kAttributes) {
                Variant text = dictionary->GetText(section, key, attribute);
                dictionary->GetText(sectionName, key, attribute);
                dictionary->GetSharedText(section, key, attribute);
                if (text.isString()) {
                    ExpandTextReferences(text.str(), m.context, section);
                    ExpandTextReferencesEx(text.str(), m.context, section, attribute);
                }
            }
            GetDictionaryText(m.context, key);
            GetDictionaryText(m.context, key, Variant("$(" + key + ")"), Variant("%2%3"),
                              Variant::Null());
            const std::string xml = "<FDT><Functions><Function name=\"$(" + key +
                                    ")\"/><Function name=\"$()\"/></Functions></FDT>";
            dictionary->GetXml(m.context, xml, sectionName, "label");
        }
    }
    m.context.GetText("error_at_read_status");

    // The model's texts in this dictionary's language; a reload reads this folder again.
    m.context.SetXMLHelper(f.folderHelper);
    m.model->CurrentLanguage = 0;
    m.model->SetLanguage(m.context, 9);
    m.loop->RunUntilIdle();

    m.context.SetDictionary(m.dictionary);
    m.context.SetXMLHelper(f.productHelper);
    m.model->PROFIBUSProfil3Units() = f.productUnits;
    m.RestoreAll();
    return 0;
}
