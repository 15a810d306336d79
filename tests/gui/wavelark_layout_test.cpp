#include <QPaintEvent>
#include <QTest>

#include "gui/wavelark_fixture.h"
#include "player/layout.h"
#include "support/shown_text.h"

using namespace testsupport;

namespace {

enum class Colour { Rgb, ButtonFace, Light, ButtonText };

struct ExpectedControl {
    const char* name;
    const char* caption;  // nullptr: not a captioned control
    int left, top, width, height;
    Colour backKind;
    QRgb back;
    QRgb fore;
    const char* family;
    double points;
    bool bold;
    Qt::Alignment align;
    const char* tooltip;
    bool visible;
};

constexpr Qt::Alignment L = Qt::AlignLeft, R = Qt::AlignRight, C = Qt::AlignHCenter;
constexpr Colour RGB = Colour::Rgb;

// The window's controls as they are created, before start-up changes them.
const ExpectedControl kInventory[] = {
    {"LabelR1", "R1", 120, 480, 615, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255), "Tahoma", 12,
     true, C, "", true},
    {"LabelR2", "R2", 840, 480, 615, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255), "Tahoma", 12,
     true, C, "", true},
    {"LabelR3", "R3", 1560, 480, 615, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255), "Tahoma", 12,
     true, C, "", true},
    {"LabelR4", "R4", 2280, 480, 615, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255), "Tahoma", 12,
     true, C, "", true},
    {"LabelR5", "R5", 120, 960, 615, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255), "Tahoma", 12,
     true, C, "", true},
    {"LabelR6", "R6", 840, 960, 615, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255), "Tahoma", 12,
     true, C, "", true},
    {"LabelR7", "R7", 1560, 960, 615, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255), "Tahoma", 12,
     true, C, "", true},
    {"LabelR8", "R8", 2280, 960, 615, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255), "Tahoma", 12,
     true, C, "", true},
    {"LabelRec", "REC", 120, 2040, 855, 375, RGB, qRgb(255, 128, 128), qRgb(64, 64, 64), "Tahoma",
     12, true, C, "", true},
    {"LabelStop", "Stop", 1080, 2040, 855, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255),
     "Tahoma", 12, true, C, "", true},
    {"LabelPlay", "Play", 2040, 2040, 855, 375, RGB, qRgb(64, 64, 64), qRgb(192, 192, 255),
     "Tahoma", 12, true, C, "", true},
    {"LabelExit", "Exit", 8760, 2040, 1335, 375, RGB, qRgb(64, 64, 64), qRgb(224, 224, 224),
     "Tahoma", 11.25, true, C, "", true},
    {"Label5", "VOSKE", 240, 120, 975, 255, RGB, qRgb(128, 128, 128), qRgb(255, 255, 0), "Tahoma",
     12, true, L, "", true},
    {"Label4", "(F1=Help)", 3120, 120, 975, 255, RGB, qRgb(128, 128, 128), qRgb(255, 255, 192),
     "Tahoma", 8.25, true, L, "", true},
    {"Label3", "Wavelark Player", 6600, 120, 3495, 255, RGB, qRgb(128, 128, 128), qRgb(255, 255, 0),
     "Tahoma", 12, true, R, "", true},
    {"label2", "http://", 120, 1440, 2775, 255, RGB, qRgb(192, 192, 255), qRgb(255, 255, 128),
     "MS Sans Serif", 9.75, true, L, "Click to go to web page", true},
    {"Label1", "kbps", 5280, 480, 1335, 255, RGB, qRgb(0, 0, 0), qRgb(255, 192, 255), "Tahoma",
     9.75, true, R, "", true},
    {"lbltime", "time", 3960, 720, 1815, 495, Colour::ButtonText, 0, qRgb(255, 255, 192), "Tahoma",
     18, true, L, "Refresh files", true},
    {"lbltid2", "2", 3600, 1080, 735, 375, Colour::ButtonText, 0, qRgb(192, 255, 255), "Tahoma",
     11.25, true, R, "Click to hide window", false},
    {"lbltid3", "3", 4440, 1080, 975, 375, Colour::ButtonText, 0, qRgb(192, 255, 255), "Tahoma",
     11.25, true, L, "Click to hide window", false},
    {"lblScrollL2R", "Left to Right", 3120, 2520, -1, 240, Colour::ButtonFace, 0,
     qRgb(255, 128, 128), "MS Sans Serif", 9.75, false, L, "", true},
    {"lblScrollR2L", "Right to Left", 5400, 2520, -1, 240, Colour::ButtonFace, 0,
     qRgb(128, 255, 128), "MS Sans Serif", 9.75, false, L, "", true},
    {"Text1", "Test URL", 120, 1680, 2775, 285, Colour::ButtonFace, 0, qRgb(0, 0, 255),
     "MS Sans Serif", 9.75, true, L, "Copy URL to here and click", true},
    {"Drive1", nullptr, 8760, 480, 1335, 315, Colour::Light, 0, qRgb(128, 0, 128), "MS Sans Serif",
     8.25, true, L, "Drives", true},
    {"Dir1", nullptr, 8760, 840, 1335, 1215, Colour::Light, 0, qRgb(128, 0, 128), "MS Sans Serif",
     8.25, true, L, "Folders", true},
    {"File1", nullptr, 6720, 480, 1935, 1650, RGB, qRgb(224, 224, 224), qRgb(128, 0, 128),
     "MS Sans Serif", 8.25, true, L, "Files", true},
    {"Random_Play", "Shuttle Play", 6720, 2160, 1935, 255, Colour::ButtonFace, 0, qRgb(192, 0, 192),
     "MS Sans Serif", 8.25, true, L, "", true},
    {"WindowsMediaPlayer1", nullptr, 3000, 480, 3615, 1935, RGB, 0, 0, nullptr, 0, false, L, "",
     true},
};

QColor expectedBack(const ExpectedControl& expected) {
    switch (expected.backKind) {
        case Colour::ButtonFace:
            return QApplication::palette().color(QPalette::Button);
        case Colour::Light:
            return QApplication::palette().color(QPalette::Light);
        case Colour::ButtonText:
            return QApplication::palette().color(QPalette::ButtonText);
        case Colour::Rgb:
            break;
    }
    return QColor(expected.back);
}

QString captionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
    if (auto* box = qobject_cast<QAbstractButton*>(widget)) return box->text();
    return {};
}

std::optional<QPalette::ColorRole> roleOf(Colour kind) {
    switch (kind) {
        case Colour::ButtonFace:
            return QPalette::Button;
        case Colour::Light:
            return QPalette::Light;
        case Colour::ButtonText:
            return QPalette::ButtonText;
        case Colour::Rgb:
            break;
    }
    return std::nullopt;
}

}  // namespace

TEST(WavelarkTable, HoldsTheInventoryAndNothingElse) {
    const std::vector<ondrix::ControlLayout>& table = ondrix::wavelarkWindowLayout().controls;
    ASSERT_EQ(table.size(), std::size(kInventory));
    for (const ExpectedControl& expected : kInventory) {
        SCOPED_TRACE(expected.name);
        const auto row = std::find_if(table.begin(), table.end(), [&](const auto& control) {
            return control.name == QLatin1String(expected.name);
        });
        ASSERT_NE(row, table.end());
        EXPECT_EQ(QRect(row->left, row->top, expected.width < 0 ? -1 : row->width, row->height),
                  QRect(expected.left, expected.top, expected.width, expected.height));
        EXPECT_EQ(row->caption, QString::fromLatin1(expected.caption ? expected.caption : ""));
        EXPECT_EQ(row->toolTip, QString::fromLatin1(expected.tooltip));
        EXPECT_EQ(row->visible, expected.visible);
        if (!expected.family) continue;
        EXPECT_EQ(row->systemBackground, roleOf(expected.backKind));
        if (expected.backKind == Colour::Rgb) {
            EXPECT_EQ(row->background, QColor(expected.back));
        }
        EXPECT_EQ(row->textColor, QColor(expected.fore));
        EXPECT_EQ(row->fontFamily, QString::fromLatin1(expected.family));
        EXPECT_EQ(row->fontPoints, expected.points);
        EXPECT_EQ(row->bold, expected.bold);
        EXPECT_EQ(row->rightAligned, expected.align == R);
    }
}

TEST_F(WavelarkTest, EveryControlIsCreatedAsTheInventorySays) {
    ondrix::Wavelark& w = window();
    w.show();
    EXPECT_EQ(w.size(), QSize(684, 196));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w.windowTitle().isEmpty());
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_GE(w.windowIcon().availableSizes().size(), 3);

    for (const ExpectedControl& expected : kInventory) {
        SCOPED_TRACE(expected.name);
        auto* widget = w.findChild<QWidget*>(QString::fromLatin1(expected.name));
        ASSERT_NE(widget, nullptr);
        const int pxWidth = expected.width < 0 ? widget->sizeHint().width() : expected.width / 15;
        EXPECT_EQ(QRect(widget->mapTo(&w, QPoint(0, 0)), widget->size()),
                  QRect(expected.left / 15, expected.top / 15, pxWidth, expected.height / 15));
        if (expected.caption) {
            EXPECT_EQ(captionOf(widget), QString::fromLatin1(expected.caption));
        }
        EXPECT_EQ(testsupport::shownToolTip(*widget), QString::fromLatin1(expected.tooltip));
        EXPECT_EQ(widget->isVisible(), expected.visible);
        if (!expected.family) continue;
        const QPalette& p = widget->palette();
        const QColor back = expectedBack(expected);
        const bool editable =
            qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractItemView*>(widget);
        EXPECT_EQ(p.color(editable ? QPalette::Base : QPalette::Window), back);
        EXPECT_EQ(p.color(editable ? QPalette::Text : QPalette::WindowText), QColor(expected.fore));
        EXPECT_TRUE(widget->autoFillBackground());
        EXPECT_EQ(widget->font().family(), QString::fromLatin1(expected.family));
        EXPECT_EQ(widget->font().pixelSize(), qRound(expected.points * 96 / 72));
        EXPECT_EQ(widget->font().bold(), expected.bold);
        EXPECT_FALSE(widget->font().italic() || widget->font().underline() ||
                     widget->font().strikeOut());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, expected.align);
        }
    }
    // The status and clock labels stay readable over the media component.
    const QList<QObject*> order = w.children();
    for (const char* over : {"Label1", "lbltime", "lbltid2", "lbltid3"})
        EXPECT_GT(order.indexOf(w.findChild<QWidget*>(QString::fromLatin1(over))),
                  order.indexOf(w.WindowsMediaPlayer1))
            << over;
    EXPECT_EQ(w.Timer1->interval(), ondrix::kSafetyPollMs);
    EXPECT_EQ(w.Timer2->interval(), 20);
    EXPECT_EQ(w.Timer3->interval(), 500);
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
