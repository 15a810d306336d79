#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <set>
#include <utility>

#include "support/shown_text.h"
#include "ui/clickable_label.h"
#include "ui/control_table.h"
#include "ui/twips.h"

namespace testsupport {

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
// window to assistive tools, and its text boxes have names; no two shown controls
// overlap but where the design lays them over each other; and every control
// the pointer presses (command labels, pictures, labels with a hand cursor)
// has a click handler and is a button to assistive tools. The handlers are
// taken off to be counted: check on a window the test is done with.
inline void expectBuiltFromTable(QWidget& window, const ondrix::WindowLayout& table,
                                 const Overlaps& overlaps = {}) {
    using ondrix::ControlKind;
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
        if (row.kind == ControlKind::TextBox) {
            EXPECT_FALSE(reported->text(QAccessible::Name).isEmpty()) << "a box without a name";
        }
        const bool pressed = row.kind == ControlKind::CommandLabel ||
                             row.kind == ControlKind::Picture || row.handCursor;
        auto* label = qobject_cast<ondrix::ClickableLabel*>(widget);
        if (pressed) {
            ASSERT_NE(label, nullptr);
        }
        if (label) expectButtonWhenItActs(*label, *reported, pressed);
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

}  // namespace testsupport
