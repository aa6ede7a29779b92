#include "frame/window/WindowPrompt.h"

#include <QAbstractButton>
#include <QPointer>

#include "platform/controls/widgets/QtText.h"

namespace kv {

MessageBoxLayout LayoutOfStyle(int32_t style) {
    MessageBoxLayout layout;
    std::vector<QMessageBox::StandardButton> order;
    switch (style & 0xF) {
        case 1:
            order = {QMessageBox::Ok, QMessageBox::Cancel};
            break;
        case 2:
            order = {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
            break;
        case 3:
            order = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
            break;
        case 4:
            order = {QMessageBox::Yes, QMessageBox::No};
            break;
        case 5:
            order = {QMessageBox::Retry, QMessageBox::Cancel};
            break;
        default:
            order = {QMessageBox::Ok};
            break;
    }
    layout.buttons = QMessageBox::NoButton;
    for (QMessageBox::StandardButton b : order)
        layout.buttons |= b;
    const size_t defaultIndex = static_cast<size_t>((style >> 8) & 0x3);
    layout.defaultButton = order[defaultIndex < order.size() ? defaultIndex : 0];
    switch (style & 0x70) {
        case 16:
            layout.icon = QMessageBox::Critical;
            break;
        case 32:
            layout.icon = QMessageBox::Question;
            break;
        case 48:
            layout.icon = QMessageBox::Warning;
            break;
        case 64:
            layout.icon = QMessageBox::Information;
            break;
        default:
            layout.icon = QMessageBox::NoIcon;
            break;
    }
    return layout;
}

int32_t AnswerOfButton(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Yes:
            return mbaYes;
        case QMessageBox::No:
            return mbaNo;
        case QMessageBox::Cancel:
            return mbaCancel;
        case QMessageBox::Abort:
            return 3;
        case QMessageBox::Retry:
            return 4;
        case QMessageBox::Ignore:
            return 5;
        default:
            return mbaOk;
    }
}

WindowPrompt::WindowPrompt(QWidget* parent) : parent_(parent) {}

void WindowPrompt::ShowMessage(const std::string& text) {
    if (status_)
        status_(text);
}

std::unique_ptr<QMessageBox> WindowPrompt::NewBox(const std::string& prompt, int32_t style,
                                                  const ButtonTexts& buttonTexts) const {
    const MessageBoxLayout layout = LayoutOfStyle(style);
    auto box = std::make_unique<QMessageBox>(layout.icon, title_, ToQString(prompt), layout.buttons,
                                             parent_);
    box->setDefaultButton(layout.defaultButton);
    for (const ButtonTexts* texts : {&buttonTexts_, &buttonTexts}) {
        for (const auto& [which, text] : *texts) {
            if (QAbstractButton* button = box->button(which))
                button->setText(text);
        }
    }
    return box;
}

int32_t WindowPrompt::Ask(const std::string& prompt, int32_t style) {
    return Ask(prompt, style, {});
}

int32_t WindowPrompt::Ask(const std::string& prompt, int32_t style,
                          const ButtonTexts& buttonTexts) {
    if (asker_)
        return asker_(prompt, style);
    const std::unique_ptr<QMessageBox> box = NewBox(prompt, style, buttonTexts);
    // Closing the box answers with its escape button (No, Cancel or OK).
    const auto answer = static_cast<QMessageBox::StandardButton>(box->exec());
    return AnswerOfButton(answer);
}

}  // namespace kv
