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
    Record({"RequestSave", systemTag, {}, 0, false});
    const bool saved = saveHandler_ ? saveHandler_(systemTag) : saveAnswer;
    events_.back().success = saved;
    return saved;
}

void FrameContainer::OnFunctionChanged(const std::string& systemTag) {
    Record({"OnFunctionChanged", systemTag, {}, 0, false});
}

void FrameContainer::OnProgress(const std::string& systemTag, const std::string& title,
                                int32_t percent, bool show) {
    Record({"OnProgress", systemTag, title, percent, false, show});
}

void FrameContainer::OnOpenGUIRequest(const std::string& systemTag,
                                      const std::string& functionCall) {
    Record({"OnOpenGUIRequest", systemTag, functionCall, 0, false});
}

void FrameContainer::OnInvokedFunctionFinished(const std::string& invokeId, bool success) {
    Record({"OnInvokedFunctionFinished", invokeId, {}, 0, success});
}

void FrameContainer::OnUploadFinished(const std::string& invokeId, bool success) {
    Record({"OnUploadFinished", invokeId, {}, 0, success});
}

void FrameContainer::OnDownloadFinished(const std::string& invokeId, bool success) {
    Record({"OnDownloadFinished", invokeId, {}, 0, success});
}

void FrameContainer::OnPreparedToRelease(const std::string& systemTag) {
    Record({"OnPreparedToRelease", systemTag, {}, 0, false});
}

void FrameContainer::OnPreparedToReleaseCommunication(const std::string& systemTag) {
    Record({"OnPreparedToReleaseCommunication", systemTag, {}, 0, false});
}

void FrameContainer::OnParametersChanged(const std::string& systemTag,
                                         const std::string& parameterDocument) {
    parameterDocument_ = parameterDocument;
    Record({"OnParametersChanged", systemTag, {}, 0, false});
}

void FrameContainer::OnTransferFinished(const std::string& systemTag, const std::string& title,
                                        bool write, bool success, int32_t failure) {
    Record({"OnTransferFinished", systemTag, title, 0, success, false, write, failure});
}

size_t FrameContainer::Count(const std::string& kind) const {
    return static_cast<size_t>(std::count_if(events_.begin(), events_.end(),
                                             [&](const FrameEvent& e) { return e.kind == kind; }));
}

}  // namespace kv
