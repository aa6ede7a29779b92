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

void FrameContainer::Record(FrameEvent event) {
    events_.push_back(std::move(event));
    if (observer_) {
        // The observer may replace itself or record more events meanwhile: it works on copies.
        const auto observer = observer_;
        const FrameEvent recorded = events_.back();
        observer(recorded);
    }
}

bool FrameContainer::RequestSave(const std::string& systemTag) {
    Record({.kind = FrameEvent::kRequestSave, .id = systemTag});
    const bool saved = saveHandler_ ? saveHandler_(systemTag) : saveAnswer;
    events_.back().success = saved;
    return saved;
}

void FrameContainer::OnFunctionChanged(const std::string& systemTag) {
    Record({.kind = FrameEvent::kFunctionChanged, .id = systemTag});
}

void FrameContainer::OnProgress(const std::string& systemTag, const std::string& title,
                                int32_t percent, bool show) {
    Record({.kind = FrameEvent::kProgress,
            .id = systemTag,
            .text = title,
            .percent = percent,
            .show = show});
}

void FrameContainer::OnOpenGUIRequest(const std::string& systemTag,
                                      const std::string& functionCall) {
    Record({.kind = FrameEvent::kOpenGUIRequest, .id = systemTag, .text = functionCall});
}

void FrameContainer::OnInvokedFunctionFinished(const std::string& invokeId, bool success) {
    Record({.kind = FrameEvent::kInvokedFunctionFinished, .id = invokeId, .success = success});
}

void FrameContainer::OnUploadFinished(const std::string& invokeId, bool success) {
    Record({.kind = FrameEvent::kUploadFinished, .id = invokeId, .success = success});
}

void FrameContainer::OnDownloadFinished(const std::string& invokeId, bool success) {
    Record({.kind = FrameEvent::kDownloadFinished, .id = invokeId, .success = success});
}

void FrameContainer::OnPreparedToRelease(const std::string& systemTag) {
    Record({.kind = FrameEvent::kPreparedToRelease, .id = systemTag});
}

void FrameContainer::OnPreparedToReleaseCommunication(const std::string& systemTag) {
    Record({.kind = FrameEvent::kPreparedToReleaseCommunication, .id = systemTag});
}

void FrameContainer::OnParametersChanged(const std::string& systemTag,
                                         const std::string& parameterDocument) {
    parameterDocument_ = parameterDocument;
    Record({.kind = FrameEvent::kParametersChanged, .id = systemTag});
}

void FrameContainer::OnTransferFinished(const std::string& systemTag, const std::string& title,
                                        bool write, bool success, int32_t failure) {
    Record({.kind = FrameEvent::kTransferFinished,
            .id = systemTag,
            .text = title,
            .success = success,
            .write = write,
            .failure = failure});
}

size_t FrameContainer::Count(FrameEvent::Kind kind) const {
    return static_cast<size_t>(std::count_if(events_.begin(), events_.end(),
                                             [&](const FrameEvent& e) { return e.kind == kind; }));
}

}  // namespace kv
