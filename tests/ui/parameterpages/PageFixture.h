#pragma once
// What the page tests share: one instance of the reference frame with the simulated positioner
// behind its channel (offline until Online()), and a host widget that keeps a page as the
// navigation control's page area does.

#include <gtest/gtest.h>

#include <QWidget>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/clsDataElement.h"
#include "core/dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/runtime/GUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedPositioner.h"
#include "support/DeviceLog.h"
#include "ui/parameterpages/PageBase.h"

namespace kv::pagetest {

using test_support::Address;
using test_support::RequestsAt;

struct PageBench {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    std::shared_ptr<ScriptedPrompt> prompt;
    ReferenceFrame frame;
    FrameInstance* instance = nullptr;
    std::shared_ptr<SimulatedPositioner> device;
    std::unique_ptr<DeviceSession> session;

    explicit PageBench(std::vector<int32_t> answers = {})
        : prompt(std::make_shared<ScriptedPrompt>(std::move(answers))),
          frame(loop, prompt),
          device(std::make_shared<SimulatedPositioner>()) {
        frame.SetUserInformation(R"(<FDT><UserInformation role="Maintenance"/></FDT>)");
        std::string error;
        instance = frame.AddInstance("PV-101", "KV6274PA", error);
        if (instance == nullptr)
            throw std::runtime_error(error);
        session = std::make_unique<DeviceSession>(loop, *instance, device);
    }
    // A run without faults leaves the diagnostic logs empty.
    ~PageBench() {
        EXPECT_TRUE(Ctx().Diagnostics().Empty()) << Ctx().Diagnostics().Text();
        EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
    }
    std::shared_ptr<DTMMain> Dtm() { return instance->dtm; }
    IDTMContext& Ctx() { return *instance->dtm->DTMContext(); }
    GUIManager& Gui() { return dynamic_cast<GUIManager&>(Ctx().GUIManager()); }
    FrameContainer& Container() { return *instance->container; }
    clsDataElement& At(const std::string& path) { return ElementAt(Ctx().Parameters(), path); }
    // Connected, start-up reads done, the device's log and the frame's records cleared.
    void Online() {
        ASSERT_TRUE(session->SetCommunication());
        ASSERT_TRUE(session->Connect());
        Clear();
    }
    void Clear() {
        device->ClearLog();
        Container().ClearRecorded();
        prompt->messages.clear();
        prompt->questions.clear();
    }
    void Settle() { session->Settle(); }
    // Requests that reached the device, per address (slot, index).
    std::map<Address, int> Logged(bool writes) const { return RequestsAt(*device, writes); }
    Address AddressOf(const std::string& path) {
        clsDataElement& e = At(path);
        return {e.Slot, e.index};
    }
    // The progress reports the frame got, as "title percent".
    std::vector<std::string> Progress() const {
        std::vector<std::string> out;
        for (const FrameEvent& e : instance->container->Recorded()) {
            if (e.kind == "OnProgress")
                out.push_back(e.text + " " + std::to_string(e.percent));
        }
        return out;
    }
};

// A page in a host widget, shown, as the page area holds it.
struct HostedPage {
    std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
    PageBase* page = nullptr;

    explicit HostedPage(std::unique_ptr<PageBase> made) {
        host->resize(900, 700);
        page = made.release();
        page->setParent(host.get());
        page->resize(page->DesignSize());
        host->show();
        page->show();
    }
};

}  // namespace kv::pagetest
