#pragma once
// An instance of the reference frame as the program sets it up: the user information of a
// maintenance user, then the new instance "PV-101". And the bench most end-to-end tests stand
// on: that instance with the simulated positioner behind its channel, on a manual loop.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedPositioner.h"
#include "support/EventRecord.h"
#include "value/DiagnosticLog.h"

namespace kv::test_support {

inline FrameInstance& AddFrameInstance(ReferenceFrame& frame) {
    frame.SetUserInformation(R"(<FDT><UserInformation role="Maintenance"/></FDT>)");
    FrameFault error;
    FrameInstance* instance = frame.AddInstance("PV-101", "KV6274PA", error);
    if (instance == nullptr)
        throw std::runtime_error(Describe(error, FrameWordsOf(langEnglish)));
    return *instance;
}

// The instance "PV-101" of a reference frame on a manual loop, its questions answered by a
// scripted prompt, with a simulated positioner and the frame's session to it (not connected
// yet), and the record of the events its container hears. A run without faults leaves the
// diagnostic logs empty: checked at the end unless a test turns it off.
struct FrameBench {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    std::shared_ptr<ScriptedPrompt> prompt;
    ReferenceFrame frame;
    FrameInstance* instance = nullptr;
    std::shared_ptr<SimulatedPositioner> device;
    std::unique_ptr<DeviceSession> session;
    std::unique_ptr<EventRecord> events;
    bool expectCleanLogs = true;

    explicit FrameBench(std::shared_ptr<ScriptedPrompt> withPrompt = nullptr,
                        SimOptions options = {})
        : prompt(withPrompt ? std::move(withPrompt) : std::make_shared<ScriptedPrompt>()),
          frame(loop, prompt),
          device(std::make_shared<SimulatedPositioner>(options)) {
        instance = &AddFrameInstance(frame);
        session = std::make_unique<DeviceSession>(loop, *instance, device);
        events = std::make_unique<EventRecord>(instance->container);
    }
    ~FrameBench() {
        if (!expectCleanLogs)
            return;
        EXPECT_TRUE(Ctx().Diagnostics().Empty()) << Ctx().Diagnostics().Text();
        EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
    }
    FrameBench(const FrameBench&) = delete;
    FrameBench& operator=(const FrameBench&) = delete;

    IDTMContext& Ctx() { return *instance->dtm->DTMContext(); }
    FrameContainer& Container() { return *instance->container; }
    EventRecord& Events() { return *events; }
    // Communication set and connected with a matching device, start-up reads done; the
    // device's log and the record of events cleared. False when the connection failed.
    bool Online() {
        if (!session->SetCommunication() || !session->Connect())
            return false;
        device->ClearLog();
        events->Clear();
        return true;
    }
};

}  // namespace kv::test_support
