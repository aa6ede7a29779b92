#pragma once
// The frame's container of one DTM instance, with its events sink: it passes every event the
// DTM raises (and every request to save, with its answer) to those who watch it, and keeps
// nothing of them but the last parameter document, so that a day of transfers costs no memory.

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
    // Answered by the save handler when one is set, else by saveAnswer; the observers hear
    // the request with its answer.
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
    // The document replaces the frame's copy before the observers hear of it.
    void OnParametersChanged(const std::string& systemTag,
                             const std::string& parameterDocument) override;
    void OnTransferFinished(const std::string& systemTag, const std::string& title, bool write,
                            bool success, int32_t failure) override;

    // The frame's copy of the instance's parameter document: the last one the DTM sent; empty
    // before the first.
    const std::string& ParameterDocument() const { return parameterDocument_; }

    void SetSaveHandler(std::function<bool(const std::string& systemTag)> handler) {
        saveHandler_ = std::move(handler);
    }
    // Calls the observer with every event from now on (a window follows the DTM with it, the
    // frame's session waits for the ends of its actions), until it is removed by the id that
    // this returns. An observer added while an event is told hears the next one; one removed
    // meanwhile is not called any more.
    [[nodiscard]] size_t AddEventObserver(std::function<void(const FrameEvent& event)> observer);
    void RemoveEventObserver(size_t id);
    bool saveAnswer = true;

  private:
    struct Observer {
        size_t id;
        std::function<void(const FrameEvent&)> call;
    };
    void Tell(const FrameEvent& event);

    bool offerEvents_;
    std::string parameterDocument_;
    std::function<bool(const std::string&)> saveHandler_;
    std::vector<Observer> observers_;  // in the order of their ids
    size_t nextId_ = 0;
};

}  // namespace kv
