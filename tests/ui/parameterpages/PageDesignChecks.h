#pragma once
// Checks of page tables against the data set that the DTM core builds and the shipped
// dictionaries: shared by the tests of the parameter pages and of the online pages.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "core/DataModelHelpers.h"
#include "core/clsDataElement.h"
#include "devicemodel/DeviceModel.h"
#include "platform/runtime/XMLHelper.h"
#include "support/ModelContext.h"
#include "ui/parameterpages/PageDesign.h"

namespace kv::pagechecks {

// The product's data set with the shipped dictionaries, holding the Transducer and the Analog
// Output block twice: block 1 as the DTM builds it and block 2 for pages whose BlockIndex is 2.
class PageModel {
  public:
    PageModel() : ctx_(XMLHelper().XMLDataPath()) {
        ctx_.model->CreateModel(ctx_.context);
        for (const BlockDefinition& block : DeviceModel()->Blocks()) {
            if (block.CreateBlockModel && block.blockType != pbfPhysicalBlock)
                block.CreateBlockModel(ctx_.context, 2);
        }
    }
    clsDataElement* Find(const std::string& path) const {
        return AsDataElement(ctx_.data->Item(path));
    }
    IDTMContext& Context() { return ctx_.context; }
    IParameters& Parameters() { return *ctx_.data; }
    // The "text" of a key of the section "keys" in the given language; Empty when it has none.
    Variant KeyText(int32_t language, const std::string& key) {
        EXPECT_TRUE(ctx_.dictionary->SetLanguage(language, false)) << language;
        return ctx_.dictionary->GetText("keys", key, "text");
    }

  private:
    test_support::ModelContext ctx_;
};

inline PageModel& ThePageModel() {
    static PageModel model;
    return model;
}

// The page a lookup found; a missing page fails the test instead of crashing it.
inline const PageDesign& Found(const PageDesign* page, const std::string& className) {
    if (page == nullptr)
        throw std::runtime_error("no table for " + className);
    return *page;
}

inline std::vector<std::string> ClassNames(const std::vector<PageDesign>& designs) {
    std::vector<std::string> names;
    for (const PageDesign& d : designs)
        names.push_back(d.className);
    return names;
}

inline std::string WithBlock(std::string tag, int block) {
    for (size_t p = tag.find("%d"); p != std::string::npos; p = tag.find("%d", p))
        tag.replace(p, 2, std::to_string(block));
    return tag;
}

inline const Variant* Prop(const ChildDesign& child, const std::string& key) {
    for (const DesignProperty& p : child.props) {
        if (p.key == key)
            return &p.value;
    }
    return nullptr;
}

inline std::vector<const ChildDesign*> Rows(const PageDesign& page) {
    std::vector<const ChildDesign*> rows;
    for (const ChildDesign& c : page.children) {
        if (c.kind == ChildKind::Parameter)
            rows.push_back(&c);
    }
    return rows;
}

// The read requests that the rows give in designer order: per row its record, or the element
// itself when it is no record member; only elements read from the device; each once.
inline std::vector<std::string> ReadRequests(const PageDesign& page, int block) {
    PageModel& m = ThePageModel();
    std::vector<std::string> requests;
    for (const ChildDesign* row : Rows(page)) {
        clsDataElement* element = m.Find(WithBlock(Prop(*row, "parametertag")->str(), block));
        if (element == nullptr)
            continue;
        clsDataElement* parent = element->GetParentParameter(m.Parameters());
        clsDataElement* request = parent != nullptr ? parent : element;
        if (!request->IsUploadParam(m.Context()))
            continue;
        if (std::find(requests.begin(), requests.end(), request->Name()) == requests.end())
            requests.push_back(request->Name());
    }
    return requests;
}

// The dictionary keys that give the page its texts: the title and every captioned child
// (separators, labels, frames, buttons) by page name, "_", child name and "_" index in an
// array; the confirmation questions and the done texts of its commands.
inline std::vector<std::string> KeysOf(const PageDesign& page) {
    std::vector<std::string> keys{page.className + "_sepTitle"};
    for (const ChildDesign& c : page.children) {
        if (c.kind == ChildKind::Separator || c.kind == ChildKind::Label ||
            c.kind == ChildKind::Frame || c.kind == ChildKind::CommandButton) {
            std::string key = page.className + "_" + c.name;
            if (c.index >= 0)
                key += "_" + std::to_string(c.index);
            keys.push_back(key);
        }
    }
    for (const CommandDesign& cmd : page.commands) {
        if (!cmd.alertKey.empty())
            keys.push_back(cmd.alertKey);
        keys.push_back(cmd.doneKey);
    }
    return keys;
}

// Every key has a non-empty text in English and in German.
inline void ExpectKeysInBothLanguages(const std::vector<std::string>& keys) {
    for (int32_t language : {9, 7}) {
        for (const std::string& key : keys) {
            const Variant text = ThePageModel().KeyText(language, key);
            EXPECT_TRUE(text.isString() && !text.str().empty())
                << "no text for " << key << " in language " << language;
        }
    }
}

// The checks every page table must pass.
inline void ExpectSoundPage(const PageDesign& page) {
    SCOPED_TRACE(page.className);
    PageModel& m = ThePageModel();
    std::map<std::string, int> single;
    std::map<std::string, std::set<int32_t>> indices;
    for (const ChildDesign& c : page.children) {
        if (c.index < 0) {
            EXPECT_EQ(++single[c.name], 1) << c.name << " twice";
        } else {
            EXPECT_TRUE(indices[c.name].insert(c.index).second)
                << c.name << "(" << c.index << ") twice";
        }
        if (c.kind == ChildKind::Parameter) {
            const Variant* tag = Prop(c, "parametertag");
            ASSERT_TRUE(tag != nullptr && tag->isString()) << c.name << c.index;
            for (int block : {1, 2}) {
                EXPECT_NE(m.Find(WithBlock(tag->str(), block)), nullptr)
                    << c.name << "(" << c.index << ") " << WithBlock(tag->str(), block);
            }
            const Variant* type = Prop(c, "controltype");
            ASSERT_NE(type, nullptr);
            EXPECT_TRUE(type->toLong() == 1 || type->toLong() == 3 || type->toLong() == 4);
        }
        if (!c.container.empty()) {
            EXPECT_EQ(single.count(c.container), 1u) << c.name << " in " << c.container;
        }
    }
    for (const char* name : {"sepTitle", "ctlParamHelp1", "ctlParamSite1"}) {
        EXPECT_EQ(single[name], 1) << name;
    }
    EXPECT_FALSE(Rows(page).empty());

    for (const BarDesign& bar : page.bars) {
        EXPECT_EQ(single[bar.bar], 1) << bar.bar;
        for (const std::string* path : {&bar.value, &bar.lower, &bar.upper}) {
            for (int block : {1, 2}) {
                EXPECT_NE(m.Find(WithBlock(*path, block)), nullptr) << *path;
            }
        }
    }

    std::set<int32_t> values;
    for (const CommandDesign& cmd : page.commands) {
        EXPECT_EQ(single[cmd.button], 1) << cmd.button;
        EXPECT_EQ(cmd.doneKey, page.className + "_" + cmd.button);
        EXPECT_TRUE(values.insert(cmd.value).second) << "value " << cmd.value << " twice";
        for (int block : {1, 2}) {
            const clsDataElement* e = m.Find(WithBlock(cmd.elementPath, block));
            ASSERT_NE(e, nullptr) << cmd.elementPath;
            EXPECT_NE(e->ElementMode() & 0x4, 0) << cmd.elementPath << " is no device command";
        }
    }
    EXPECT_EQ(page.commands.empty(), page.templ != PageTemplate::Command);

    ExpectKeysInBothLanguages(KeysOf(page));
}

}  // namespace kv::pagechecks
