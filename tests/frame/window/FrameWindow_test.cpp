// The frame's window as a user drives it, on the offscreen platform and a manual loop: connect,
// upload, download, disconnect, the function list and its tabs, the language, save and close;
// the whole way through the main window's pages; the message boxes' styles; the pictures of
// --screenshot; and, on a virtual X display, the window with the Qt loop.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <vector>

#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataElement.h"
#include "dtm/DTMMain.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/FrameWindow.h"
#include "frame/window/WindowPrompt.h"
#include "frame/window/WindowSettings.h"
#include "frame/window/WindowTestSupport.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/NavTestSupport.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/QtEventLoop.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/GUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedPositioner.h"
#include "support/ChildProcess.h"
#include "support/EventRecord.h"
#include "support/FileSizeLimit.h"
#include "support/FrameInstanceFixture.h"
#include "support/TempFolder.h"
#include "ui/framework/NavigationMainLogic.h"
#include "ui/framework/NavigationTree.h"
#include "ui/framework/widgets/FrameworkUserInterfaces.h"
#include "ui/framework/widgets/ctlAbout.h"
#include "ui/framework/widgets/ctlCycle.h"
#include "ui/framework/widgets/ctlNavigationMain.h"
#include "ui/onlinepages/OnlinePages.h"
#include "ui/parameterpages/ParameterPage.h"
#include "ui/parameterpages/ParameterPages.h"

// A text in a failed expectation, as the text it is.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kv {
namespace {

namespace fs = std::filesystem;

void RunQt() {
    test_support::RunQtEvents();
}

// What the instance list shows in a cell.
QVariant Cell(const QTreeView& list, int row, int column, int role = Qt::DisplayRole) {
    return list.model()->index(row, column).data(role);
}

using test_support::PageNodes;

// Types text into a row's field and presses Enter, as a user does.
void TypeAndEnter(ctlParameter& row, const QString& text) {
    auto* field = row.findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// A frame with one instance "PV-101" (or more: "PV-102", ...) and its window on a manual loop;
// questions are answered from a script and recorded.
struct WindowFixture {
    test_support::TempFolder temp;
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    std::shared_ptr<WindowPrompt> prompt = std::make_shared<WindowPrompt>();
    ReferenceFrame frame{loop, prompt};
    FrameInstance* instance = nullptr;
    std::shared_ptr<SimulatedPositioner> device = std::make_shared<SimulatedPositioner>();
    PageRegistry registry;
    // What each instance's container hears, in the project's order.
    std::vector<std::unique_ptr<test_support::EventRecord>> events;
    std::unique_ptr<FrameWindow> window;
    std::vector<std::pair<std::string, int32_t>> questions;
    int32_t answer = mbaYes;

    explicit WindowFixture(int instances = 1) {
        instance = &test_support::AddFrameInstance(frame);
        for (int i = 2; i <= instances; ++i) {
            FrameFault error;
            EXPECT_NE(frame.AddInstance("PV-" + std::to_string(100 + i), "KV6274PA", error),
                      nullptr)
                << error;
        }
        for (const auto& added : frame.Instances())
            events.push_back(std::make_unique<test_support::EventRecord>(added->container));
        RegisterFrameworkUserInterfaces(registry);
        window = std::make_unique<FrameWindow>(frame, loop, device, prompt,
                                               temp.File("project.xml"), &registry);
        prompt->SetAsker([this](const std::string& text, int32_t style) {
            questions.emplace_back(text, style);
            return answer;
        });
        window->show();
    }
    ~WindowFixture() {
        window.reset();
        RunQt();
        EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
        EXPECT_TRUE(WidgetDiagnostics().Empty()) << WidgetDiagnostics().Text();
    }
    IDTMContext& Ctx() { return *instance->dtm->DTMContext(); }
    IDTMContext& Ctx(size_t index) { return *frame.Instances()[index]->dtm->DTMContext(); }
    GUIManager& GUIs() { return dynamic_cast<GUIManager&>(Ctx().GUIManager()); }
    // Lets the loop and Qt run until done() holds, at most maxMs of loop time.
    bool Pump(const std::function<bool()>& done, int64_t maxMs = 30000) {
        return test_support::PumpUntil(*loop, done, maxMs);
    }
    bool Idle() {
        return Pump([this] { return !window->Busy(); });
    }
    // Selects the tree node of the page with this ProgID; the page shown then, nullptr when
    // the tree has no such node.
    QWidget* ShowPage(ctlNavigation& nav, const std::string& progId) {
        ITreeHolder& tree = nav.devParameter().TreeHolder();
        for (const auto& [key, id] : PageNodes(tree.TreeXml())) {
            if (id == progId && tree.SelectNode(key)) {
                Pump([] { return true; });
                return nav.ShownPageWidget();
            }
        }
        return nullptr;
    }
    // Opens the function "Parameters" and shows its bus address page; nullptr when it does
    // not show.
    QWidget* OpenAddressPage() {
        auto* main = dynamic_cast<ctlNavigationMain*>(window->OpenFunction(1));
        return main ? ShowPage(main->NavigationControl(), "KV6274PA.ctlAddress") : nullptr;
    }
    // How many events of the kind the instance at that place heard.
    size_t Count(FrameEvent::Kind kind, size_t index = 0) { return events[index]->Count(kind); }
};

TEST(FrameWindowPrompt, StylesGiveButtonsIconAndDefault) {
    const MessageBoxLayout ok = LayoutOfStyle(mbsOkOnly);
    EXPECT_EQ(ok.buttons, QMessageBox::Ok);
    EXPECT_EQ(ok.icon, QMessageBox::NoIcon);
    const MessageBoxLayout question = LayoutOfStyle(mbsYesNoQuestion);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.icon, QMessageBox::Question);
    EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
    const MessageBoxLayout exclamation = LayoutOfStyle(mbsYesNoExclamation);
    EXPECT_EQ(exclamation.icon, QMessageBox::Warning);
    EXPECT_EQ(exclamation.defaultButton, QMessageBox::Yes);
    const MessageBoxLayout defaultNo = LayoutOfStyle(mbsYesNoQuestionDefaultNo);
    EXPECT_EQ(defaultNo.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(defaultNo.icon, QMessageBox::Question);
    EXPECT_EQ(defaultNo.defaultButton, QMessageBox::No);
    EXPECT_EQ(AnswerOfButton(QMessageBox::Yes), 6);
    EXPECT_EQ(AnswerOfButton(QMessageBox::No), 7);
    EXPECT_EQ(AnswerOfButton(QMessageBox::Ok), 1);
}

TEST(FrameWindowPrompt, QuestionsAskInTheWindowsLanguage) {
    WindowFixture f;
    auto captions = [&f](int32_t style) {
        const std::unique_ptr<QMessageBox> box = f.prompt->NewBox("?", style);
        std::vector<std::string> texts;
        for (QAbstractButton* button : box->buttons())
            texts.push_back(button->text().toStdString());
        std::sort(texts.begin(), texts.end());
        return std::make_pair(texts, box->defaultButton()->text().toStdString());
    };
    f.window->SetLanguage(langGerman);
    EXPECT_EQ(captions(mbsYesNoQuestionDefaultNo),
              std::make_pair(std::vector<std::string>{"&Ja", "&Nein"}, std::string("&Nein")));
    EXPECT_EQ(captions(mbsOkOnly).first, std::vector<std::string>{"OK"});
    f.window->SetLanguage(langEnglish);
    EXPECT_EQ(captions(mbsYesNoQuestion),
              std::make_pair(std::vector<std::string>{"&No", "&Yes"}, std::string("&Yes")));
}

TEST(FrameWindow, ThroughEveryPageWithCyclingAndBothLanguagesAndClosedCleanly) {
    WindowFixture f;
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    ASSERT_TRUE(f.window->IsConnected());

    auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(1));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(f.window->Tabs()->count(), 1);
    ASSERT_TRUE(f.window->Upload());
    EXPECT_TRUE(f.window->Progress()->isVisible());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("Upload finished."));
    EXPECT_FALSE(f.window->Progress()->isVisible());
    EXPECT_GT(f.Count(FrameEvent::kProgress), 0U);

    ctlNavigation& nav = main->NavigationControl();
    ITreeHolder& tree = nav.devParameter().TreeHolder();
    const auto nodes = PageNodes(tree.TreeXml());
    ASSERT_EQ(nodes.size(), 43U);
    for (const auto& [key, progId] : nodes) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(tree.SelectNode(key));
        f.Pump([] { return true; });
        EXPECT_EQ(tree.SelectedNode(), key);
        EXPECT_NE(nav.ShownPageWidget(), nullptr);
    }

    // Cycling reads the header group on every tick; the headline shows the valve's position.
    ICyclePane& cycle = nav.dtmInfo().Cycle();
    cycle.SetCyclicRefresh(1);
    EXPECT_EQ(main->CycleControl().Value(), 1);
    f.device->ClearLog();
    f.loop->Advance(3 * cycle.Interval() + 100);
    RunQt();
    // Three ticks of the eight header and state elements at least.
    EXPECT_GE(f.device->Log().size(), 24U);
    EXPECT_NE(nav.Headline().StdHeadline().PV(), "-/-");
    cycle.SetCyclicRefresh(0);
    EXPECT_EQ(main->CycleControl().Value(), 0);
    f.Pump([] { return true; }, 100);

    // A language change shows the headline's value in the language's number form at once.
    const std::string pv = nav.Headline().StdHeadline().PV();
    ASSERT_NE(pv.find('.'), std::string::npos) << pv;
    f.window->SetLanguage(langGerman);
    EXPECT_EQ(nav.dtmInfo().DataStateLabel(), "Datensatz");
    EXPECT_EQ(f.window->Tabs()->tabText(0), QStringLiteral("PV-101: Parameter"));
    std::string german = pv;
    german[pv.find('.')] = ',';
    EXPECT_EQ(nav.Headline().StdHeadline().PV(), german);
    f.window->SetLanguage(langEnglish);
    EXPECT_EQ(nav.Headline().StdHeadline().PV(), pv);
    EXPECT_EQ(nav.dtmInfo().DataStateLabel(), "Data set");
    EXPECT_EQ(f.window->Tabs()->tabText(0), QStringLiteral("PV-101: Parameters"));

    EXPECT_TRUE(f.questions.empty());
    EXPECT_TRUE(f.window->close());
    RunQt();
    EXPECT_TRUE(f.GUIs().FunctionIds().empty());
    EXPECT_FALSE(f.GUIs().HasOpenGUIs());
    EXPECT_EQ(f.Count(FrameEvent::kPreparedToRelease), 1U);
    // The values uploaded from the device changed the data set: closing asked to save, the
    // user said Save, and the project was written.
    ASSERT_EQ(f.questions.size(), 1U);
    EXPECT_EQ(f.questions[0].second, mbsYesNoCancelQuestion);
    EXPECT_TRUE(fs::exists(f.temp.File("project.xml")));
    EXPECT_TRUE(f.Ctx().Diagnostics().Empty()) << f.Ctx().Diagnostics().Text();
}

TEST(FrameWindow, FunctionListOpensEachFunctionOnceAndInvocationsOpenNothingEndlessly) {
    WindowFixture f;
    std::set<int32_t> listed;
    for (QTreeWidgetItemIterator it(f.window->Functions()); *it; ++it) {
        if (const int32_t id = (*it)->data(0, Qt::UserRole).toInt(); id > 0)
            listed.insert(id);
    }
    EXPECT_EQ(listed, (std::set<int32_t>{1, 2, 3, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 501}));
    // The group of the operation functions bears the DTM's word for operation, in each language.
    for (const int32_t language : {langEnglish, langGerman}) {
        f.window->SetLanguage(language);
        QTreeWidgetItemIterator it(f.window->Functions());
        while (*it && (*it)->data(0, Qt::UserRole).toInt() != 2)
            ++it;
        ASSERT_TRUE(*it && (*it)->parent());
        EXPECT_EQ((*it)->parent()->text(0).toStdString(), (*it)->text(0).toStdString()) << language;
    }
    f.window->SetLanguage(langEnglish);

    QWidget* about = f.window->OpenFunction(15);
    ASSERT_NE(dynamic_cast<ctlAbout*>(about), nullptr);
    EXPECT_EQ(f.window->OpenFunction(15), about);
    EXPECT_EQ(f.window->Tabs()->count(), 1);
    EXPECT_EQ(f.GUIs().FunctionIds(), std::vector<std::string>{"15"});
    EXPECT_TRUE(f.GUIs().IsTopLevel("15"));

    // The invocable function asks the DTM, whose request names no user interface: nothing
    // opens, and nothing asks again.
    EXPECT_EQ(f.window->OpenFunction(501), nullptr);
    f.loop->RunUntilIdle();
    RunQt();
    EXPECT_FALSE(f.loop->HasPending());
    EXPECT_EQ(f.window->Tabs()->count(), 1);
    EXPECT_EQ(f.Count(FrameEvent::kOpenGUIRequest), 1U);
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("This function has no user interface."));
    // Opening another function replaces that end; a language change does not bring it back.
    EXPECT_EQ(f.window->OpenFunction(15), about);
    EXPECT_EQ(f.window->StatusText(), QString());
    f.window->SetLanguage(langGerman);
    EXPECT_EQ(f.window->StatusText(), QString());
    f.window->SetLanguage(langEnglish);

    EXPECT_TRUE(f.window->CloseTab(0));
    RunQt();
    EXPECT_EQ(f.window->Tabs()->count(), 0);
    EXPECT_TRUE(f.GUIs().FunctionIds().empty());
    EXPECT_TRUE(f.window->ReleaseAll());
}

TEST(FrameWindow, DownloadDisconnectAndSave) {
    WindowFixture f;
    EXPECT_FALSE(f.window->Upload());
    ASSERT_TRUE(f.window->Connect());
    EXPECT_FALSE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    ASSERT_TRUE(f.window->Download());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("Download finished."));
    EXPECT_EQ(f.Count(FrameEvent::kDownloadFinished), 1U);

    ASSERT_TRUE(f.window->Disconnect());
    ASSERT_TRUE(f.Idle());
    EXPECT_FALSE(f.window->IsConnected());
    EXPECT_EQ(f.window->StatusText(),
              QStringLiteral("Disconnected from the simulated positioner."));

    ASSERT_TRUE(f.window->Save());
    EXPECT_TRUE(fs::exists(f.temp.File("project.xml")));
    EXPECT_TRUE(f.window->ReleaseAll());
}

TEST(FrameWindow, ProgressBarShowsAPagesProcessUntilItsEnd) {
    WindowFixture f;
    RegisterParameterPages(f.registry);
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(1));
    ASSERT_NE(main, nullptr);
    f.Pump([] { return true; });
    auto* page =
        dynamic_cast<IPrivateGUIReadWriteSaveLoad*>(main->NavigationControl().ShownPageWidget());
    ASSERT_NE(page, nullptr);
    // The page's read: the bar comes with its first report and goes with its end.
    bool seen = false;
    ASSERT_TRUE(page->ReadParameter());
    while (f.loop->HasPending()) {
        f.loop->RunUntilIdle(1);
        seen = seen || f.window->Progress()->isVisible();
    }
    EXPECT_TRUE(seen);
    EXPECT_FALSE(f.window->Progress()->isVisible());
    EXPECT_EQ(f.window->Progress()->value(), 100);

    // The window's own upload keeps the bar while another process ends meanwhile.
    ASSERT_TRUE(f.window->Upload());
    f.instance->container->OnProgress(f.instance->systemTag, "Other", 100, false);
    EXPECT_TRUE(f.window->Progress()->isVisible());
    ASSERT_TRUE(f.Idle());
    EXPECT_FALSE(f.window->Progress()->isVisible());
    EXPECT_TRUE(f.window->ReleaseAll());
}

TEST(FrameWindowClose, AChangedProjectAsksSaveDiscardOrCancelBeforeAnythingCloses) {
    struct Case {
        const char* name;
        int32_t answer;
        bool closed;
        bool written;
    };
    const Case cases[] = {
        {"cancel", mbaCancel, false, false},
        {"discard", mbaNo, true, false},
        {"save", mbaYes, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFixture f;
        ASSERT_TRUE(f.window->Connect());
        ASSERT_TRUE(f.Idle());
        ASSERT_NE(f.window->OpenFunction(1), nullptr);
        IParameters& parameters = f.Ctx().Parameters();
        IPrivateDataElement& tag = *parameters.Item("PHYS/TAG_DESC");
        tag.SetTransientValue(Variant("FV-7"));
        parameters.ElementChanged(tag, "");
        int tabsWhenAsked = -1;
        bool connectedWhenAsked = false;
        f.prompt->SetAsker([&](const std::string& text, int32_t style) {
            f.questions.emplace_back(text, style);
            tabsWhenAsked = f.window->Tabs()->count();
            connectedWhenAsked = f.window->IsConnected();
            return c.answer;
        });
        EXPECT_EQ(f.window->close(), c.closed);
        RunQt();
        // One question, before any tab closed, also when the DTM then asks the frame to save.
        ASSERT_EQ(f.questions.size(), 1U);
        EXPECT_EQ(f.questions[0].second, mbsYesNoCancelQuestion);
        EXPECT_EQ(tabsWhenAsked, 1);
        EXPECT_TRUE(connectedWhenAsked);
        EXPECT_EQ(f.window->Tabs()->count(), c.closed ? 0 : 1);
        EXPECT_EQ(f.window->IsConnected(), !c.closed);
        EXPECT_EQ(f.Count(FrameEvent::kPreparedToRelease), c.closed ? 1U : 0U);
        EXPECT_EQ(fs::exists(f.temp.File("project.xml")), c.written);
        if (!c.closed) {
            f.answer = mbaNo;
            f.prompt->SetAsker([&](const std::string&, int32_t) { return mbaNo; });
            EXPECT_TRUE(f.window->ReleaseAll());
        }
    }
}

// A project of several instances: the list shows each with its tag as its data set gives it,
// the window works on the one selected, one at a time is connected, tabs of several stay open
// under their instance's tag, and closing asks once for every modified instance.
TEST(FrameWindowInstances, TheWindowWorksOnTheSelectedInstanceAndConnectsOneAtATime) {
    WindowFixture f(4);
    QTreeView* list = f.window->InstanceList();
    ASSERT_EQ(list->model()->rowCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Cell(*list, i, 0).toString(), QStringLiteral("PV-10%1").arg(i + 1));
        EXPECT_EQ(Cell(*list, i, 2).toString(), QStringLiteral("KV6274PA"));
    }
    EXPECT_EQ(f.window->SelectedInstance(), 0);
    IParameters& third = f.Ctx(2).Parameters();
    third.Item("PHYS/TAG_DESC")->SetTransientValue(Variant("FV-3"));
    third.ElementChanged(*third.Item("PHYS/TAG_DESC"), "");
    EXPECT_EQ(Cell(*list, 2, 1).toString(), QStringLiteral("FV-3"));
    EXPECT_EQ(Cell(*list, 0, 1).toString(), QString());

    // The row chosen in the list is the instance the actions work on.
    list->setCurrentIndex(list->model()->index(2, 0));
    EXPECT_EQ(f.window->SelectedInstance(), 2);
    const auto* tag = f.window->findChild<QLabel*>(QStringLiteral("InstanceTag"));
    EXPECT_EQ(tag->text(), QStringLiteral("Tag: FV-3"));
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(f.window->ConnectedInstance(), 2);
    EXPECT_FALSE(Cell(*list, 2, 0, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(Cell(*list, 0, 0, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(f.Ctx(0).CommunicationManager().IsConnected());

    // Another instance cannot connect meanwhile; its state says which one is.
    ASSERT_TRUE(f.window->SelectInstance(0));
    EXPECT_FALSE(f.window->Connect());
    EXPECT_FALSE(f.window->Upload());
    const auto* state = f.window->findChild<QLabel*>(QStringLiteral("InstanceState"));
    EXPECT_EQ(state->text(), QStringLiteral("Disconnected (PV-103 is connected)"));

    // Tabs of two instances side by side; showing one selects its instance.
    ASSERT_NE(f.window->OpenFunction(1), nullptr);
    ASSERT_TRUE(f.window->SelectInstance(2));
    ASSERT_NE(f.window->OpenFunction(1), nullptr);
    ASSERT_EQ(f.window->Tabs()->count(), 2);
    EXPECT_EQ(f.window->Tabs()->tabText(0), QStringLiteral("PV-101: Parameters"));
    EXPECT_EQ(f.window->Tabs()->tabText(1), QStringLiteral("PV-103: Parameters"));
    f.window->Tabs()->setCurrentIndex(0);
    EXPECT_EQ(f.window->SelectedInstance(), 0);
    ASSERT_TRUE(f.window->SelectInstance(2));
    EXPECT_EQ(f.window->Tabs()->currentIndex(), 1);

    // The selected instance uploads; a status text of another instance names it, and so does
    // a question's box.
    ASSERT_TRUE(f.window->Upload());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("Upload finished."));
    EXPECT_EQ(f.Count(FrameEvent::kUploadFinished, 0), 0U);
    // A text stays named while another instance is selected than its own.
    ASSERT_TRUE(f.window->SelectInstance(1));
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("PV-103: Upload finished."));
    f.window->SetLanguage(langGerman);
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("PV-103: Upload beendet."));
    f.window->SetLanguage(langEnglish);
    ASSERT_TRUE(f.window->SelectInstance(2));
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("Upload finished."));
    f.Ctx(0).DisplayMessage("A text.");
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("PV-101: A text."));
    ASSERT_TRUE(f.window->SelectInstance(0));
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("A text."));
    ASSERT_TRUE(f.window->SelectInstance(2));
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("PV-101: A text."));
    QString title;
    f.prompt->SetAsker([&](const std::string&, int32_t) {
        title = f.prompt->NewBox("?", mbsOkOnly)->windowTitle();
        return mbaOk;
    });
    f.Ctx(1).MessageBox("?", mbsOkOnly);
    EXPECT_EQ(title, QStringLiteral("KV6274PA reference frame - PV-102"));

    // Disconnected, the channel goes to another instance.
    ASSERT_TRUE(f.window->Disconnect());
    ASSERT_TRUE(f.Idle());
    ASSERT_TRUE(f.window->SelectInstance(1));
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(f.window->ConnectedInstance(), 1);
    EXPECT_TRUE(Cell(*list, 2, 0, Qt::DecorationRole).value<QIcon>().isNull());

    // One question for the instances whose data changed, the tabs still open.
    int tabsWhenAsked = -1;
    f.prompt->SetAsker([&](const std::string& text, int32_t style) {
        f.questions.emplace_back(text, style);
        tabsWhenAsked = f.window->Tabs()->count();
        return mbaNo;
    });
    EXPECT_TRUE(f.window->close());
    ASSERT_EQ(f.questions.size(), 1U);
    EXPECT_EQ(f.questions[0].first,
              "The data of PV-103 have changed. Save the project before closing?");
    EXPECT_EQ(tabsWhenAsked, 2);
    for (size_t i = 0; i < f.events.size(); ++i)
        EXPECT_EQ(f.Count(FrameEvent::kPreparedToRelease, i), 1U);
}

// The instance pane is narrow in both languages (a short header for the tag, the term and a tag
// that is cut in tool tips) and keeps its width whatever is selected, with a tab open or none;
// the width the user gives it is the next window's.
TEST(FrameWindowInstances, TheInstancePaneKeepsTheWidthTheUserGivesIt) {
    WindowFixture f(40);
    QTreeView* list = f.window->InstanceList();
    f.window->resize(1024, 700);
    RunQt();
    IParameters& parameters = f.Ctx(3).Parameters();
    parameters.Item("PHYS/TAG_DESC")->SetTransientValue(Variant("TIC-4711 reactor inlet valve"));
    parameters.ElementChanged(*parameters.Item("PHYS/TAG_DESC"), "");
    // A language whose function names are longer widens the pane to show them whole; going
    // back does not narrow it.
    QTreeWidget* functions = f.window->Functions();
    const int english = f.window->PaneWidth();
    for (const int32_t language : {langGerman, langEnglish}) {
        f.window->SetLanguage(language);
        RunQt();
        EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(),
                  QString::fromUtf8(language == langGerman ? "Kennz." : "Tag"));
        EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(),
                  QString::fromUtf8(language == langGerman ? "Messstellenkennzeichen" : "Tag"));
        EXPECT_LE(static_cast<QAbstractItemView*>(functions)->sizeHintForColumn(0),
                  functions->viewport()->width());
        EXPECT_GE(f.window->PaneWidth(), english);
    }
    EXPECT_EQ(Cell(*list, 3, 1, Qt::ToolTipRole).toString(),
              QStringLiteral("TIC-4711 reactor inlet valve"));
    const int natural = f.window->PaneWidth();
    EXPECT_LE(natural, 280);
    EXPECT_GE(natural, list->columnWidth(0) + list->columnWidth(2));

    // Selections by key, by the list and by the tabs change nothing of it.
    ASSERT_NE(f.window->OpenFunction(1), nullptr);
    list->setFocus();
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(f.window->SelectedInstance(), 20);
    ASSERT_NE(f.window->OpenFunction(15), nullptr);
    f.window->Tabs()->setCurrentIndex(0);
    EXPECT_EQ(f.window->SelectedInstance(), 0);
    EXPECT_EQ(f.window->PaneWidth(), natural);
    ASSERT_TRUE(f.window->CloseTab(1));
    ASSERT_TRUE(f.window->CloseTab(0));
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    RunQt();
    EXPECT_EQ(f.window->PaneWidth(), natural);

    // The width the user drags it to is kept in the settings file when the window closes.
    auto* splitter = qobject_cast<QSplitter*>(f.window->centralWidget());
    ASSERT_NE(splitter, nullptr);
    const std::string settings = f.temp.File("config/kv6274pa/window.conf");
    f.window->KeepPaneWidthIn(settings);
    EXPECT_EQ(f.window->PaneWidth(), natural);  // nothing stored yet
    const int total = splitter->sizes()[0] + splitter->sizes()[1];
    splitter->setSizes({natural + 60, total - natural - 60});
    RunQt();
    EXPECT_TRUE(f.window->close());
    EXPECT_EQ(ReadPaneWidth(settings), std::optional<int>(natural + 60));
    WindowFixture next;
    next.window->KeepPaneWidthIn(settings);
    next.window->resize(1024, 700);
    RunQt();
    EXPECT_EQ(next.window->PaneWidth(), natural + 60);
}

TEST(FrameWindowInstances, TheCloseQuestionNamesTheModifiedInstancesReadably) {
    struct Case {
        int modified;
        const char* names;
    };
    const Case cases[] = {
        {2, "PV-101 and PV-102"},
        {4, "PV-101, PV-102, PV-103 and PV-104"},
        {6, "PV-101, PV-102, PV-103 and 3 other instances"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modified);
        WindowFixture f(c.modified + 1);
        for (int i = 0; i < c.modified; ++i) {
            IParameters& parameters = f.Ctx(static_cast<size_t>(i)).Parameters();
            parameters.Item("PHYS/TAG_DESC")->SetTransientValue(Variant("FV"));
            parameters.ElementChanged(*parameters.Item("PHYS/TAG_DESC"), "");
        }
        f.answer = mbaCancel;
        EXPECT_FALSE(f.window->close());
        ASSERT_EQ(f.questions.size(), 1U);
        EXPECT_EQ(f.questions[0].first, std::string("The data of ") + c.names +
                                            " have changed. Save the project before closing?");
        f.answer = mbaNo;
        EXPECT_TRUE(f.window->close());
    }
}

// A save that fails (here its file's writes, as on a full disk) leaves the edit unsaved:
// closing still asks.
TEST(FrameWindowClose, AFailedSaveStillAsks) {
    WindowFixture f;
    IParameters& parameters = f.Ctx().Parameters();
    IPrivateDataElement& tag = *parameters.Item("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("FV-7"));
    parameters.ElementChanged(tag, "");
    {
        const test_support::FileSizeLimit full(1024);
        EXPECT_FALSE(f.window->Save());
    }
    EXPECT_FALSE(fs::exists(f.temp.File("project.xml")));
    f.answer = mbaNo;
    EXPECT_TRUE(f.window->close());
    ASSERT_EQ(f.questions.size(), 1U);
    EXPECT_EQ(f.questions[0].second, mbsYesNoCancelQuestion);
}

// The machine's settings allow the station address to be edited while the object lives.
struct AddressEnabled {
    test_support::TempFolder folder;
    AddressEnabled() {
        folder.Write("registry.conf", "DPAddressEnable=1\n");
        setenv("KV6274PA_CONFIG", folder.File("registry.conf").c_str(), 1);
    }
    ~AddressEnabled() { unsetenv("KV6274PA_CONFIG"); }
};

// Closing after an address typed on the bus address page but not set: one question before
// anything closes (the edit that closing drops counts as a change, and the question says that
// saving does not set it), none after the tabs are gone, and the project file holds what the
// user chose, as the type its element gives.
TEST(FrameWindowClose, AnAddressTypedButNotSetAsksOnceBeforeAnythingCloses) {
    struct Case {
        const char* name;
        bool savedBefore;    // Save after typing, before closing
        int32_t answer;      // to the question when closing
        const char* stored;  // the working copy of the address in the file; nullptr: no file
    };
    const Case cases[] = {
        {"saved, then save", true, mbaYes, "13"},
        {"saved, then discard", true, mbaNo, "13"},
        {"save", false, mbaYes, "13"},
        {"discard", false, mbaNo, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AddressEnabled enabled;
        WindowFixture f;
        RegisterParameterPages(f.registry);
        QWidget* page = f.OpenAddressPage();
        ASSERT_NE(page, nullptr);
        auto* row = page->findChild<ctlParameter*>();
        ASSERT_NE(row, nullptr);
        TypeAndEnter(*row, QStringLiteral("13"));
        if (c.savedBefore) {
            ASSERT_TRUE(f.window->Save());
        }
        int tabsWhenAsked = -1;
        f.prompt->SetAsker([&](const std::string& text, int32_t style) {
            f.questions.emplace_back(text, style);
            tabsWhenAsked = f.window->Tabs()->count();
            return c.answer;
        });
        EXPECT_TRUE(f.window->close());
        RunQt();
        ASSERT_EQ(f.questions.size(), 1U);
        // The question says that a save does not set the typed address.
        EXPECT_EQ(f.questions[0].first,
                  "The data of PV-101 have changed, and input on PV-101 was not set: closing "
                  "discards that input, and saving does not set it. Save the project before "
                  "closing?");
        EXPECT_EQ(f.questions[0].second, mbsYesNoCancelQuestion);
        EXPECT_EQ(tabsWhenAsked, 1);
        pugi::xml_document project;
        const bool written = project.load_file(f.temp.File("project.xml").c_str());
        ASSERT_EQ(written, c.stored != nullptr);
        if (written) {
            const pugi::xml_node local =
                project.select_node("//Property[@name='~/LocalAddress']").node();
            EXPECT_STREQ(local.attribute("value").value(), c.stored);
            EXPECT_STREQ(local.attribute("type").value(), "Byte");
        }
    }
}

// Closing a tab whose address was typed but not set asks first: Cancel keeps the tab and the
// typed address, Discard closes the tab and drops it. A tab without such input closes at once.
TEST(FrameWindowClose, ATabThatDropsInputOnClosingAsksFirst) {
    const AddressEnabled enabled;
    WindowFixture f;
    RegisterParameterPages(f.registry);
    ASSERT_NE(f.window->OpenFunction(15), nullptr);
    EXPECT_TRUE(f.window->CloseTab(0));
    EXPECT_TRUE(f.questions.empty());

    QWidget* page = f.OpenAddressPage();
    ASSERT_NE(page, nullptr);
    auto* row = page->findChild<ctlParameter*>();
    ASSERT_NE(row, nullptr);
    TypeAndEnter(*row, QStringLiteral("13"));
    IPrivateDataElement& local = *f.Ctx().Parameters().Item("~/LocalAddress");
    const Variant address = f.Ctx().Parameters().Item("~/Address")->TransientValue();
    f.answer = mbaNo;
    EXPECT_FALSE(f.window->CloseTab(0));
    ASSERT_EQ(f.questions.size(), 1U);
    EXPECT_EQ(f.questions[0].first,
              "The tab \"PV-101: Parameters\" holds input that was not set; closing the "
              "tab discards it. Discard the input and close the tab?");
    EXPECT_EQ(f.questions[0].second, mbsYesNoQuestionDefaultNo);
    EXPECT_EQ(f.window->Tabs()->count(), 1);
    EXPECT_EQ(local.TransientValue().toLong(), 13);

    f.answer = mbaYes;
    EXPECT_TRUE(f.window->CloseTab(0));
    RunQt();
    EXPECT_EQ(f.questions.size(), 2U);
    EXPECT_EQ(f.window->Tabs()->count(), 0);
    EXPECT_TRUE(VariantsEqual(local.TransientValue(), address));
    EXPECT_TRUE(f.window->ReleaseAll());
}

TEST(FrameWindowClose, WatchingTheDeviceAndTheCycleIntervalAskNothingAndSaveKeepsTheInterval) {
    WindowFixture f;
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    ASSERT_TRUE(f.window->Upload());
    ASSERT_TRUE(f.Idle());
    auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(1));
    ASSERT_NE(main, nullptr);
    ICyclePane& cycle = main->NavigationControl().dtmInfo().Cycle();
    cycle.SetInterval(1500);
    ASSERT_TRUE(f.window->Save());
    IPrivateDataElement& status = *f.Ctx().Parameters().Item("~/DataStatus");
    EXPECT_EQ(status.TransientValue().toLong(), 1);

    // A new interval, a new connection and a minute of watching the moving valve.
    cycle.SetInterval(2000);
    EXPECT_EQ(status.TransientValue().toLong(), 1);
    ASSERT_TRUE(f.window->Disconnect());
    ASSERT_TRUE(f.Idle());
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    f.device->SetSetpointCycle(20000);
    cycle.SetCyclicRefresh(1);
    f.Pump([] { return false; }, 60000);
    cycle.SetCyclicRefresh(0);
    EXPECT_EQ(f.Ctx().Parameters().ModifiedState(), 0);
    EXPECT_TRUE(f.window->close());
    EXPECT_TRUE(f.questions.empty());

    // The project holds the interval of the Save.
    ReferenceFrame loaded(f.loop, f.prompt);
    FrameFault error;
    ASSERT_TRUE(loaded.LoadProject(f.temp.File("project.xml"), error)) << error;
    const IPrivateDataElement* interval =
        loaded.Instances().front()->dtm->DTMContext()->Parameters().Item("~/CycleInterval");
    ASSERT_NE(interval, nullptr);
    EXPECT_EQ(interval->TransientValue().toLong(), 1500);
    loaded.Instances().front()->dtm->PrepareToRelease();
}

// The row of a page bound to the element with this tag; nullptr when the page has none.
ctlParameter* RowOf(QWidget& page, const std::string& tag) {
    for (ctlParameter* row : page.findChildren<ctlParameter*>()) {
        if (row->ParameterTag() == tag)
            return row;
    }
    return nullptr;
}

// What the data-set pane calls changed is what closing offers to save, and the rows say the
// same: watching the device (an online page's refresh, the trend, the headline) and device
// commands change neither, and a save leaves no row changed.
TEST(FrameWindowClose, ThePaneTheRowsAndTheCloseQuestionAgree) {
    WindowFixture f;
    RegisterParameterPages(f.registry);
    RegisterOnlinePages(f.registry);
    IParameters& parameters = f.Ctx().Parameters();
    const auto state = [&] { return parameters.Item("~/DataStatus")->TransientValue().toLong(); };
    const auto watch = [&](QWidget* tab) {
        ASSERT_NE(tab, nullptr);
        if (auto* main = dynamic_cast<ctlNavigationMain*>(tab))
            main->NavigationControl().dtmInfo().Cycle().SetCyclicRefresh(1);
        f.Pump([] { return false; }, 10000);
    };
    f.device->SetSetpointCycle(20000);
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(state(), edsInitial);
    ASSERT_TRUE(f.window->Upload());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(state(), edsDevice);

    auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(1));
    ASSERT_NE(main, nullptr);
    ctlNavigation& nav = main->NavigationControl();
    ASSERT_NE(f.ShowPage(nav, "KV6274PA.ctlMeasVal"), nullptr);
    const IPrivateDataElement& setpoint = *parameters.Item("FUNC/1/AO/SP/Value");
    const Variant uploaded = setpoint.TransientValue();
    watch(main);
    EXPECT_EQ(state(), edsDevice);
    EXPECT_EQ(parameters.ModifiedState(), 1);     // by the upload
    EXPECT_NE(setpoint.DeviceValue(), uploaded);  // the valve moved
    EXPECT_EQ(setpoint.TransientValue(), uploaded);
    nav.dtmInfo().Cycle().SetCyclicRefresh(0);
    watch(f.window->OpenFunction(8));
    EXPECT_EQ(state(), edsDevice);

    // A page's row edited, then saved: the row shows the value stored.
    QWidget* page = f.ShowPage(nav, "KV6274PA.ctlId");
    ASSERT_NE(page, nullptr);
    ctlParameter* tag = RowOf(*page, "PHYS/TAG_DESC");
    ASSERT_NE(tag, nullptr);
    TypeAndEnter(*tag, QStringLiteral("FV-7"));
    EXPECT_EQ(tag->StatusIcon(), "Changed");
    EXPECT_EQ(state(), edsChanged);
    ASSERT_TRUE(f.window->Save());
    EXPECT_EQ(tag->StatusIcon(), "SavedValue");
    EXPECT_EQ(state(), edsDatabase);
    watch(main);
    EXPECT_EQ(state(), edsDatabase);
    EXPECT_EQ(parameters.ModifiedState(), 0);
    EXPECT_EQ(tag->StatusIcon(), "SavedValue");
    nav.dtmInfo().Cycle().SetCyclicRefresh(0);

    // Commands run on the device; the project keeps its values.
    auto* resets = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(10));
    ASSERT_NE(resets, nullptr);
    for (const auto& [progId, button] : {std::pair{"KV6274PA.ctlResetWarm", "cmdWarmStart"},
                                         {"KV6274PA.ctlResetFact", "cmdColdStartApplIdent"},
                                         {"KV6274PA.ctlResetFact", "cmdColdStartAppl"}}) {
        SCOPED_TRACE(button);
        QWidget* commands = f.ShowPage(resets->NavigationControl(), progId);
        ASSERT_NE(commands, nullptr);
        auto* run = commands->findChild<QPushButton*>(QString::fromUtf8(button));
        ASSERT_NE(run, nullptr);
        const size_t asked = f.questions.size();
        run->click();
        f.Pump([] { return false; }, 5000);
        EXPECT_GT(f.questions.size(), asked);
        EXPECT_EQ(state(), edsDatabase);
        EXPECT_EQ(parameters.ModifiedState(), 0);
    }
    f.questions.clear();
    EXPECT_TRUE(f.window->close());
    EXPECT_TRUE(f.questions.empty());
}

TEST(FrameWindow, TheTagBesideTheInstanceFollowsAnEditAndAnUploadNotAConnect) {
    WindowFixture f;
    const auto* tag = f.window->findChild<QLabel*>(QStringLiteral("InstanceTag"));
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->text(), QStringLiteral("Tag: "));
    auto deviceTag = [&](const std::string& text) {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        bytes.resize(32, ' ');
        ASSERT_TRUE(f.device->SetRecord(0, 18, bytes));
    };
    IParameters& parameters = f.Ctx().Parameters();
    IPrivateDataElement& tagDesc = *parameters.Item("PHYS/TAG_DESC");
    tagDesc.SetTransientValue(Variant("FV-8"));
    parameters.ElementChanged(tagDesc, "");
    EXPECT_EQ(tag->text(), QStringLiteral("Tag: FV-8"));

    // The connection reads the device's tag; the instance keeps its own.
    deviceTag("FEED VALVE 7");
    // The device's scale is in millimetres, the project's in percent.
    ASSERT_TRUE(f.device->SetRecord(1, 27, {0x42, 0xC8, 0, 0, 0, 0, 0, 0, 0x03, 0xF5, 2}));
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(tag->text(), QStringLiteral("Tag: FV-8"));

    // An online function's cyclic refresh watches the device: the headline shows the device's
    // tag and scale, the project keeps its own, also when saved.
    auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(2));
    ASSERT_NE(main, nullptr);
    ctlNavigation& nav = main->NavigationControl();
    ICyclePane& cycle = nav.dtmInfo().Cycle();
    ASSERT_EQ(main->CycleControl().Value(), 1);
    f.loop->Advance(3 * cycle.Interval() + 100);
    RunQt();
    EXPECT_EQ(nav.devInfo().Tag(), "FEED VALVE 7");
    const std::string pv = nav.Headline().StdHeadline().PV();
    EXPECT_TRUE(pv.ends_with(" mm")) << pv;
    IPrivateDataElement& unit = *parameters.Item("FUNC/1/AO/PV_SCALE/Unit");
    EXPECT_EQ(unit.TransientValue().toLong(), 1342);
    EXPECT_EQ(tag->text(), QStringLiteral("Tag: FV-8"));
    ASSERT_TRUE(f.window->Save());
    {
        ReferenceFrame loaded(f.loop, f.prompt);
        FrameFault error;
        ASSERT_TRUE(loaded.LoadProject(f.temp.File("project.xml"), error)) << error;
        IParameters& saved = loaded.Instances().front()->dtm->DTMContext()->Parameters();
        EXPECT_EQ(saved.Item("PHYS/TAG_DESC")->TransientValue().toString(), "FV-8");
        EXPECT_EQ(saved.Item("~/Tag")->TransientValue().toString(), "FV-8");
        EXPECT_EQ(saved.Item("FUNC/1/AO/PV_SCALE/Unit")->TransientValue().toLong(), 1342);
        loaded.Instances().front()->dtm->PrepareToRelease();
    }
    // Without the connection the pane shows the project's tag again.
    ASSERT_TRUE(f.window->Disconnect());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(nav.devInfo().Tag(), "FV-8");
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    cycle.SetCyclicRefresh(0);
    f.Pump([] { return true; }, 100);

    deviceTag("FEED VALVE 9");
    ASSERT_TRUE(f.window->Upload());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(tag->text(), QStringLiteral("Tag: FEED VALVE 9"));
    f.window->SetLanguage(langGerman);
    EXPECT_EQ(tag->text(), QStringLiteral("Messstellenkennzeichen: FEED VALVE 9"));
    f.answer = mbaNo;
    EXPECT_TRUE(f.window->close());
}

// The German window: its own texts are German sentences, a project that became read-only or
// cannot be written whole is refused in German, and a status text names the address with the
// row's term.
TEST(FrameWindow, TheGermanWindowSpeaksGermanInTheDTMsTerms) {
    const AddressEnabled enabled;
    WindowFixture f;
    RegisterParameterPages(f.registry);
    f.window->SetLanguage(langGerman);
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(f.window->StatusText().toStdString(),
              "Mit dem simulierten Stellungsregler verbunden.");

    QWidget* page = f.OpenAddressPage();
    ASSERT_NE(page, nullptr);
    auto* row = page->findChild<ctlParameter*>();
    auto* set = page->findChild<QPushButton*>();
    ASSERT_TRUE(row && set);
    TypeAndEnter(*row, QStringLiteral("13"));
    set->click();
    EXPECT_EQ(f.window->StatusText().toStdString(),
              "Das Projekt enthält die " + row->LabelText() + " 13.");

    const std::string project = f.temp.File("project.xml");
    ASSERT_TRUE(f.window->Save());
    EXPECT_EQ(f.window->StatusText().toStdString(),
              "Das Projekt " + project + " wurde gespeichert.");
    fs::permissions(project, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(f.window->Save());
    EXPECT_EQ(f.window->StatusText().toStdString(),
              "Das Projekt wurde nicht gespeichert: " + project +
                  " ist schreibgeschützt; die Datei blieb unverändert.");
    fs::permissions(project, fs::perms::owner_read | fs::perms::owner_write);
    // A full disk, as the system tells it, in German too.
    {
        const test_support::FileSizeLimit full(1024);
        EXPECT_FALSE(f.window->Save());
    }
    EXPECT_EQ(f.window->StatusText().toStdString(),
              "Das Projekt wurde nicht gespeichert: " + project +
                  " kann nicht geschrieben werden: Die Datei ist zu groß.");
    f.answer = mbaNo;
    EXPECT_TRUE(f.window->close());
}

TEST(FrameWindow, TheEndOfEveryProcessReplacesTheStatusText) {
    WindowFixture f;
    RegisterParameterPages(f.registry);
    ASSERT_TRUE(f.window->Connect());
    ASSERT_TRUE(f.Idle());
    auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(1));
    ASSERT_NE(main, nullptr);
    auto* page =
        dynamic_cast<ParameterPage*>(f.ShowPage(main->NavigationControl(), "KV6274PA.ctlChar"));
    ASSERT_NE(page, nullptr);
    ctlParameter* deadband = nullptr;
    for (ctlParameter* row : page->Rows())
        deadband = row->ParameterTag() == "TRANS/%d/Act/DEADBAND" ? row : deadband;
    ASSERT_NE(deadband, nullptr);
    auto type = [&](const QString& text) { TypeAndEnter(*deadband, text); };
    auto transfer = [&](bool write) {
        if (write ? page->WriteParameter() : page->ReadParameter()) {
            f.Pump([&] { return !page->Group()->Busy(); });
            f.loop->RunUntilIdle();
        }
        return f.window->StatusText();
    };

    // A value out of range refuses the write, which says why; the next write and read end
    // with their own short texts.
    type(QStringLiteral("50"));
    const QString refused = transfer(true);
    EXPECT_TRUE(refused.contains(QStringLiteral("range"))) << refused.toStdString();
    type(QStringLiteral("2"));
    EXPECT_EQ(transfer(true), QStringLiteral("Write finished."));
    EXPECT_EQ(transfer(false), QStringLiteral("Read finished."));

    // A language change shows the window's own text in the language, and drops the DTM's.
    f.window->SetLanguage(langGerman);
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("Lesen beendet."));
    type(QStringLiteral("50"));
    EXPECT_FALSE(transfer(true).isEmpty());
    f.window->SetLanguage(langEnglish);
    EXPECT_EQ(f.window->StatusText(), QString());

    // The device's write lock refuses the write: the failure says so.
    f.device->SetWriteLocked(true);
    type(QStringLiteral("3"));
    EXPECT_EQ(transfer(true), QStringLiteral("The write failed: writing is locked in the "
                                             "positioner (write locking)."));

    // A value that cannot go on the wire stops a page's write and the download: their ends keep
    // what the DTM said of it, in the language it was said in.
    f.device->SetWriteLocked(false);
    IParameters& parameters = f.Ctx().Parameters();
    // The deadband's write was denied; now its value is refused before it is sent.
    parameters.Item("TRANS/1/Act/DEADBAND")->SetTransientValue(Variant(50.0));
    const std::string stopped = transfer(true).toStdString();
    EXPECT_TRUE(
        stopped.starts_with("The write failed. The parameters could not be written to "
                            "the device. " +
                            deadband->LabelText() + ": "))
        << stopped;
    type(QStringLiteral("2"));
    parameters.Item("PHYS/TAG_DESC")->SetTransientValue(Variant("TAG \xCE\xA9"));
    auto download = [&] {
        EXPECT_TRUE(f.window->Download());
        EXPECT_TRUE(f.Idle());
        return f.window->StatusText();
    };
    EXPECT_EQ(download(), QStringLiteral("The download failed. The parameters could not be "
                                         "written to the device. PHYS/TAG_DESC: Invalid input."));
    f.window->SetLanguage(langGerman);
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("Der Download ist fehlgeschlagen."));
    EXPECT_EQ(download(), QStringLiteral("Der Download ist fehlgeschlagen. Die Parameter konnten "
                                         "nicht in das Gerät geschrieben werden. PHYS/TAG_DESC: "
                                         "Ungültige Eingabe."));
    f.window->SetLanguage(langEnglish);
    EXPECT_EQ(f.window->StatusText(), QStringLiteral("The download failed."));
    parameters.Item("PHYS/TAG_DESC")->SetTransientValue(Variant("FV-1"));

    // An upload that loses an answer.
    const clsDataElement& element =
        AsDataElement(*f.Ctx().Parameters().Item("PHYS/DEVICE_SER_NUM"));
    f.device->InjectFault(uint8_t(element.Slot), uint8_t(element.index),
                          SimFault{.noAnswer = true, .times = 1});
    ASSERT_TRUE(f.window->Upload());
    ASSERT_TRUE(f.Idle());
    EXPECT_EQ(f.window->StatusText(),
              QStringLiteral("The upload failed: the device does not answer."));
    f.window->SetLanguage(langGerman);
    EXPECT_EQ(f.window->StatusText(),
              QStringLiteral("Der Upload ist fehlgeschlagen: das Gerät antwortet nicht."));
    f.answer = mbaNo;
    EXPECT_TRUE(f.window->close());
}

// A page's write and the download that the device refuses: the end names the protection the
// device reports, or the fault; the bar shows how far the download came.
TEST(FrameWindow, ARefusedWriteOrDownloadSaysWhyAndShowsHowFarItCame) {
    struct Case {
        const char* name;
        bool hardwareSwitch;
        bool writeLocked;
        bool busFault;
        int32_t language;
        const char* write;     // the end of the page's write; nullptr: not tried
        const char* download;  // the end of the download
    };
    const Case cases[] = {
        {"hardware switch", true, false, false, langEnglish,
         "The write failed: the positioner is write-protected by its hardware switch.",
         "The download failed: the positioner is write-protected by its hardware switch."},
        {"hardware switch and write locking", true, true, false, langEnglish, nullptr,
         "The download failed: the positioner is write-protected by its hardware switch."},
        {"write locking, German", false, true, false, langGerman,
         "Das Schreiben ist fehlgeschlagen: das Schreiben ist im Stellungsregler gesperrt "
         "(Schreibsperre).",
         "Der Download ist fehlgeschlagen: das Schreiben ist im Stellungsregler gesperrt "
         "(Schreibsperre)."},
        {"bus fault", false, false, true, langEnglish, nullptr,
         "The download failed: the device does not answer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFixture f;
        RegisterParameterPages(f.registry);
        f.window->SetLanguage(c.language);
        f.device->SetHardwareWriteProtection(c.hardwareSwitch);
        f.device->SetWriteLocked(c.writeLocked);
        ASSERT_TRUE(f.window->Connect());
        ASSERT_TRUE(f.Idle());
        if (c.write != nullptr) {
            auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(1));
            ASSERT_NE(main, nullptr);
            auto* page = dynamic_cast<ParameterPage*>(
                f.ShowPage(main->NavigationControl(), "KV6274PA.ctlChar"));
            ASSERT_NE(page, nullptr);
            ASSERT_TRUE(page->WriteParameter());
            f.Pump([&] { return !page->Group()->Busy(); });
            f.loop->RunUntilIdle();
            EXPECT_EQ(f.window->StatusText().toStdString(), c.write);
            // What the device reported of its protection is not taken into the project.
            EXPECT_EQ(f.Ctx().Parameters().Item("PHYS/WRITE_LOCKING")->TransientValue().toLong(),
                      2457);
        }
        if (c.busFault) {
            const clsDataElement& deadband =
                AsDataElement(*f.Ctx().Parameters().Item("TRANS/1/Act/DEADBAND"));
            f.device->InjectFault(uint8_t(deadband.Slot), uint8_t(deadband.index),
                                  SimFault{.noAnswer = true, .times = 1});
        }
        std::vector<int> barWhenAsked;
        f.prompt->SetAsker([&](const std::string&, int32_t) {
            barWhenAsked.push_back(f.window->Progress()->value());
            return mbaOk;
        });
        ASSERT_TRUE(f.window->Download());
        ASSERT_TRUE(f.Idle());
        EXPECT_EQ(f.window->StatusText().toStdString(), c.download);
        EXPECT_TRUE(f.window->Progress()->isVisible());
        if (c.busFault) {
            EXPECT_GT(f.window->Progress()->value(), 0);
        } else {
            // Refused before anything was written: the box of the protection came at 0 %.
            EXPECT_EQ(barWhenAsked, std::vector<int>{0});
            EXPECT_EQ(f.window->Progress()->value(), 0);
        }
        // The bar goes with the end text: a language change keeps both, the next end both.
        f.window->SetLanguage(c.language);
        EXPECT_TRUE(f.window->Progress()->isVisible());
        ASSERT_NE(f.window->OpenFunction(15), nullptr);
        EXPECT_FALSE(f.window->Progress()->isVisible());
        f.prompt->SetAsker([](const std::string&, int32_t) { return mbaNo; });
        EXPECT_TRUE(f.window->close());
    }
}

// The channel assignment page's Save asks its own question; after Yes the frame saves the
// project without a second one and says so, after No it saves nothing. While a download runs,
// the project is not saved, and the status text says why.
TEST(FrameWindow, ASaveTheDTMAsksForSavesWithoutASecondQuestion) {
    for (const int32_t answer : {mbaYes, mbaNo}) {
        SCOPED_TRACE(answer);
        WindowFixture f;
        RegisterParameterPages(f.registry);
        f.answer = answer;
        auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(1));
        ASSERT_NE(main, nullptr);
        QWidget* page = f.ShowPage(main->NavigationControl(), "KV6274PA.ctlChannelAssign");
        ASSERT_NE(page, nullptr);
        auto* save = page->findChild<QPushButton*>();
        ASSERT_NE(save, nullptr);
        // Another configuration chosen: its row shows the change until the project holds it.
        ctlParameter* configuration = RowOf(*page, "SlaveBusParamSet_CfgData");
        ASSERT_NE(configuration, nullptr);
        IPrivateDataElement& chosen = *f.Ctx().Parameters().Item("SlaveBusParamSet_CfgData");
        chosen.SetTransientValue(
            Variant(static_cast<int16_t>(chosen.TransientValue().toInteger() == 1 ? 5 : 1)));
        f.Ctx().Parameters().ElementChanged(chosen, "");
        EXPECT_EQ(configuration->StatusIcon(), "Changed");
        save->click();
        ASSERT_EQ(f.questions.size(), 1U);
        EXPECT_EQ(f.questions[0].first, GetDictionaryText(f.Ctx(), "alert_SaveParameter"));
        const std::string project = f.temp.File("project.xml");
        EXPECT_EQ(fs::exists(project), answer == mbaYes);
        EXPECT_EQ(configuration->StatusIcon() == "Changed", answer != mbaYes);
        if (answer == mbaYes) {
            EXPECT_EQ(f.window->StatusText().toStdString(),
                      "The project " + project + " was saved.");
            ASSERT_TRUE(f.window->Connect());
            ASSERT_TRUE(f.Idle());
            fs::remove(project);
            ASSERT_TRUE(f.window->Download());
            save->click();
            EXPECT_FALSE(fs::exists(project));
            EXPECT_EQ(
                f.window->StatusText(),
                QStringLiteral("The project is not saved while an upload or a download runs."));
            ASSERT_TRUE(f.Idle());
        }
        f.answer = mbaNo;
        EXPECT_TRUE(f.window->close());
    }
}

// A user interface that does not let itself be closed.
class RefusingUI : public test_support::FakePage {
  public:
    RefusingUI() : FakePage("refusing", nullptr) {}
    bool PrepareToRelease() override { return !refuse; }
    bool refuse = true;
};

TEST(FrameWindow, ARefusingUserInterfaceKeepsTheWindowOpen) {
    WindowFixture f;
    RefusingUI* refusing = nullptr;
    f.registry.Register("KV6274PA.ctlAbout", [&] {
        auto ui = std::make_unique<RefusingUI>();
        refusing = ui.get();
        return ui;
    });
    ASSERT_NE(f.window->OpenFunction(15), nullptr);
    EXPECT_FALSE(f.window->close());
    EXPECT_EQ(f.window->Tabs()->count(), 1);
    EXPECT_EQ(f.Count(FrameEvent::kPreparedToRelease), 0U);
    refusing->refuse = false;
    EXPECT_TRUE(f.window->close());
    EXPECT_EQ(f.Count(FrameEvent::kPreparedToRelease), 1U);
}

TEST(FrameProgram, ScreenshotWritesOnePicturePerPageNode) {
    test_support::TempFolder temp;
    const fs::path pictures = fs::path(temp.path) / "pictures";
    const test_support::ProgramRun run = test_support::RunProgram(
        KV_FRAME_PROGRAM, {"--screenshot", pictures.string()}, {.folder = temp.path});
    EXPECT_EQ(run.status, 0) << run.err;
    std::set<std::string> expected;
    for (const auto& [key, progId] : PageNodes(DesignTimeTreeStructure()))
        expected.insert(progId.substr(progId.find('.') + 1) + ".png");
    EXPECT_EQ(expected.size(), 43U);
    EXPECT_TRUE(expected.count("ctlAbout.png"));
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(pictures))
        written.insert(entry.path().filename().string());
    EXPECT_EQ(written, expected);
    // Nothing else was written: the project is not saved.
    EXPECT_FALSE(fs::exists(fs::path(temp.path) / "kv6274pa-project.xml"));
}

// The window on a real X server with the Qt-backed loop: run by CTest under xvfb-run with
// QT_QPA_PLATFORM=xcb; skipped on any other platform.
TEST(OnXServer, OpensFunctionOneConnectsUploadsAndCloses) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server (QT_QPA_PLATFORM=xcb under xvfb-run)";
    test_support::TempFolder temp;
    auto loop = std::make_shared<QtEventLoop>();
    auto prompt = std::make_shared<WindowPrompt>();
    std::vector<std::string> questions;
    prompt->SetAsker([&](const std::string& text, int32_t) {
        questions.push_back(text);
        return mbaYes;
    });
    ReferenceFrame frame(loop, prompt);
    FrameInstance* instance = &test_support::AddFrameInstance(frame);
    PageRegistry registry;
    RegisterFrameworkUserInterfaces(registry);
    {
        FrameWindow window(frame, loop, std::make_shared<SimulatedPositioner>(), prompt,
                           temp.File("project.xml"), &registry);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_NE(window.OpenFunction(1), nullptr);
        ASSERT_TRUE(window.Connect());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Busy(); }, 20000));
        ASSERT_TRUE(window.IsConnected());
        ASSERT_TRUE(window.Upload());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Busy(); }, 60000));
        EXPECT_EQ(window.StatusText(), QStringLiteral("Upload finished."));
        EXPECT_TRUE(window.close());
        RunQt();
    }
    RunQt();
    IDTMContext& context = *instance->dtm->DTMContext();
    EXPECT_FALSE(context.GUIManager().HasOpenGUIs());
    EXPECT_TRUE(context.Diagnostics().Empty()) << context.Diagnostics().Text();
    EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
    EXPECT_TRUE(WidgetDiagnostics().Empty()) << WidgetDiagnostics().Text();
    // The only question is the one to save the changed project.
    EXPECT_LE(questions.size(), 1U);
    EXPECT_TRUE(fs::exists(temp.File("project.xml")));
}

}  // namespace
}  // namespace kv
