#pragma once
// A one-line label that ends its text with "…" where the room is too small; the whole text then
// shows as its tooltip, unless the label has a tooltip of its own.

#include <QFrame>
#include <QString>

namespace kv::nav {

class NavElidedLabel : public QFrame {
  public:
    explicit NavElidedLabel(QWidget* parent = nullptr);
    void setText(const QString& text);
    const QString& text() const { return text_; }
    void setAlignment(Qt::Alignment alignment);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Whether the text is too long for the label and shows shortened.
    bool Elided() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
};

}  // namespace kv::nav
