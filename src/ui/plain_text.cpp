#include "ui/plain_text.h"

#include <QWidget>

namespace ondrix {

QString plainToolTip(const QString& text) {
    if (text.isEmpty()) return text;
    QString shown = text.left(kToolTipLimit);
    if (shown.size() < text.size()) shown += QChar(0x2026);
    // Always escaped: Qt guesses markup from the text itself, so no plain
    // text may reach it unescaped. The paragraph keeps blanks and breaks.
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + shown.toHtmlEscaped() +
           QStringLiteral("</p>");
}

void setPlainToolTip(QWidget* widget, const QString& text) {
    widget->setToolTip(plainToolTip(text));
}

}  // namespace ondrix
