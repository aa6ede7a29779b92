#pragma once
// The frame's container of one DTM instance, with its events sink: it records every event the
// DTM raises (and every request to save), so that the program can show them and tests can
// check them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"

namespace kv {

struct FrameEvent {
    // The call of the events sink that raised the event.
    enum Kind {
        kRequestSave,
        kFunctionChanged,
        kProgress,
        kOpenGUIRequest,
        kInvokedFunctionFinished,
        kUploadFinished,
        kDownloadFinished,
        kPreparedToRelease,
        kPreparedToReleaseCommunication,
        kParametersChanged,
        kTransferFinished,
    };
    Kind kind = kFunctionChanged;
    std::string id{};    // the system tag or invoke id the event names
    std::string text{};  // the function call or progress title, when the event has one
    int32_t percent = 0;
    bool success = false;
    bool show = false;  // OnProgress: False ends the display of the progress
    // OnTransferFinished: a write, and for a failure the error bits that say why.
    bool write = false;
    int32_t failure = 0;
};

// The display text of the variable of that path in a parameter document of the DTM; nullopt
// when the document holds none (or is no parameter document).
std::optional<std::string> ParameterDisplayText(const std::string& parameterDocument,
                                                const std::string& path);

class FrameContainer : public IFdtContainer, public IDtmEventSink {
  public:
    // offerEvents False: a container without an events sink (the DTM refuses it).
    explicit FrameContainer(bool offerEvents = true) : offerEvents_(offerEvents) {}

    IDtmEventSink* Events() override { return offerEvents_ ? this : nullptr; }
    // Recorded; answered by the save handler when one is set, else by SaveAnswer.
    bool RequestSave(const std::string& systemTag) override;

    void OnFunctionChanged(const std::string& systemTag) override;
    void OnProgress(const std::string& systemTag, const std::string& title, int32_t percent,
                    bool show) override;
    void OnOpenGUIRequest(const std::string& systemTag, const std::string& functionCall) override;
    void OnInvokedFunctionFinished(const std::string& invokeId, bool success) override;
    void OnUploadFinished(const std::string& invokeId, bool success) override;
    void OnDownloadFinished(const std::string& invokeId, bool success) override;
    void OnPreparedToRelease(const std::string& systemTag) override;
    void OnPreparedToReleaseCommunication(const std::string& systemTag) override;
    // Recorded; the document replaces the frame's copy.
    void OnParametersChanged(const std::string& systemTag,
                             const std::string& parameterDocument) override;
    void OnTransferFinished(const std::string& systemTag, const std::string& title, bool write,
                            bool success, int32_t failure) override;

    const std::vector<FrameEvent>& Recorded() const { return events_; }
    // How many events of the kind were recorded.
    size_t Count(FrameEvent::Kind kind) const;
    void ClearRecorded() { events_.clear(); }
    // The frame's copy of the instance's parameter document: the last one the DTM sent; empty
    // before the first.
    const std::string& ParameterDocument() const { return parameterDocument_; }

    void SetSaveHandler(std::function<bool(const std::string& systemTag)> handler) {
        saveHandler_ = std::move(handler);
    }
    // Called with every event right after it was recorded (a window follows the DTM with it);
    // an empty function stops the calls.
    void SetEventObserver(std::function<void(const FrameEvent& event)> observer) {
        observer_ = std::move(observer);
    }
    bool saveAnswer = true;

  private:
    void Record(FrameEvent event);

    bool offerEvents_;
    std::vector<FrameEvent> events_;
    std::string parameterDocument_;
    std::function<bool(const std::string&)> saveHandler_;
    std::function<void(const FrameEvent&)> observer_;
};

}  // namespace kv
