#include "support/shown_text.h"

#include <QLabel>
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
