// The frame's window at the size of a small screen, 1024 x 700, connected and uploaded, in German
// and after a switch to English: the window with every page of every function shows each of its
// texts whole (no label, button, choice, column header, tree item or list entry narrower than its
// text, no row's label shortened; only a column that takes the room left cuts, with the whole
// text in the tool tip), each control inside its page, and no page scrolled sideways. And on a
// small and a larger screen the command pages show their buttons without scrolling.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
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
#include "platform/controls/widgets/NavElidedLabel.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/Trend.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/controls/widgets/ctlParamHelp.h"
#include "platform/controls/widgets/ctlParameter.h"
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

// The window of a frame with one instance, connected to the simulated positioner and uploaded,
// at the given size.
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
    }
    ~SizedWindow() {
        window.reset();
        test_support::RunQtEvents();
        EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
        EXPECT_TRUE(WidgetDiagnostics().Empty()) << WidgetDiagnostics().Text();
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
    // A page shown in a function's navigation: where it is (language, function, page) and the
    // area that shows it.
    struct ShownPage {
        std::string at;
        std::string progId;
        QWidget& page;
        QScrollArea& area;
    };
    // Opens every function, in German and then in English, and shows each page of its
    // navigation whose ProgID `wanted` takes: `shown` for each, `other` for a function without
    // a navigation. How many pages were shown.
    int VisitPages(const std::function<bool(const std::string&)>& wanted,
                   const std::function<void(const ShownPage&)>& shown,
                   const std::function<void(const std::string&)>& other = {}) {
        int pages = 0;
        for (const int32_t language : {langGerman, langEnglish}) {
            window->SetLanguage(language);
            test_support::RunQtEvents();
            for (const int32_t function : Functions()) {
                QWidget* ui = window->OpenFunction(function);
                EXPECT_NE(ui, nullptr) << function;
                Settle();
                const std::string where =
                    std::to_string(language) + " function " + std::to_string(function);
                auto* main = dynamic_cast<ctlNavigationMain*>(ui);
                if (main == nullptr) {
                    if (other)
                        other(where);
                    continue;
                }
                ctlNavigation& nav = main->NavigationControl();
                auto* area = nav.findChild<QScrollArea*>(QStringLiteral("PageArea"));
                if (area == nullptr) {
                    ADD_FAILURE() << where << ": no page area";
                    continue;
                }
                ITreeHolder& tree = nav.devParameter().TreeHolder();
                for (const auto& [key, progId] : PageNodes(tree.TreeXml())) {
                    if (!wanted(progId))
                        continue;
                    EXPECT_TRUE(tree.SelectNode(key)) << key;
                    Settle();
                    QWidget* page = nav.ShownPageWidget();
                    if (page == nullptr) {
                        ADD_FAILURE() << where << ": " << key << " shows no page";
                        continue;
                    }
                    ++pages;
                    shown({where + " " + progId, progId, *page, *area});
                }
            }
        }
        return pages;
    }
};

std::string Describe(const QWidget& widget, const QWidget& root) {
    std::string path;
    for (const QWidget* w = &widget; w != nullptr && w != &root; w = w->parentWidget()) {
        const std::string name = w->objectName().isEmpty()
                                     ? std::string(w->metaObject()->className())
                                     : w->objectName().toStdString();
        path = path.empty() ? name : name + "/" + path;
    }
    return path;
}

// The width an item view's entry needs from the left of its viewport: its indentation, check
// box, icon, text and margins.
int EntryRight(const QAbstractItemView& view, const QModelIndex& index) {
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.widget = &view;
    option.font = view.font();
    option.fontMetrics = view.fontMetrics();
    const int icon = view.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &view);
    option.decorationSize = view.iconSize().isValid() ? view.iconSize() : QSize(icon, icon);
    const QStyledItemDelegate plain;
    return view.visualRect(index).left() + plain.sizeHint(option, index).width();
}

// What of a widget's texts shows shortened, one line each: widgets narrower than their text
// (labels, buttons, choices with their longest entry), entries of trees and lists that reach
// beyond their view, and rows whose label is shortened.
std::vector<std::string> Shortened(QWidget& root) {
    std::vector<std::string> found;
    auto report = [&](const QWidget& w, const QString& text, int has, int needs) {
        found.push_back(Describe(w, root) + " \"" + text.toStdString() + "\" has " +
                        std::to_string(has) + " px, needs " + std::to_string(needs));
    };
    for (QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root))
            continue;
        if (auto* row = qobject_cast<ctlParameter*>(w)) {
            const auto* label = row->findChild<QLabel*>(QStringLiteral("label"));
            const QString whole = QString::fromStdString(row->LabelText());
            if (label != nullptr && label->isVisibleTo(&root) && label->text() != whole)
                report(*row, whole, label->width(), label->fontMetrics().horizontalAdvance(whole));
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty())
                continue;
            const int needs =
                label->wordWrap() ? label->minimumSizeHint().width() : label->sizeHint().width();
            if (label->width() < needs)
                report(*label, label->text(), label->width(), needs);
            else if (label->wordWrap() && label->height() < label->heightForWidth(label->width()))
                report(*label, label->text(), label->height(),
                       label->heightForWidth(label->width()));
        } else if (auto* elided = dynamic_cast<nav::NavElidedLabel*>(w)) {
            if (elided->Elided())
                report(*elided, elided->text(), elided->contentsRect().width(),
                       elided->fontMetrics().horizontalAdvance(elided->text()));
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (!button->text().isEmpty() && button->width() < button->sizeHint().width())
                report(*button, button->text(), button->width(), button->sizeHint().width());
        } else if (auto* choice = qobject_cast<QComboBox*>(w)) {
            // Room for the longest entry, with the frame and the arrow.
            int text = 0;
            QString longest;
            for (int i = 0; i < choice->count(); ++i) {
                const int width = choice->fontMetrics().boundingRect(choice->itemText(i)).width();
                if (width > text) {
                    text = width;
                    longest = choice->itemText(i);
                }
            }
            QStyleOptionComboBox option;
            option.initFrom(choice);
            option.frame = choice->hasFrame();
            const int needs =
                choice->style()
                    ->sizeFromContents(QStyle::CT_ComboBox, &option,
                                       QSize(text, choice->fontMetrics().height()), choice)
                    .width();
            if (choice->width() < needs)
                report(*choice, longest, choice->width(), needs);
        } else if (auto* header = qobject_cast<QHeaderView*>(w)) {
            for (int i = 0; i < header->count(); ++i) {
                if (!header->isSectionHidden(i) &&
                    header->sectionSize(i) < header->sectionSizeHint(i))
                    report(*header,
                           header->model()->headerData(i, header->orientation()).toString(),
                           header->sectionSize(i), header->sectionSizeHint(i));
            }
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            const QAbstractItemModel* model = view->model();
            auto* tree = qobject_cast<QTreeView*>(view);
            const int columns = tree != nullptr ? model->columnCount() : 1;
            // An entry ends inside its column and its view; only the column that takes the room
            // the others leave may cut its entries, each whole in its tool tip.
            auto check = [&](const QModelIndex& index) {
                const int column = index.column();
                int right = view->viewport()->width();
                bool mayCut = false;
                if (tree != nullptr) {
                    if (tree->isColumnHidden(column))
                        return;
                    const QHeaderView& columnHeader = *tree->header();
                    right = std::min(right, columnHeader.sectionViewportPosition(column) +
                                                columnHeader.sectionSize(column));
                    mayCut = columns > 1 &&
                             columnHeader.sectionResizeMode(column) == QHeaderView::Stretch;
                }
                const QString text = index.data().toString();
                const int needs = EntryRight(*view, index);
                if (needs > right && !(mayCut && index.data(Qt::ToolTipRole).toString() == text))
                    report(*view, text, right, needs);
            };
            std::function<void(const QModelIndex&)> visit = [&](const QModelIndex& parent) {
                for (int r = 0; r < model->rowCount(parent); ++r) {
                    const bool hidden = tree != nullptr
                                            ? tree->isRowHidden(r, parent)
                                            : qobject_cast<QListView*>(view)->isRowHidden(r);
                    if (hidden)
                        continue;
                    for (int c = 0; c < columns; ++c)
                        check(model->index(r, c, parent));
                    const QModelIndex index = model->index(r, 0, parent);
                    if (tree != nullptr && tree->isExpanded(index))
                        visit(index);
                }
            };
            if (model != nullptr && (tree != nullptr || qobject_cast<QListView*>(view) != nullptr))
                visit(view->rootIndex());
        }
    }
    return found;
}

// What of a page shows outside it: each control (the help pane aside) lies whole inside the page,
// and the page is no wider than the area that shows it.
std::vector<std::string> Outside(QWidget& page, const QScrollArea& area) {
    std::vector<std::string> found;
    const QRect inside(QPoint(0, 0), page.size());
    for (QWidget* child : page.findChildren<QWidget*>()) {
        bool aside = false;
        for (QWidget* up = child; up != &page && !aside; up = up->parentWidget())
            aside = qobject_cast<ctlParamHelp*>(up) != nullptr;
        if (!aside && child->isVisibleTo(&page) &&
            !inside.contains(QRect(child->mapTo(&page, QPoint(0, 0)), child->size())))
            found.push_back(Describe(*child, page) + " outside the page");
    }
    if (page.width() > area.viewport()->width())
        found.push_back("the page is " + std::to_string(page.width()) + " px wide, its area " +
                        std::to_string(area.viewport()->width()));
    return found;
}

TEST(WindowLayout, EveryPageOfEveryFunctionShowsItsTextsWholeAt1024By700) {
    constexpr int kUsefulPlotWidth = 200;
    SizedWindow f(1024, 700);
    ASSERT_TRUE(f.window->IsConnected());
    // German first; then English in the tabs that are open.
    const int pages =
        f.VisitPages([](const std::string&) { return true; },
                     [&](const SizedWindow::ShownPage& shown) {
                         const std::string at = shown.at + ": ";
                         for (const std::string& cut : Shortened(*f.window))
                             ADD_FAILURE() << at << cut;
                         for (const std::string& out : Outside(shown.page, shown.area))
                             ADD_FAILURE() << at << out;
                         for (const Trend* trend : shown.page.findChildren<Trend*>())
                             EXPECT_GE(trend->Layout().plot.width, kUsefulPlotWidth) << at;
                     },
                     [&](const std::string& where) {
                         for (const std::string& cut : Shortened(*f.window))
                             ADD_FAILURE() << where << ": " << cut;
                     });
    EXPECT_GT(pages, 2 * 43);
    f.window->ReleaseAll();
}

// The pages of the device's commands, in every function that has them, on a small and on a
// larger screen, in either language: every command button is in view without scrolling, and
// each bit list shows all its bits with no room below them, or, on a screen too small for
// that, at least three and scrolls to the others.
struct Screen {
    QSize size;
    bool listsWhole;  // whether the page shows every bit list whole
};

class CommandPages : public testing::TestWithParam<Screen> {};

// The command buttons of a page in view, and its bit lists whole or (unless listsWhole) fitted
// to the view.
void ExpectCommandsInView(QWidget& page, const QScrollArea& area, bool listsWhole,
                          const std::string& at) {
    const QRect view = area.viewport()->rect();
    int buttons = 0;
    for (const QPushButton* button : page.findChildren<QPushButton*>()) {
        if (!button->isVisibleTo(&page) || button->parentWidget() != &page)
            continue;
        ++buttons;
        const QRect shown(button->mapTo(area.viewport(), QPoint(0, 0)), button->size());
        EXPECT_TRUE(view.contains(shown)) << at << " " << button->text().toStdString();
    }
    EXPECT_GT(buttons, 0) << at;
    // A list scrolls only where the page would not fit its view otherwise, and then the page
    // fills its view exactly.
    EXPECT_EQ(area.verticalScrollBar()->maximum(), 0) << at << " the page scrolls";
    for (const QListWidget* bits : page.findChildren<QListWidget*>()) {
        ASSERT_GT(bits->count(), 0) << at;
        const int room = bits->viewport()->height();
        if (bits->verticalScrollBar()->maximum() > 0) {
            EXPECT_FALSE(listsWhole) << at << " a list scrolls";
            EXPECT_EQ(page.height(), area.viewport()->height()) << at;
            EXPECT_GE(room, 3 * bits->sizeHintForRow(0)) << at;
            continue;
        }
        const int last = bits->visualItemRect(bits->item(bits->count() - 1)).bottom();
        EXPECT_LT(last, room) << at << " the last bit is cut";
        EXPECT_LE(room - last, 2) << at << " room left below the bits";
    }
}

TEST_P(CommandPages, ShowTheirButtonsWithoutScrolling) {
    const std::set<std::string> commandPages = {"KV6274PA.ctlResetMaint", "KV6274PA.ctlResetWarm",
                                                "KV6274PA.ctlResetFact", "KV6274PA.ctlSelfCalib"};
    const Screen screen = GetParam();
    SizedWindow f(screen.size.width(), screen.size.height());
    const int pages = f.VisitPages(
        [&](const std::string& progId) { return commandPages.count(progId) > 0; },
        [&](const SizedWindow::ShownPage& shown) {
            ExpectCommandsInView(shown.page, shown.area, screen.listsWhole, shown.at);
            if (!screen.listsWhole)
                return;
            // The page follows the window when it is made lower, and higher again.
            f.window->resize(screen.size.width(), 700);
            f.Settle();
            ExpectCommandsInView(shown.page, shown.area, false, shown.at + " made low");
            f.window->resize(screen.size);
            f.Settle();
            ExpectCommandsInView(shown.page, shown.area, true, shown.at + " made high again");
        });
    EXPECT_GT(pages, 2 * 4);
    f.window->ReleaseAll();
}

INSTANTIATE_TEST_SUITE_P(Screens, CommandPages,
                         testing::Values(Screen{QSize(1024, 700), false},
                                         Screen{QSize(1280, 900), true}),
                         [](const testing::TestParamInfo<Screen>& info) {
                             return "At" + std::to_string(info.param.size.width()) + "By" +
                                    std::to_string(info.param.size.height());
                         });

}  // namespace
}  // namespace kv
