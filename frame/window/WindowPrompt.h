#pragma once
// The frame window's prompt for the DTM: status texts go to the window's status bar, questions
// to a message box whose buttons, icon and default button follow the style.

#include <QMessageBox>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/runtime/IPrompt.h"

class QWidget;

namespace kv {

// The message box of a style: the buttons (bits 0-3), the icon (bits 4-6) and the default
// button (bits 8-9) as the styles of the DTM combine them: 0 OK; 36 Yes and No, question, Yes
// the default; 52 Yes and No, exclamation, Yes the default; 292 Yes and No, question, No the
// default.
struct MessageBoxLayout {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
};
MessageBoxLayout LayoutOfStyle(int32_t style);
// The DTM's answer for a button: 1 OK, 2 Cancel, 6 Yes, 7 No.
int32_t AnswerOfButton(QMessageBox::StandardButton button);

class WindowPrompt : public IPrompt {
  public:
    using Asker = std::function<int32_t(const std::string& text, int32_t style)>;
    using StatusSink = std::function<void(const std::string& text)>;
    using ButtonTexts = std::map<QMessageBox::StandardButton, QString>;

    // parent: the window the boxes belong to (may be nullptr).
    explicit WindowPrompt(QWidget* parent = nullptr);

    void ShowMessage(const std::string& text) override;
    int32_t Ask(const std::string& prompt, int32_t style) override;
    // The same question with captions of the caller's own for some buttons (Save, Discard).
    int32_t Ask(const std::string& prompt, int32_t style, const ButtonTexts& buttonTexts);

    // Where status texts go (the status bar); without one they are dropped.
    void SetStatusSink(StatusSink sink) { status_ = std::move(sink); }
    // Who answers questions in place of the message box (tests).
    void SetAsker(Asker asker) { asker_ = std::move(asker); }
    void SetParent(QWidget* parent) { parent_ = parent; }
    void SetTitle(const QString& title) { title_ = title; }
    // The buttons' captions in the window's language; a button without one keeps Qt's own.
    void SetButtonTexts(ButtonTexts texts) { buttonTexts_ = std::move(texts); }

    // The box that Ask shows for a question of that style: title, icon, buttons with their
    // captions (the window's, and the caller's own where it gives one) and the default button.
    std::unique_ptr<QMessageBox> NewBox(const std::string& prompt, int32_t style,
                                        const ButtonTexts& buttonTexts = {}) const;

  private:
    QWidget* parent_;
    QString title_ = QStringLiteral("KV6274PA");
    ButtonTexts buttonTexts_;
    StatusSink status_;
    Asker asker_;
};

}  // namespace kv
