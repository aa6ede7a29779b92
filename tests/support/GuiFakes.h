#pragma once
// A user interface and a frame container that record what the DTM tells them.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateGUI.h"
#include "ui/framework/IMainWindow.h"

namespace kv::test_support {

class FakeGUI : public IPrivateGUI {
  public:
    bool CloseGUI() override {
        ++closeCalls;
        if (onClose)
            onClose();
        return closes;
    }
    void LockStateChanged(bool locked) override { lockStates.push_back(locked); }
    void ParameterChanged(IPrivateDataElement& element) override {
        changed.push_back(element.Name());
        if (onChanged)
            onChanged(element);
    }
    void ParameterSetChanged() override { ++setChanged; }
    void ValidateParameters() override { ++validations; }
    void SetLanguage(int32_t languageId) override { languages.push_back(languageId); }

    size_t ChangesOf(const std::string& path) const {
        size_t n = 0;
        for (const auto& c : changed)
            n += c == path ? 1 : 0;
        return n;
    }

    bool closes = true;
    int closeCalls = 0;
    int setChanged = 0;
    int validations = 0;
    std::vector<bool> lockStates;
    std::vector<std::string> changed;
    std::vector<int32_t> languages;
    std::function<void()> onClose;
    std::function<void(IPrivateDataElement&)> onChanged;
};

class FakeMainWindow : public FakeGUI, public IMainWindow {
  public:
    void SetGUITreeStructure(const std::string& text) override { pushed.push_back(text); }
    std::string GUITreeStructure() const override { return pushed.empty() ? "" : pushed.back(); }
    std::vector<std::string> pushed;
};

class TestContainer : public IFdtContainer, public IDtmEventSink {
  public:
    explicit TestContainer(bool offerEvents = true) : offer(offerEvents) {}
    IDtmEventSink* Events() override { return offer ? this : nullptr; }
    bool RequestSave(const std::string& tag) override {
        events.push_back("RequestSave:" + tag);
        return true;
    }
    void OnFunctionChanged(const std::string& tag) override {
        events.push_back("OnFunctionChanged:" + tag);
    }
    void OnProgress(const std::string&, const std::string&, int32_t, bool) override {}
    void OnOpenGUIRequest(const std::string& tag, const std::string&) override {
        events.push_back("OnOpenGUIRequest:" + tag);
    }
    void OnInvokedFunctionFinished(const std::string&, bool) override {}
    void OnUploadFinished(const std::string&, bool) override {}
    void OnDownloadFinished(const std::string&, bool) override {}
    void OnPreparedToRelease(const std::string& tag) override {
        events.push_back("OnPreparedToRelease:" + tag);
    }
    void OnPreparedToReleaseCommunication(const std::string&) override {}
    void OnParametersChanged(const std::string&, const std::string&) override {}
    void OnTransferFinished(const std::string&, const std::string&, bool, bool, int32_t) override {}
    bool offer;
    std::vector<std::string> events;
};

}  // namespace kv::test_support
