#pragma once
// A label whose caption the dictionary gives by the label's name (ApplyControlTexts): the key is
// the page's prefix followed by the label's object name.

#include <QLabel>
#include <QPointer>
#include <optional>
#include <string>

#include "core/DictionaryLookup.h"
#include "platform/controls/widgets/QtText.h"

namespace kv {

class CaptionedLabel : public ICaptionedControl {
  public:
    explicit CaptionedLabel(QLabel* label) : label_(label) {}

    Kind ControlKind() const override { return Kind::Captioned; }
    // The label's object name; empty once the label is gone.
    std::string Name() const override {
        return label_ ? label_->objectName().toStdString() : std::string();
    }
    std::optional<int32_t> Index() const override { return std::nullopt; }
    std::string Caption() const override {
        return label_ ? label_->text().toStdString() : std::string();
    }
    void SetCaption(const std::string& caption) override {
        if (label_)
            label_->setText(ToQString(caption));
    }

  private:
    QPointer<QLabel> label_;
};

}  // namespace kv
