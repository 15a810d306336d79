#include "ui/cached_text_label.h"

#include <QEvent>
#include <QPainter>

namespace ondrix {

CachedTextLabel::CachedTextLabel(const QString& text, QWidget* parent)
    : ClickableLabel(text, parent) {
    // Every pixel comes from the image: no background fill before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CachedTextLabel::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (cache_.isNull() || cachedText_ != text() || cache_.size() != size() * ratio) {
        cache_ = QPixmap(size() * ratio);
        cache_.setDevicePixelRatio(ratio);
        cache_.fill(palette().color(QPalette::Window));
        QPainter image(&cache_);
        image.setFont(font());
        image.setPen(palette().color(QPalette::WindowText));
        image.drawText(contentsRect(), static_cast<int>(alignment()), text());
        cachedText_ = text();
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, cache_);
}

void CachedTextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        cache_ = QPixmap();
    ClickableLabel::changeEvent(event);
}

void CachedTextLabel::resizeEvent(QResizeEvent* event) {
    cache_ = QPixmap();
    ClickableLabel::resizeEvent(event);
}

}  // namespace ondrix
