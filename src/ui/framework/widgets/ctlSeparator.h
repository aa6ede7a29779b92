#pragma once
// The titled separator at the top of a page and between its sections: the title in a frame
// that fits its width to the text, over a line that spans the control.

#include <QWidget>
#include <memory>
#include <string>

#include "platform/runtime/IPropertyBag.h"
#include "ui/framework/widgets/clsCtlResize.h"

class QFrame;
class QLabel;

namespace kv {

class ctlSeparator : public QWidget {
    Q_OBJECT

  public:
    explicit ctlSeparator(QWidget* parent = nullptr);

    std::string Caption() const;
    // A different text is set and the title fitted to it.
    void SetCaption(const std::string& caption);

    // Property bag: "Title" (the caption), default "Title"; always written.
    void InitProperties();
    void ReadProperties(const IPropertyBag& bag);
    void WriteProperties(IPropertyBag& bag) const;

    QLabel* TitleLabel() const { return lblTitle_; }
    QFrame* TitleFrame() const { return frmHlp_; }
    QFrame* Line() const { return frmSeparator_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FitTitle();
    void UserControlResize();

    QFrame* frmSeparator_;
    QFrame* frmHlp_;
    QLabel* lblTitle_;
    std::unique_ptr<clsCtlResize> resize_;
};

}  // namespace kv
