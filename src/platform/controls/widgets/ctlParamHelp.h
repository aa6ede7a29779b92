#pragma once
// The help pane of a page: hidden until a row asks for help, then shown beside that row (below
// it, or above it when the page has no room below) with the element's help text. A click on
// the pane closes it.

#include <QFrame>
#include <QPointer>
#include <string>

#include "platform/controls/ControlInterfaces.h"
#include "platform/runtime/IPropertyBag.h"

class QLabel;

namespace kv {

class ctlParamHelp : public QFrame, public IParamHelp {
    Q_OBJECT

  public:
    explicit ctlParamHelp(QWidget* parent = nullptr);

    // Designer data: "autoposition" (0: the pane shows the help at its own place; any other
    // value: beside the row). False when the value is no number (the setting stays).
    bool ReadProperties(const IPropertyBag& bag);
    int32_t AutoPosition() const { return autoPosition_; }

    void SetHelpText(const std::string& text) override;
    std::string HelpText() const override { return helpText_; }
    void ShowHelp(IParameterRow& row) override;

    // The row whose help is shown; nullptr while the pane is closed or the row is gone.
    QWidget* ShownFor() const { return shownFor_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QLabel* text_;
    std::string helpText_;
    int32_t autoPosition_ = 15;
    QPointer<QWidget> shownFor_;
};

}  // namespace kv
