#include "support/shown_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTextDocument>
#include <QWidget>

#include "ui/plain_text.h"

namespace testsupport {

QString shownToolTip(const QWidget& widget) {
    QString tip = widget.toolTip();
    if (!Qt::mightBeRichText(tip)) return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

namespace {

bool holdsRawControl(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x061C || u == 0x200E || u == 0x200F ||
            (u >= 0x2028 && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069))
            return true;
    }
    return false;
}

// Every text a widget shows of itself, also to assistive tools.
QStringList textsOf(const QWidget& widget) {
    QStringList texts{widget.toolTip().isEmpty() ? QString() : shownToolTip(widget),
                      widget.accessibleName(), widget.accessibleDescription()};
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) texts << label->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) texts << edit->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) texts << button->text();
    if (const auto* list = qobject_cast<const QListWidget*>(&widget))
        for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget))
        for (int row = 0; row < combo->count(); ++row) texts << combo->itemText(row);
    return texts;
}

}  // namespace

QStringList widgetsShowingRawControls(const QWidget& root) {
    QList<const QWidget*> widgets{&root};
    for (const QWidget* child : root.findChildren<QWidget*>()) widgets.append(child);
    QStringList found;
    for (const QWidget* widget : widgets)
        for (const QString& text : textsOf(*widget))
            if (holdsRawControl(text))
                found.append(widget->objectName().isEmpty()
                                 ? QString::fromUtf8(widget->metaObject()->className())
                                 : widget->objectName());
    return found;
}

QStringList widgetsShowingMarkup(const QWidget& root) {
    QList<const QWidget*> widgets{&root};
    for (const QWidget* child : root.findChildren<QWidget*>()) widgets.append(child);
    QStringList found;
    for (const QWidget* widget : widgets) {
        const auto* label = qobject_cast<const QLabel*>(widget);
        const bool richLabel =
            label != nullptr && label->textFormat() != Qt::PlainText &&
            (label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text()));
        const QString tip = widget->toolTip();
        const bool richTip =
            Qt::mightBeRichText(tip) && ondrix::plainToolTip(shownToolTip(*widget)) != tip;
        if (richLabel || richTip)
            found.append(widget->objectName().isEmpty()
                             ? QString::fromUtf8(widget->metaObject()->className())
                             : widget->objectName());
    }
    return found;
}

}  // namespace testsupport
