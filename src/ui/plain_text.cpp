#include "ui/plain_text.h"

#include <QLabel>
#include <QWidget>

namespace ondrix {

namespace {

QString cutToLimit(const QString& text) {
    QString shown = text.left(kToolTipLimit);
    if (shown.size() < text.size()) shown += QChar(0x2026);
    return shown;
}

}  // namespace

QString plainToolTip(const QString& text) {
    if (text.isEmpty()) return text;
    // Always escaped: Qt guesses markup from the text itself, so no plain
    // text may reach it unescaped. The paragraph keeps blanks and breaks.
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + cutToLimit(text).toHtmlEscaped() +
           QStringLiteral("</p>");
}

void setPlainToolTip(QWidget* widget, const QString& text) {
    widget->setToolTip(plainToolTip(text));
    // Assistive tools read a tool tip as the control's description: the
    // same plain text, without the paragraph that keeps Qt from guessing.
    widget->setAccessibleDescription(cutToLimit(text));
}

void setPlainToolTip(QWidget* widget, const ShownText& text) {
    setPlainToolTip(widget, text.text());
}

void showText(QLabel* label, const ShownText& text) {
    label->setTextFormat(Qt::PlainText);
    label->setText(text.text());
}

}  // namespace ondrix
