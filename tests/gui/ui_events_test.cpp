// The event rules every window shares: lists pick only on a pick, a
// double-click is one click, the surface reports the pointer, and function
// keys reach the window while one of its popups is open.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <cstdint>

#include "ui/clickable_label.h"
#include "ui/key_preview.h"
#include "ui/pick_list.h"
#include "ui/surface_widget.h"
#include "ui/unseen_sleep.h"

namespace {

using namespace ondrix;

void sendMouse(QWidget* to, QEvent::Type type, Qt::MouseButton button, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, to->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(to, &event);
}

// What the window system delivers for a double-click.
void doubleClick(QWidget* to, QPoint at) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
        sendMouse(to, type, Qt::LeftButton, at);
}

TEST(UiEvents, ListPicksOnlyOnAPick) {
    QWidget window;
    auto* list = new PickList(&window);
    list->setGeometry(0, 0, 200, 200);
    list->setEntries({"alpha", "beta", "gamma"});
    int picks = 0;
    QObject::connect(list, &PickList::picked, [&] { ++picks; });
    window.show();
    list->setFocus();
    window.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(picks, 0) << "the focus alone";
    EXPECT_EQ(list->listIndex(), -1);
    EXPECT_EQ(list->pickedText(), QString());

    QWidget* view = list->viewport();
    const QPoint beta = list->visualItemRect(list->item(1)).center();
    for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        sendMouse(view, QEvent::MouseButtonPress, other, beta);
        sendMouse(view, QEvent::MouseButtonRelease, other, beta);
    }
    EXPECT_EQ(picks, 0) << "right and middle clicks";
    EXPECT_EQ(list->listIndex(), -1);

    doubleClick(view, beta);
    EXPECT_EQ(picks, 1) << "a double-click";
    EXPECT_EQ(list->pickedText(), QStringLiteral("beta"));

    // A key that moves the selection picks; one that cannot move it (End or
    // Down on the last row, Up on the first) keeps it and picks nothing.
    const struct {
        Qt::Key key;
        int row, picks;
    } keys[] = {{Qt::Key_Down, 2, 1},   {Qt::Key_Down, 2, 0},     {Qt::Key_End, 2, 0},
                {Qt::Key_Home, 0, 1},   {Qt::Key_Up, 0, 0},       {Qt::Key_End, 2, 1},
                {Qt::Key_PageUp, 0, 1}, {Qt::Key_PageDown, 2, 1}, {Qt::Key_Up, 1, 1}};
    for (const auto& k : keys) {
        const int before = picks;
        QTest::keyClick(list, k.key);
        EXPECT_EQ(picks, before + k.picks) << "key " << k.key << " to row " << k.row;
        EXPECT_EQ(list->listIndex(), k.row) << "key " << k.key;
    }
    const int before = picks;
    list->setListIndex(1);  // the entry already selected, set again
    list->setListIndex(0);
    EXPECT_EQ(picks, before + 2);

    // An assistive tool's Toggle of an entry picks it once the tool has its
    // answer; the Toggle that takes the selection away picks nothing.
    QAccessibleInterface* reported = QAccessible::queryAccessibleInterface(list);
    for (const bool selects : {true, false}) {
        const int beforeToggle = picks;
        reported->child(2)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCoreApplication::sendPostedEvents(list, QEvent::MetaCall);
        EXPECT_EQ(picks, beforeToggle + (selects ? 1 : 0)) << "Toggle that selects: " << selects;
        EXPECT_EQ(list->pickedText(), QStringLiteral("gamma"));
    }
}

TEST(UiEvents, ALabelClicksOnAPressReleasedInsideItAndCaptionsArePlainText) {
    QWidget window;
    auto* label = new ClickableLabel(QStringLiteral("<b>REC</b>"), &window);
    label->setGeometry(0, 0, 200, 30);
    int clicks = 0;
    QObject::connect(label, &ClickableLabel::clicked, [&] { ++clicks; });
    window.show();
    doubleClick(label, QPoint(5, 5));
    EXPECT_EQ(clicks, 1) << "a double-click";
    // Pressed, then released outside: the user changed their mind.
    for (QPoint outside : {QPoint(250, 5), QPoint(5, 40), QPoint(-3, 5)}) {
        sendMouse(label, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(5, 5));
        sendMouse(label, QEvent::MouseButtonRelease, Qt::LeftButton, outside);
    }
    EXPECT_EQ(clicks, 1) << "released outside";
    // Shown as typed: as wide as the tags themselves, not one bold word.
    EXPECT_GE(label->sizeHint().width(),
              label->fontMetrics().horizontalAdvance(QStringLiteral("<b>REC</b>")));
}

TEST(UiEvents, PointerMovesOverSurfaceWidgetsReachTheWindow) {
    struct Window : QWidget {
        QPoint last{-1, -1};
        void mouseMoveEvent(QMouseEvent* e) override { last = e->position().toPoint(); }
    } window;
    window.setMouseTracking(true);
    window.resize(300, 100);
    auto* strip = new SurfaceWidget(&window);
    strip->setGeometry(0, 60, 300, 40);
    window.show();
    QTest::mouseMove(strip, QPoint(10, 5));
    EXPECT_EQ(window.last, QPoint(10, 65));
}

TEST(UiEvents, FunctionKeysReachTheWindowWhileItsPopupIsOpen) {
    QWidget window;
    QList<int> keys;
    KeyPreview preview(&window, [&](int key, int) { keys << key; });
    auto* drives = new QComboBox(&window);
    drives->addItems({"/", "/media/stick"});
    window.show();

    drives->showPopup();
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, Qt::Key_F1);
    EXPECT_EQ(keys, QList<int>{112});
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the drop-down closes first";

    QMenu menu(&window);
    menu.addAction(QStringLiteral("Stop"));
    menu.popup(window.mapToGlobal(QPoint(5, 5)));
    ASSERT_EQ(QApplication::activePopupWidget(), &menu);
    QTest::keyClick(&menu, Qt::Key_F12);
    EXPECT_EQ(keys, (QList<int>{112, 123}));
    EXPECT_FALSE(menu.isVisible());
}

}  // namespace

// A timer's work done elsewhere while the window is seen: the timer stops,
// and whatever may read what it drives (a press, going out of sight, an
// interrupt) takes the work back first, caught up by the steps made there.
TEST(UiEvents, ATimerHandsItsWorkOverWhileSeenAndTakesItBackCaughtUp) {
    QWidget window;
    QTimer timer;
    timer.setInterval(20);
    timer.start();
    std::int64_t now = 0;
    std::int64_t caughtUp = 0;
    int handedOver = 0;
    bool elsewhere = false;
    auto* sleep = new UnseenSleep(&window, [&] { return now; });
    sleep->add(
        &timer, [&](std::int64_t ticks) { caughtUp += ticks; },
        [&] {
            ++handedOver;
            return elsewhere = true;
        },
        [&] {
            elsewhere = false;
            return std::int64_t{7};
        });
    // A shown window may get a pointer move of its own, which takes the work
    // back and hands it over once more.
    const auto settle = [] {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    };
    settle();
    EXPECT_EQ(handedOver, 0) << "an unseen window hands nothing over";
    window.show();
    settle();
    EXPECT_TRUE(elsewhere);
    EXPECT_FALSE(timer.isActive());

    sleep->interrupt();
    EXPECT_FALSE(elsewhere);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(caughtUp, 7);
    settle();
    EXPECT_TRUE(elsewhere);

    sendMouse(&window, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(1, 1));
    EXPECT_FALSE(elsewhere);
    EXPECT_EQ(caughtUp, 14);
    settle();

    // Out of sight: taken back and asleep; back, caught up by the time away
    // and handed over again.
    window.hide();
    EXPECT_FALSE(elsewhere);
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(caughtUp, 21);
    now += 100;
    window.show();
    EXPECT_EQ(caughtUp, 26);
    settle();
    EXPECT_TRUE(elsewhere);

    delete sleep;
    EXPECT_FALSE(elsewhere) << "the work elsewhere ends with the sleeper";
}
