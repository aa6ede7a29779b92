// The frame's window on a screen of 1280 x 900, connected and uploaded, in German and after a
// switch to English: the command pages show their buttons without scrolling.

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <memory>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/DictionaryLookup.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/FrameWindow.h"
#include "frame/window/WindowPrompt.h"
#include "frame/window/WindowTestSupport.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedPositioner.h"
#include "support/FrameInstanceFixture.h"
#include "support/TempFolder.h"
#include "ui/framework/widgets/FrameworkUserInterfaces.h"
#include "ui/framework/widgets/ctlNavigationMain.h"
#include "ui/onlinepages/OnlinePages.h"
#include "ui/parameterpages/ParameterPages.h"

namespace kv {
namespace {

using test_support::PageNodes;

// The instance pane's width on a small screen: the rest of the window is the tabs'.
constexpr int kInstancePaneWidth = 250;

// The window of a frame with one instance, connected to the simulated positioner and uploaded,
// at the given size; the instance pane no wider than on a small screen.
struct SizedWindow {
    test_support::TempFolder temp;
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    std::shared_ptr<WindowPrompt> prompt = std::make_shared<WindowPrompt>();
    ReferenceFrame frame{loop, prompt};
    std::shared_ptr<SimulatedPositioner> device = std::make_shared<SimulatedPositioner>();
    PageRegistry registry;
    std::unique_ptr<FrameWindow> window;

    SizedWindow(int width, int height) {
        test_support::AddFrameInstance(frame);
        RegisterFrameworkUserInterfaces(registry);
        RegisterParameterPages(registry);
        RegisterOnlinePages(registry);
        window = std::make_unique<FrameWindow>(frame, loop, device, prompt,
                                               temp.File("project.xml"), &registry);
        prompt->SetAsker([](const std::string&, int32_t) { return mbaNo; });
        window->resize(width, height);
        window->show();
        test_support::RunQtEvents();
        EXPECT_TRUE(window->Connect());
        EXPECT_TRUE(Idle());
        EXPECT_TRUE(window->Upload());
        EXPECT_TRUE(Idle());
        FitInstancePane();
    }
    ~SizedWindow() {
        window.reset();
        test_support::RunQtEvents();
        EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
        EXPECT_TRUE(WidgetDiagnostics().Empty()) << WidgetDiagnostics().Text();
    }
    // The pane of the instances beside the tabs takes no more than its width on a small screen.
    void FitInstancePane() {
        auto* splitter = qobject_cast<QSplitter*>(window->Tabs()->parentWidget());
        ASSERT_NE(splitter, nullptr);
        const QList<int> sizes = splitter->sizes();
        ASSERT_EQ(sizes.size(), 2);
        if (sizes[0] > kInstancePaneWidth)
            splitter->setSizes({kInstancePaneWidth, sizes[0] + sizes[1] - kInstancePaneWidth});
        test_support::RunQtEvents();
    }
    bool Idle() {
        return test_support::PumpUntil(*loop, [this] { return !window->Busy(); });
    }
    // Runs what the loop and Qt have to do now.
    void Settle() {
        loop->RunUntilIdle();
        test_support::RunQtEvents();
    }
    // The functions of the list that open a user interface (the invocable one, 501, opens
    // none).
    std::vector<int32_t> Functions() const {
        std::vector<int32_t> ids;
        for (QTreeWidgetItemIterator it(window->Functions()); *it; ++it) {
            if (const int32_t id = (*it)->data(0, Qt::UserRole).toInt(); id > 0 && id != 501)
                ids.push_back(id);
        }
        return ids;
    }
};

// The pages of the device's commands, in every function that has them, on a screen of 1280 x
// 900, in either language: each bit list shows all its bits and no room below them, and every
// command button is in view without scrolling.
TEST(WindowLayout, TheCommandPagesShowTheirButtonsWithoutScrollingAt1280By900) {
    const std::set<std::string> commandPages = {"KV6274PA.ctlResetMaint", "KV6274PA.ctlResetWarm",
                                                "KV6274PA.ctlResetFact", "KV6274PA.ctlSelfCalib"};
    SizedWindow f(1280, 900);
    int pages = 0;
    for (const int32_t language : {langGerman, langEnglish}) {
        f.window->SetLanguage(language);
        for (const int32_t function : f.Functions()) {
            auto* main = dynamic_cast<ctlNavigationMain*>(f.window->OpenFunction(function));
            if (main == nullptr)
                continue;
            f.FitInstancePane();
            ctlNavigation& nav = main->NavigationControl();
            auto* area = nav.findChild<QScrollArea*>(QStringLiteral("PageArea"));
            ASSERT_NE(area, nullptr);
            ITreeHolder& tree = nav.devParameter().TreeHolder();
            for (const auto& [key, progId] : PageNodes(tree.TreeXml())) {
                if (commandPages.count(progId) == 0)
                    continue;
                ASSERT_TRUE(tree.SelectNode(key));
                f.Settle();
                QWidget* page = nav.ShownPageWidget();
                ASSERT_NE(page, nullptr);
                ++pages;
                const std::string at = std::to_string(language) + " function " +
                                       std::to_string(function) + " " + progId;
                const QRect view = area->viewport()->rect();
                int buttons = 0;
                for (const QPushButton* button : page->findChildren<QPushButton*>()) {
                    if (!button->isVisibleTo(page) || button->parentWidget() != page)
                        continue;
                    ++buttons;
                    const QRect shown(button->mapTo(area->viewport(), QPoint(0, 0)),
                                      button->size());
                    EXPECT_TRUE(view.contains(shown)) << at << " " << button->text().toStdString();
                }
                EXPECT_GT(buttons, 0) << at;
                for (const QListWidget* bits : page->findChildren<QListWidget*>()) {
                    ASSERT_GT(bits->count(), 0) << at;
                    const int last = bits->visualItemRect(bits->item(bits->count() - 1)).bottom();
                    const int room = bits->viewport()->height();
                    EXPECT_LT(last, room) << at << " the last bit is cut";
                    EXPECT_LE(room - last, 2) << at << " room left below the bits";
                }
            }
        }
    }
    EXPECT_GT(pages, 2 * 4);
    f.window->ReleaseAll();
}

}  // namespace
}  // namespace kv
