#pragma once
// The window's status bar: the last status text, of the project or of an instance (named while
// another one is selected), and the progress bar of the process that runs. A text in the
// window's words is shown anew in the language the user chooses later; a text in no words of
// the window's (the DTM's, a file error) goes with a language change.

#include <QString>
#include <cstdint>
#include <functional>

#include "core/ProjectHelpers.h"

class QLabel;
class QProgressBar;

namespace kv {

struct FrameWords;
struct InstanceEntry;

// A status text in the window's words.
using StatusWords = std::function<QString(const FrameWords& words)>;
// A status text that is one of the window's words.
StatusWords Word(const char* FrameWords::*word);
// A failure and, when known, its reason, as one sentence.
QString Failed(const char* failure, const char* reason);
// Why a connection failed, from the communication's error code.
const char* ReasonOfConnection(const FrameWords& words, int32_t errorCode);
// The protection that a failure names: what the instance knows of the device's when the
// device denied access.
WriteProtection ProtectionOfFailure(const InstanceEntry& entry, int32_t failure);

class StatusLine {
  public:
    // The label and the bar (the window's) must outlive it; the words of the first language.
    StatusLine(QLabel& text, QProgressBar& progress, const FrameWords& words);

    QString Text() const;
    const FrameWords& Words() const { return *words_; }
    // Another language: the window's own text shown in it, a text of the DTM's dropped.
    void SetWords(const FrameWords& words);
    // The instance selected: texts of the others name theirs.
    void SetSelected(const InstanceEntry* entry);

    // A text of an instance, or of the project (nullptr). It ends the bar kept at how far a
    // failed transfer came.
    void Show(const InstanceEntry* from, const QString& text);
    void Show(const InstanceEntry* from, StatusWords text);
    // What an instance's DTM shows; kept until the window shows a text of its own.
    void ShowDtm(const InstanceEntry& from, const QString& text);
    // The end of an action of the instance; keepProgress: the bar stays as it is (a transfer
    // that failed shows how far it came) until the next text replaces the end.
    void End(const InstanceEntry& from, StatusWords text, bool keepProgress = false);
    // The end of a failed transfer of the instance: why, from the error bits and the
    // protection; without them the DTM's own text of the failure, while it is in the language
    // shown.
    StatusWords TransferFailed(const InstanceEntry& from, const char* FrameWords::*failure,
                               int32_t bits, WriteProtection protection) const;

    // The bar of the window's own transfer: from nought, then how far it came.
    void StartProgress();
    void SetProgress(int32_t percent);
    // The progress of another process of a DTM (a page's read or write): shown until it
    // reports its end.
    void ShowProcess(bool show, int32_t percent);
    void HideProgress();

  private:
    void Refresh();

    QLabel& text_;
    QProgressBar& progress_;
    const FrameWords* words_;
    const InstanceEntry* selected_ = nullptr;
    StatusWords ownText_;                  // the text when it is one of the window's
    QString plainText_;                    // else the text itself
    const InstanceEntry* from_ = nullptr;  // the instance whose text it is
    // The DTM's text since the window last showed one of its own, and whose it is: at the end
    // of a process that failed, what the DTM said of the failure.
    QString dtmText_;
    const InstanceEntry* dtmFrom_ = nullptr;
    bool progressKept_ = false;  // the bar shows how far a failed transfer came
};

}  // namespace kv
