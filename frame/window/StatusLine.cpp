#include "frame/window/StatusLine.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <utility>

#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/InstanceModel.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/IPrivateDataElement.h"

namespace kv {

namespace {

// Why a transfer failed, from the error bits of the element that failed and, for a denied
// access, the protection the device reports; nullptr when they do not say.
const char* ReasonOfTransfer(const FrameWords& words, int32_t failure, WriteProtection protection) {
    switch ((failure & sfCommErrorMask) >> 16) {
        case cecNone:
            break;
        case cecTimeout:
            return words.noAnswer;
        case cecConnectionLost:
            return words.connectionLost;
        default:
            return words.notReachable;
    }
    const int32_t dpv1 = failure & sfDpv1ErrorMask;
    if (dpv1 == kDpv1AccessDeniedClass) {
        switch (protection) {
            case WriteProtection::HardwareSwitch:
                return words.hardwareSwitch;
            case WriteProtection::WriteLocking:
                return words.writeLocking;
            case WriteProtection::None:
                return words.accessDenied;
        }
    }
    return dpv1 != 0 ? words.deviceError : nullptr;
}

// A text that ends as a sentence.
QString AsSentence(QString text) {
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

}  // namespace

StatusWords Word(const char* FrameWords::*word) {
    return [word](const FrameWords& words) { return QString::fromUtf8(words.*word); };
}

QString Failed(const char* failure, const char* reason) {
    return reason != nullptr ? QStringLiteral("%1: %2.").arg(QString::fromUtf8(failure),
                                                             QString::fromUtf8(reason))
                             : QString::fromUtf8(failure) + QLatin1Char('.');
}

const char* ReasonOfConnection(const FrameWords& words, int32_t errorCode) {
    switch (errorCode) {
        case cecTimeout:
            return words.noAnswer;
        case cecRefused:
            return words.deviceRefused;
        case cecIdentityUnreadable:
            return words.deviceError;
        default:
            return words.notReachable;
    }
}

WriteProtection ProtectionOfFailure(const InstanceEntry& entry, int32_t failure) {
    return (failure & sfDpv1ErrorMask) == kDpv1AccessDeniedClass
               ? DeviceWriteProtection(entry.Ctx())
               : WriteProtection::None;
}

StatusLine::StatusLine(QLabel& text, QProgressBar& progress, const FrameWords& words)
    : text_(text), progress_(progress), words_(&words) {}

QString StatusLine::Text() const {
    return text_.text();
}

void StatusLine::SetWords(const FrameWords& words) {
    words_ = &words;
    if (!ownText_) {
        plainText_.clear();
        from_ = nullptr;
        dtmText_.clear();
        dtmFrom_ = nullptr;
    }
    Refresh();
}

void StatusLine::SetSelected(const InstanceEntry* entry) {
    selected_ = entry;
    Refresh();
}

void StatusLine::Show(const InstanceEntry* from, const QString& text) {
    // A bar kept at how far a failed transfer came goes with that transfer's end.
    if (std::exchange(progressKept_, false))
        progress_.hide();
    ownText_ = nullptr;
    plainText_ = text;
    from_ = from;
    dtmText_.clear();
    dtmFrom_ = nullptr;
    Refresh();
}

void StatusLine::Show(const InstanceEntry* from, StatusWords text) {
    Show(from, QString());
    ownText_ = std::move(text);
    Refresh();
}

void StatusLine::ShowDtm(const InstanceEntry& from, const QString& text) {
    Show(&from, text);
    dtmText_ = text;
    dtmFrom_ = &from;
}

void StatusLine::End(const InstanceEntry& from, StatusWords text, bool keepProgress) {
    if (!keepProgress)
        progress_.hide();
    Show(&from, std::move(text));
    progressKept_ = keepProgress && progress_.isVisible();
}

StatusWords StatusLine::TransferFailed(const InstanceEntry& from, const char* FrameWords::*failure,
                                       int32_t bits, WriteProtection protection) const {
    const QString dtmText = dtmFrom_ == &from ? dtmText_ : QString();
    return [failure, bits, protection, dtmText, dtmWords = words_](const FrameWords& words) {
        const char* reason = ReasonOfTransfer(words, bits, protection);
        if (reason == nullptr && !dtmText.isEmpty() && &words == dtmWords)
            return Failed(words.*failure, nullptr) + QLatin1Char(' ') + AsSentence(dtmText);
        return Failed(words.*failure, reason);
    };
}

void StatusLine::StartProgress() {
    progress_.setValue(0);
    progress_.show();
}

void StatusLine::SetProgress(int32_t percent) {
    progress_.setValue(std::clamp(percent, 0, 100));
}

void StatusLine::ShowProcess(bool show, int32_t percent) {
    if (show)
        SetProgress(percent);
    progress_.setVisible(show);
    progressKept_ = false;
}

void StatusLine::HideProgress() {
    progress_.hide();
}

void StatusLine::Refresh() {
    QString text = ownText_ ? ownText_(*words_) : plainText_;
    if (from_ != nullptr && from_ != selected_ && !text.isEmpty())
        text = ToQString(from_->instance.systemTag) + QStringLiteral(": ") + text;
    text_.setText(text);
    text_.setToolTip(text);
}

}  // namespace kv
