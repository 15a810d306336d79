#include <QPaintEvent>
#include <QScreen>
#include <QTest>

#include "gui/wavelark_fixture.h"
#include "gui/window_invariants.h"
#include "player/layout.h"

using namespace testsupport;

TEST_F(WavelarkTest, ControlsAreBuiltFromTheTable) {
    ondrix::Wavelark& w = window();
    w.show();
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w.windowTitle().isEmpty());
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_GE(w.windowIcon().availableSizes().size(), 3);
    EXPECT_EQ(w.Timer2->interval(), 20);
    EXPECT_EQ(w.Timer3->interval(), 500);
    // The status and clock labels stay readable over the media component.
    const QList<QObject*> order = w.children();
    for (const char* over : {"Label1", "lbltime", "lbltid2", "lbltid3"})
        EXPECT_GT(order.indexOf(w.findChild<QWidget*>(QString::fromLatin1(over))),
                  order.indexOf(w.WindowsMediaPlayer1))
            << over;
    // The design lays the status and the clock over the media component.
    const QString media = QStringLiteral("WindowsMediaPlayer1");
    expectBuiltFromTable(w, ondrix::wavelarkWindowLayout(),
                         {{QStringLiteral("Label1"), media}, {QStringLiteral("lbltime"), media}});
}

TEST_F(WavelarkTest, LongMarqueeTextWidensItsLabel) {
    folder.write(
        QStringLiteral("!moving.txt"),
        crlf({QStringLiteral("A marquee text far longer than the width its label starts with")}));
    ondrix::Wavelark& w = loaded();
    EXPECT_GT(w.lblScrollR2L->width() * 15, 1035);
    EXPECT_EQ(w.lblScrollR2L->width(), w.lblScrollR2L->sizeHint().width());
}

TEST_F(WavelarkTest, ScrollingRepaintsOnlyTheBottomStrip) {
    ondrix::Wavelark& w = loaded();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
    // Every repaint but the two texts' own, in window coordinates.
    struct PaintWatcher : QObject {
        QRegion surface;
        int otherControls = 0;
        QWidget* top = nullptr;
        QWidget* l2r = nullptr;
        QWidget* r2l = nullptr;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() != QEvent::Paint || o == l2r || o == r2l) return false;
            auto* widget = qobject_cast<QWidget*>(o);
            if (!widget || widget->window() != top) return false;
            const QRegion region = static_cast<QPaintEvent*>(e)->region();
            if (widget == top || widget == l2r->parentWidget())
                surface += region.translated(widget->mapTo(top, QPoint(0, 0)));
            else
                ++otherControls;
            return false;
        }
    } watcher;
    watcher.top = &w;
    watcher.l2r = w.lblScrollL2R;
    watcher.r2l = w.lblScrollR2L;
    qApp->installEventFilter(&watcher);
    w.setScrollLefts(1500, 6000);
    QTest::qWait(20);
    watcher.surface = QRegion();
    watcher.otherControls = 0;
    for (int i = 0; i < 10; ++i) {
        w.Timer2_Timer();
        QCoreApplication::processEvents();
    }
    qApp->removeEventFilter(&watcher);
    EXPECT_EQ(watcher.otherControls, 0);
    EXPECT_FALSE(watcher.surface.isEmpty())
        << "the uncovered surface behind the texts is repainted";
    EXPECT_GE(watcher.surface.boundingRect().top(), 2520 / 15);
    int area = 0;
    for (const QRect& r : watcher.surface) area += r.width() * r.height();
    EXPECT_LT(area, 684 * 196 / 20) << "more than the texts' trails was repainted";
}

// The strip draws each scrolling text where its label stands, and nowhere else.
TEST_F(WavelarkTest, EachScrollingTextIsDrawnWhereItsLabelStands) {
    ondrix::Wavelark& w = loaded();
    w.setScrollLefts(1500, 6000);
    const QImage image = w.grab().toImage();
    for (QLabel* label : {w.lblScrollL2R, w.lblScrollR2L}) {
        SCOPED_TRACE(label->objectName().toStdString());
        const QRect place(label->mapTo(&w, QPoint(0, 0)), label->size());
        const QColor ink = label->palette().color(QPalette::WindowText);
        int inside = 0, outside = 0;
        for (int y = place.top(); y <= place.bottom(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor(image.pixel(x, y)) == ink) ++(place.contains(x, y) ? inside : outside);
        EXPECT_GT(inside, 0);
        EXPECT_EQ(outside, 0);
    }
}

// What the window holds of the strip after some steps, texts crossing on
// the way, is what a fresh paint of it shows: scrolled pixels went where
// their text went. grab() paints afresh, so the shown pixels are read from
// the window's backing store.
TEST_F(WavelarkTest, TheStripOnScreenAfterScrollingIsAFreshPaintOfIt) {
    ondrix::Wavelark& w = loaded();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QWidget* strip = w.lblScrollL2R->parentWidget();
    const QRect place(strip->mapTo(&w, QPoint(0, 0)), strip->size());
    w.setScrollLefts(1500, 6000);
    for (int step = 0; step < 120; ++step) {
        w.Timer2_Timer();
        QCoreApplication::processEvents();
        if (step % 40 != 39) continue;
        SCOPED_TRACE(step);
        const QImage shown = w.screen()->grabWindow(w.winId()).toImage().copy(place);
        EXPECT_TRUE(shown.convertToFormat(QImage::Format_RGB32) ==
                    w.grab(place).toImage().convertToFormat(QImage::Format_RGB32))
            << "the strip on screen is not what a fresh paint shows";
    }
}
