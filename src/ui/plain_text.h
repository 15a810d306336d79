#pragma once

#include <QString>

#include "platform/outside_text.h"

class QLabel;
class QWidget;

namespace ondrix {

// The most characters a tool tip shows of a text; the rest is cut.
constexpr qsizetype kToolTipLimit = 1024;

// A tool tip text that Qt shows exactly as given, even text that looks like
// markup ("<img src=...>" is a name, never a picture to load); long texts
// are cut. Empty stays empty (no tool tip).
QString plainToolTip(const QString& text);

// Sets widget's tool tip to text shown as plain text, and what assistive
// tools read as its description to the same text.
// Outside text is shown by the same rule.
void setPlainToolTip(QWidget* widget, const QString& text);
// Sets widget's tool tip to outside text.
void setPlainToolTip(QWidget* widget, const ShownText& text);

// Shows outside text as a label's caption, as plain text.
void showText(QLabel* label, const ShownText& text);

}  // namespace ondrix
