#include "frame/FrameContainer.h"

#include <algorithm>
#include <pugixml.hpp>

namespace kv {

std::optional<std::string> ParameterDisplayText(const std::string& parameterDocument,
                                                const std::string& path) {
    pugi::xml_document doc;
    if (!doc.load_string(parameterDocument.c_str()))
        return std::nullopt;
    for (pugi::xml_node variable : doc.child("FDT").child("DtmVariables").children("DtmVariable")) {
        if (path == variable.attribute("name").value()) {
            const pugi::xml_attribute text =
                variable.child("fdt:Value").child("fdt:Display").attribute("string");
            if (text)
                return std::string(text.value());
        }
    }
    return std::nullopt;
}

size_t FrameContainer::AddEventObserver(std::function<void(const FrameEvent& event)> observer) {
    observers_.push_back({nextId_, std::move(observer)});
    return nextId_++;
}

void FrameContainer::RemoveEventObserver(size_t id) {
    std::erase_if(observers_, [id](const Observer& o) { return o.id == id; });
}

void FrameContainer::Tell(const FrameEvent& event) {
    // An observer may add or remove observers: each turn looks for the next one anew.
    const size_t end = nextId_;
    for (size_t next = 0;;) {
        const auto it = std::lower_bound(observers_.begin(), observers_.end(), next,
                                         [](const Observer& o, size_t id) { return o.id < id; });
        if (it == observers_.end() || it->id >= end)
            return;
        next = it->id + 1;
        const auto call = it->call;  // it may remove itself
        call(event);
    }
}

bool FrameContainer::RequestSave(const std::string& systemTag) {
    const bool saved = saveHandler_ ? saveHandler_(systemTag) : saveAnswer;
    Tell({.kind = FrameEvent::kRequestSave, .id = systemTag, .success = saved});
    return saved;
}

void FrameContainer::OnFunctionChanged(const std::string& systemTag) {
    Tell({.kind = FrameEvent::kFunctionChanged, .id = systemTag});
}

void FrameContainer::OnProgress(const std::string& systemTag, const std::string& title,
                                int32_t percent, bool show) {
    Tell({.kind = FrameEvent::kProgress,
          .id = systemTag,
          .text = title,
          .percent = percent,
          .show = show});
}

void FrameContainer::OnOpenGUIRequest(const std::string& systemTag,
                                      const std::string& functionCall) {
    Tell({.kind = FrameEvent::kOpenGUIRequest, .id = systemTag, .text = functionCall});
}

void FrameContainer::OnInvokedFunctionFinished(const std::string& invokeId, bool success) {
    Tell({.kind = FrameEvent::kInvokedFunctionFinished, .id = invokeId, .success = success});
}

void FrameContainer::OnUploadFinished(const std::string& invokeId, bool success) {
    Tell({.kind = FrameEvent::kUploadFinished, .id = invokeId, .success = success});
}

void FrameContainer::OnDownloadFinished(const std::string& invokeId, bool success) {
    Tell({.kind = FrameEvent::kDownloadFinished, .id = invokeId, .success = success});
}

void FrameContainer::OnPreparedToRelease(const std::string& systemTag) {
    Tell({.kind = FrameEvent::kPreparedToRelease, .id = systemTag});
}

void FrameContainer::OnPreparedToReleaseCommunication(const std::string& systemTag) {
    Tell({.kind = FrameEvent::kPreparedToReleaseCommunication, .id = systemTag});
}

void FrameContainer::OnParametersChanged(const std::string& systemTag,
                                         const std::string& parameterDocument) {
    parameterDocument_ = parameterDocument;
    Tell({.kind = FrameEvent::kParametersChanged, .id = systemTag});
}

void FrameContainer::OnTransferFinished(const std::string& systemTag, const std::string& title,
                                        bool write, bool success, int32_t failure) {
    Tell({.kind = FrameEvent::kTransferFinished,
          .id = systemTag,
          .text = title,
          .success = success,
          .write = write,
          .failure = failure});
}

}  // namespace kv
