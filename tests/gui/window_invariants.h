#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <set>
#include <utility>

#include "support/shown_text.h"
#include "ui/clickable_label.h"
#include "ui/control_table.h"
#include "ui/twips.h"

namespace testsupport {

inline void expectPaintedFromTable(const QImage& image, const ondrix::WindowLayout& table);

// Controls the design lays one over the other.
using Overlaps = std::set<std::pair<QString, QString>>;

inline QString captionOf(const QWidget& widget) {
    if (auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(&widget)) return edit->text();
    if (auto* box = qobject_cast<const QAbstractButton*>(&widget)) return box->text();
    return {};
}

// A clickable label is a button to assistive tools exactly when a handler
// takes its clicks (every one the pointer presses has one): named as the
// screen shows it (a picture by some name), its Press action clicks it once.
// The handlers are taken off to count the click.
inline void expectButtonWhenItActs(ondrix::ClickableLabel& label, QAccessibleInterface& reported,
                                   bool pressed) {
    const bool button = reported.role() == QAccessible::Button;
    const bool handled =
        QObject::disconnect(&label, &ondrix::ClickableLabel::clicked, nullptr, nullptr);
    EXPECT_EQ(button, handled) << "reported as a button: " << button;
    if (pressed) {
        EXPECT_TRUE(handled) << "no handler";
    }
    if (!handled) return;
    const QString name = reported.text(QAccessible::Name);
    EXPECT_FALSE(name.isEmpty());
    if (!label.text().isEmpty()) {
        EXPECT_EQ(name, label.text());
    }
    int clicks = 0;
    const QMetaObject::Connection counter =
        QObject::connect(&label, &ondrix::ClickableLabel::clicked, [&clicks] { ++clicks; });
    ASSERT_NE(reported.actionInterface(), nullptr);
    reported.actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    // Only the label's own: other events would change the window under test.
    QCoreApplication::sendPostedEvents(&label, QEvent::MetaCall);
    QObject::disconnect(counter);
    EXPECT_EQ(clicks, 1) << "Press";
}

// What a window built from its table keeps: every control of the table is
// made under its name, where the table puts it (a scrolling text's width
// follows its caption) and inside the window, with its caption, tool tip,
// font and colours, shown where the table shows it; the window is a named
// window to assistive tools, and its text boxes and lists have names; no two shown controls
// overlap but where the design lays them over each other; and every control
// the pointer presses (command labels, pictures, labels with a hand cursor)
// has a click handler and is a button to assistive tools; the keyboard
// follows the table's tabIndex order from its focusAtStart; and it is painted
// as the table says (expectPaintedFromTable). The handlers are taken off to be
// counted: check on a window the test is done with.
inline void expectBuiltFromTable(QWidget& window, const ondrix::WindowLayout& table,
                                 const Overlaps& overlaps = {}) {
    using ondrix::ControlKind;
    expectPaintedFromTable(window.grab().toImage(), table);
    EXPECT_EQ(window.size(), QSize(ondrix::twipsToPixels(table.clientWidth),
                                   ondrix::twipsToPixels(table.clientHeight)));
    QAccessibleInterface* reportedWindow = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(reportedWindow, nullptr);
    EXPECT_EQ(reportedWindow->role(), QAccessible::Window);
    EXPECT_FALSE(reportedWindow->text(QAccessible::Name).isEmpty());
    std::vector<std::pair<QString, QRect>> shown;
    for (const ondrix::ControlLayout& row : table.controls) {
        SCOPED_TRACE(row.name.toStdString());
        auto* widget = window.findChild<QWidget*>(row.name);
        ASSERT_NE(widget, nullptr);
        const QRect place(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        QRect expected = ondrix::twipsRect(row.left, row.top, row.width, row.height);
        if (row.scrolls) expected.setWidth(place.width());
        EXPECT_EQ(place, expected);
        EXPECT_TRUE(window.rect().contains(place));
        if (row.kind != ControlKind::Picture) {
            EXPECT_EQ(captionOf(*widget), row.caption);
        }
        EXPECT_EQ(shownToolTip(*widget), row.toolTip);
        if (!row.fontFamily.isEmpty()) {
            EXPECT_EQ(widget->font().family(), row.fontFamily);
            EXPECT_EQ(widget->font().pixelSize(), std::lround(row.fontPoints * 96 / 72));
            EXPECT_EQ(widget->font().bold(), row.bold);
        }
        const bool entry = qobject_cast<QLineEdit*>(widget) ||
                           qobject_cast<QAbstractItemView*>(widget) ||
                           row.kind == ControlKind::DriveList;
        const std::optional<QColor> back =
            row.systemBackground ? QApplication::palette().color(*row.systemBackground)
                                 : row.background;
        if (back) {
            EXPECT_EQ(widget->palette().color(entry ? QPalette::Base : QPalette::Window), *back);
        }
        if (row.textColor) {
            EXPECT_EQ(widget->palette().color(entry ? QPalette::Text : QPalette::WindowText),
                      *row.textColor);
        }
        if (row.visible && !row.scrolls) {
            EXPECT_TRUE(widget->isVisibleTo(&window));
        }
        if (widget->isVisibleTo(&window)) shown.emplace_back(row.name, place);
        QAccessibleInterface* reported = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(reported, nullptr);
        if (entry) {
            EXPECT_FALSE(reported->text(QAccessible::Name).isEmpty()) << "an entry without a name";
        }
        const bool pressed = row.kind == ControlKind::CommandLabel ||
                             row.kind == ControlKind::Picture || row.handCursor;
        auto* label = qobject_cast<ondrix::ClickableLabel*>(widget);
        if (pressed) {
            ASSERT_NE(label, nullptr);
        }
        if (label) expectButtonWhenItActs(*label, *reported, pressed);
    }
    // The keyboard goes through the numbered entries in their tabIndex
    // order; the table's focusAtStart has the focus.
    std::vector<std::pair<int, QString>> numbered;
    for (const ondrix::ControlLayout& row : table.controls) {
        auto* widget = window.findChild<QWidget*>(row.name);
        if (row.tabIndex >= 0 && widget && (widget->focusPolicy() & Qt::TabFocus))
            numbered.emplace_back(row.tabIndex, row.name);
    }
    std::sort(numbered.begin(), numbered.end());
    QStringList inOrder, walked;
    for (const auto& entry : numbered) inOrder << entry.second;
    QWidget* next = inOrder.isEmpty() ? nullptr : window.findChild<QWidget*>(inOrder.constFirst());
    for (int step = 0; next && walked.size() < inOrder.size() && step < 100; ++step) {
        if (inOrder.contains(next->objectName())) walked << next->objectName();
        next = next->nextInFocusChain();
    }
    EXPECT_EQ(walked.join(QLatin1Char(' ')).toStdString(),
              inOrder.join(QLatin1Char(' ')).toStdString());
    if (!table.focusAtStart.isEmpty()) {
        EXPECT_EQ(window.focusWidget(), window.findChild<QWidget*>(table.focusAtStart));
    }
    for (size_t a = 0; a < shown.size(); ++a)
        for (size_t b = a + 1; b < shown.size(); ++b) {
            const auto& [nameA, placeA] = shown[a];
            const auto& [nameB, placeB] = shown[b];
            if (overlaps.count({nameA, nameB}) || overlaps.count({nameB, nameA})) continue;
            // Twips rounded to pixels let neighbours share a row or column.
            const QRect common = placeA.intersected(placeB);
            EXPECT_FALSE(common.width() > 1 && common.height() > 1)
                << nameA.toStdString() << " overlaps " << nameB.toStdString();
        }
}

// What a window built from its table shows, read from an image of it (a
// grab, or a screenshot cut to the window): every pixel of every line in the
// lines' colour where no control lies over it, every label's background
// colour filling most of its place, and the bare surface in the window's
// colour. The scrolling texts may stand anywhere along their strip.
inline void expectPaintedFromTable(const QImage& image, const ondrix::WindowLayout& table) {
    const QPalette desktop = QApplication::palette();
    const QColor lines = desktop.color(table.systemText.value_or(QPalette::WindowText));
    std::vector<QRect> covered;
    for (const ondrix::ControlLayout& row : table.controls) {
        QRect place = ondrix::twipsRect(row.left, row.top, row.width, row.height);
        if (row.scrolls) place = QRect(0, place.top(), image.width(), place.height());
        covered.push_back(place);  // a hidden control may be shown later
    }
    const auto coveredFrom = [&](size_t first, QPoint p) {
        for (size_t i = first; i < covered.size(); ++i)
            if (covered[i].contains(p)) return true;
        return false;
    };
    const auto colour = [&](QPoint p) { return QColor(image.pixel(p)); };
    QRegion onLines;
    for (const ondrix::LineLayout& line : table.lines) {
        SCOPED_TRACE(line.name.toStdString());
        const int w = line.widthPixels;
        // Where a line of width w meets the pixel grid is the toolkit's
        // choice within a pixel: w - 1 pixels across are its own for sure,
        // and along it the pixels between its ends (corners may be cut).
        const bool horizontal = line.y1 == line.y2;
        const auto from = [&](int twips, bool wide) {
            return ondrix::twipsToPixels(twips) - (wide ? (w - 1) / 2 : 0);
        };
        const auto to = [&](int twips, bool wide) {
            return ondrix::twipsToPixels(twips) + (wide ? w / 2 : 0) - 1;
        };
        const QRect core = QRect(QPoint(from(std::min(line.x1, line.x2), !horizontal),
                                        from(std::min(line.y1, line.y2), horizontal)),
                                 QPoint(to(std::max(line.x1, line.x2), !horizontal),
                                        to(std::max(line.y1, line.y2), horizontal)))
                               .intersected(image.rect());
        const QRect band = core.adjusted(-w, -w, w, w);
        onLines += band;
        int wrong = 0;
        for (int y = core.top(); y <= core.bottom(); ++y)
            for (int x = core.left(); x <= core.right(); ++x)
                if (!coveredFrom(0, {x, y}) && colour({x, y}) != lines) ++wrong;
        EXPECT_EQ(wrong, 0) << "pixels of the line not in its colour";
    }
    for (size_t i = 0; i < table.controls.size(); ++i) {
        const ondrix::ControlLayout& row = table.controls[i];
        const bool label =
            row.kind == ondrix::ControlKind::Label || row.kind == ondrix::ControlKind::CommandLabel;
        if (!label || !row.visible || row.scrolls) continue;
        const std::optional<QColor> back =
            row.systemBackground ? desktop.color(*row.systemBackground) : row.background;
        if (!back) continue;
        SCOPED_TRACE(row.name.toStdString());
        int own = 0, shown = 0;
        const QRect place = covered[i].intersected(image.rect());
        for (int y = place.top(); y <= place.bottom(); ++y)
            for (int x = place.left(); x <= place.right(); ++x)
                if (!coveredFrom(i + 1, {x, y}) && !onLines.contains(QPoint(x, y))) {
                    ++shown;
                    own += colour({x, y}) == *back;
                }
        EXPECT_GT(own * 2, shown) << "the label's background fills " << own << " of " << shown;
    }
    int bare = 0, wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!coveredFrom(0, {x, y}) && !onLines.contains(QPoint(x, y))) {
                ++bare;
                wrong += colour({x, y}) != table.background;
            }
    EXPECT_GT(bare, 0);
    EXPECT_EQ(wrong, 0) << "pixels of the bare surface not in the window's colour";
}

// A help box names the keys its window acts on: a line starts with "Fn "
// exactly for the function keys whose press does something (acts, given the
// key code; F12 last, as it closes the window).
inline void expectHelpNamesTheKeysThatAct(const QString& help,
                                          const std::function<bool(int)>& acts) {
    const QStringList lines = help.split(QStringLiteral("\r\n"));
    EXPECT_FALSE(help.endsWith(QLatin1Char('\n')));
    for (int n = 1; n <= 12; ++n) {
        const QString name = QStringLiteral("F%1 ").arg(n);
        const bool named = std::any_of(lines.cbegin(), lines.cend(),
                                       [&](const QString& line) { return line.startsWith(name); });
        EXPECT_EQ(named, acts(111 + n)) << "F" << n;
    }
}

}  // namespace testsupport
