#pragma once
// The About page (KV6274PA.ctlAbout): the product picture, the product name and the version and
// date of the DTM, the copyright and the contact. The frame opens it for its function, and the
// main window's navigation control creates it for its tree node. It registers with the GUI list
// and has a binding site without rows.

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/ControlInterfaces.h"
#include "platform/controls/NavigationInterfaces.h"
#include "platform/fdt/FdtDtmInterfaces.h"
#include "ui/framework/widgets/CaptionedLabel.h"

class QLabel;

namespace kv {

class ctlParamHelp;
class ctlParamSite;
class IDTMContext;
class IPrivateGUI;

class ctlAbout : public QWidget,
                 public INavigationPage,
                 public IDtmActiveXControl,
                 public IParamHelpHost {
    Q_OBJECT

  public:
    static constexpr const char* kProgId = "KV6274PA.ctlAbout";

    explicit ctlAbout(QWidget* parent = nullptr);
    ~ctlAbout() override;

    // INavigationPage
    std::string Name() const override { return "ctlAbout"; }
    // IDtmActiveXControl: False for an empty GUI function call, no DTM, a DTM without a context
    // or a call under which another user interface is registered. The function call document
    // is not looked at.
    bool Init(const std::string& guiFunctionCall, const std::string& functionCall,
              std::shared_ptr<IDtm> dtm) override;
    bool PrepareToRelease() override;
    IParamHelp* GetParamHelpCtl() override;

    // IPrivateGUI, as the GUI list calls it.
    bool CloseGUI();
    void LockStateChanged(bool locked);
    void ParameterChanged(IPrivateDataElement& element);
    void ParameterSetChanged();
    void ValidateParameters();
    void SetLanguage(int32_t languageId);

    bool IsInitialised() const { return !guiFunctionCall_.empty(); }
    const std::string& GUIFunctionCall() const { return guiFunctionCall_; }
    // The labels by name ("lblProductTxt"), for tests; nullptr for another name.
    QLabel* Label(const std::string& name) const;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    std::shared_ptr<IDTMContext> GetDtmContext() const;
    void InitPage(IDTMContext& context);
    void ApplyLanguage(int32_t languageId);
    // The DTM's version and its date, the date in the short form of the user's locale (of the
    // language's own locale where the user has none).
    void ShowVersion(int32_t languageId);
    // Unregisters (errors ignored) and forgets the DTM.
    void Terminate() noexcept;

    ctlParamHelp* ctlParamHelp1_;
    QLabel* Picture1_;
    std::vector<QLabel*> labels_;
    std::vector<CaptionedLabel> captions_;
    ctlParamSite* ctlParamSite1_;
    std::shared_ptr<IDtm> dtm_;
    std::string guiFunctionCall_;
    // The DTM's version text and date, as the data model gave them at Init.
    std::string version_;
    std::optional<double> date_;
    // What the GUI list holds (weakly) while the page is registered.
    std::shared_ptr<IPrivateGUI> gui_;
};

}  // namespace kv
