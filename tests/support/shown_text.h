#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace testsupport {

// The text a widget's tool tip shows: rendered as Qt renders it when Qt
// takes it for markup.
QString shownToolTip(const QWidget& widget);

// Names of the widgets under root (root too) whose caption or tool tip Qt
// would render as markup: a label whose text it takes for rich text, or a
// rich tool tip other than an escaped plain text.
QStringList widgetsShowingMarkup(const QWidget& root);

// Names of the widgets under root (root too) whose caption, text, tool tip,
// list entries or name to assistive tools hold a control character, a line
// break or a direction mark as it is, rather than in a visible form.
QStringList widgetsShowingRawControls(const QWidget& root);

}  // namespace testsupport
