#pragma once
// Helpers of the widget tests: a window that can take the keyboard focus, a choice from a
// widget's context menu, and the deletions Qt still holds back.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace kv::test_support {

// Shows a top-level widget on the offscreen platform and makes it the active window, so that
// its children can take the keyboard focus.
inline void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
}

// Destroys the widgets whose deletion waits for the event loop (deleteLater).
inline void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Opens the context menu of a widget and chooses the menu item with that text.
inline void ChooseFromContextMenu(QWidget* target, const QString& text) {
    QTimer::singleShot(0, [text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        menu->close();
        FAIL() << "no menu item " << text.toStdString();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &event);
}

}  // namespace kv::test_support
