#pragma once
// The fixture of the tests of a page's rows: an instance with the device's data model and the
// simulated positioner behind its channel, its GUI list and a scripted prompt, and a test page
// whose rows a test adds before it opens the page.

#include <gtest/gtest.h>

#include <memory>

#include "core/clsDataElement.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/GUIManager.h"
#include "support/OnlineFixture.h"
#include "support/TestPage.h"

namespace kv::test_support {

class OnlinePageTest : public ::testing::Test {
  protected:
    OnlinePageTest() {
        in.context.SetPrompt(prompt);
        in.context.SetGUIManager(gui);
        in.context.Dictionary().Load(in.context, "DTMDictionary");
        gui->SetLanguage(langEnglish);  // the elements' texts
    }
    ~OnlinePageTest() override {
        gui->UnregisterGUI("page.test$");
        if (page)
            page->Release();
        page.reset();
    }
    // Binds the page's rows and opens it in the GUI list.
    void Open() {
        page->Init(in.context);
        gui->RegisterGUI("page.test$", pageGui, false);
    }
    clsDataElement& Element(ctlParameter* row) {
        return *AsDataElement(page->site->GetParamLink(*row)->DataElement());
    }

    OnlineInstance in;
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::shared_ptr<GUIManager> gui = std::make_shared<GUIManager>(&in.context);
    std::unique_ptr<TestPage> page = std::make_unique<TestPage>();
    std::shared_ptr<IPrivateGUI> pageGui = page->MakeGui();
};

}  // namespace kv::test_support
