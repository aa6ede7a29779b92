#pragma once
// One DTM object as the frame holds it: its loop, the prompt that records what it shows, the
// frame's container. A run without faults leaves its diagnostic logs empty; the fixture checks
// that when it ends.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "dtm/DTMMain.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/GuiFakes.h"

namespace kv::test_support {

inline const char* const kMaintenance =
    R"(<FDT><UserInformation userName="A. User" role="Maintenance"/></FDT>)";

struct DtmInstance {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::shared_ptr<DTMMain> dtm = DTMMain::Create(loop, prompt);
    std::shared_ptr<TestContainer> container = std::make_shared<TestContainer>();

    ~DtmInstance() {
        if (dtm) {
            EXPECT_TRUE(Ctx().Diagnostics().Empty()) << Ctx().Diagnostics().Text();
        }
        EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
    }
    IDTMContext& Ctx() { return *dtm->DTMContext(); }
    DTMContext& Concrete() { return dynamic_cast<DTMContext&>(Ctx()); }
    IPrivateDataElement& Element(const std::string& path) {
        IPrivateDataElement* e = Ctx().Parameters().Item(path);
        if (!e)
            throw std::runtime_error("no element " + path);
        return *e;
    }
    // The environment and the device type, as the frame gives them to a new instance.
    void SetUpDeviceType() {
        ASSERT_TRUE(dtm->Environment("PV-101", container));
        ASSERT_TRUE(dtm->InitNew("KV6274PA"));
    }
    // A new instance as the frame sets it up: also the user.
    void SetUpNew() {
        SetUpDeviceType();
        ASSERT_TRUE(dtm->Config(kMaintenance));
    }
    std::shared_ptr<FakeGUI> OpenGUI(const std::string& id = "GUI1") {
        auto gui = std::make_shared<FakeGUI>();
        Ctx().GUIManager().RegisterGUI(id, gui, true);
        return gui;
    }
};

}  // namespace kv::test_support
