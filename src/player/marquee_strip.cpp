#include "player/marquee_strip.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <optional>

#include "ui/clickable_label.h"
#include "ui/frame_lines.h"

namespace ondrix {

MarqueeStrip::MarqueeStrip(QWidget* window, const std::vector<LineLayout>& lines)
    : SurfaceWidget(window), lines_(lines) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QLabel* MarqueeStrip::addText(const QString& caption) {
    // A label like every other of the window, so the builder gives it the
    // same rules; hidden, it takes no pointer and paints nothing.
    auto* label = new ClickableLabel(caption, this);
    label->hide();
    texts_.push_back({label, {}});
    return label;
}

void MarqueeStrip::moveText(QLabel* label, int x) {
    for (const Text& text : texts_) {
        if (text.label != label) continue;
        const QRect before = placeOf(text);
        label->move(x, label->y());
        if (x11_) {
            x11_->moveImage(text.serverImage, devicePlace(text));
            return;
        }
        const QRect after = placeOf(text);
        const int step = after.left() - before.left();
        if (step == 0) return;
        const QRect swept = before.united(after);
        // Pixels move only when the text's whole trail is its own: a jump
        // to the far side, or another text crossing, is painted again.
        bool alone = std::abs(step) < before.width();
        for (const Text& other : texts_)
            if (other.label != label && placeOf(other).intersects(swept)) alone = false;
        if (alone)
            scroll(step, 0, swept);
        else
            update(swept);
        return;
    }
}

void MarqueeStrip::sendMoves() {
    // Both texts' moves of a tick leave in one write: a wake-up fewer for
    // the program and the server, fifty times a second.
    if (x11_) x11_->send();
}

void MarqueeStrip::startMotion(int intervalMs, const std::vector<QLabel*>& labels, Lefts lefts) {
    if (!x11_) return;
    // For each text in the X server's order, which of `lefts` moves it (or
    // none), and where it stands.
    struct Moved {
        std::size_t left;
        int top;
    };
    std::vector<std::optional<Moved>> moves;
    std::vector<QPoint> standing;
    for (const Text& text : texts_) {
        const auto found = std::find(labels.begin(), labels.end(), text.label);
        moves.push_back(
            found == labels.end()
                ? std::nullopt
                : std::optional<Moved>(
                      {static_cast<std::size_t>(found - labels.begin()), text.label->y()}));
        standing.push_back(devicePlace(text));
    }
    const qreal ratio = devicePixelRatioF();
    x11_->startMotion(intervalMs, [lefts = std::move(lefts), moves = std::move(moves),
                                   standing = std::move(standing), ratio,
                                   xs = std::vector<int>()](std::vector<QPoint>& places) mutable {
        if (places.empty()) places = standing;
        lefts(xs);
        for (std::size_t i = 0; i < moves.size(); ++i)
            if (moves[i] && moves[i]->left < xs.size())
                places[i] = QPoint(xs[moves[i]->left], moves[i]->top) * ratio;
    });
}

std::int64_t MarqueeStrip::stopMotion() {
    return x11_ ? x11_->stopMotion() : 0;
}

void MarqueeStrip::textChanged(QLabel* label) {
    for (Text& text : texts_) {
        if (text.label != label) continue;
        text.image = QPixmap();
        if (x11_) {
            x11_->setImage(text.serverImage, imageOf(text).toImage());
            x11_->moveImage(text.serverImage, devicePlace(text));
            x11_->send();
        }
    }
    nameAfterTexts();
    update();
}

// The texts move too fast to be read out as they pass: assistive tools read
// them as the strip's name, as the labels hold them, cleaned for showing.
void MarqueeStrip::nameAfterTexts() {
    QStringList shown;
    for (const Text& text : texts_)
        if (const QString caption = text.label->text().trimmed(); !caption.isEmpty())
            shown << caption;
    QString name = tr("Scrolling texts");
    if (!shown.isEmpty()) name += QStringLiteral(": ") + shown.join(QStringLiteral(", "));
    if (name != accessibleName()) setAccessibleName(name);
}

bool MarqueeStrip::showsText(QPoint point) const {
    for (const Text& text : texts_)
        if (placeOf(text).contains(point)) return true;
    return false;
}

const QPixmap& MarqueeStrip::imageOf(Text& text) {
    const QLabel& label = *text.label;
    const qreal ratio = devicePixelRatioF();
    if (text.image.isNull() || text.image.size() != label.size() * ratio) {
        text.image = QPixmap(label.size() * ratio);
        text.image.setDevicePixelRatio(ratio);
        text.image.fill(label.palette().color(QPalette::Window));
        QPainter painter(&text.image);
        painter.setFont(label.font());
        painter.setPen(label.palette().color(QPalette::WindowText));
        painter.drawText(label.contentsRect(), static_cast<int>(label.alignment()), label.text());
    }
    return text.image;
}

const QPixmap& MarqueeStrip::surface() {
    const qreal ratio = devicePixelRatioF();
    if (surface_.isNull() || surface_.devicePixelRatio() != ratio) {
        surface_ = QPixmap(size() * ratio);
        surface_.setDevicePixelRatio(ratio);
        surface_.fill(palette().color(QPalette::Window));
        QPainter image(&surface_);
        paintLines(image, lines_, palette().color(QPalette::WindowText), pos());
    }
    return surface_;
}

QRect MarqueeStrip::deviceArea() const {
    const qreal ratio = devicePixelRatioF();
    return {mapTo(window(), QPoint(0, 0)) * ratio, size() * ratio};
}

QPoint MarqueeStrip::devicePlace(const Text& text) const {
    return placeOf(text).topLeft() * devicePixelRatioF();
}

void MarqueeStrip::sendSurface() {
    if (!x11_) return;
    x11_->setArea(deviceArea());
    x11_->setSurface(surface().toImage());
}

void MarqueeStrip::showEvent(QShowEvent*) {
    // The window exists on the X server once shown; the texts are handed
    // over once.
    if (x11_) return;
    x11_ = X11Strip::over(window(), deviceArea());
    if (!x11_) return;
    x11_->setSurface(surface().toImage());
    for (Text& text : texts_)
        text.serverImage = x11_->addImage(imageOf(text).toImage(), devicePlace(text));
}

void MarqueeStrip::paintEvent(QPaintEvent* event) {
    const qreal ratio = devicePixelRatioF();
    const QPixmap& background = surface();
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.drawPixmap(dirty, background,
                       QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
    for (Text& text : texts_) {
        const QRect place = placeOf(text);
        if (place.intersects(event->rect())) painter.drawPixmap(place.topLeft(), imageOf(text));
    }
}

void MarqueeStrip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        surface_ = QPixmap();
        sendSurface();
    }
    SurfaceWidget::changeEvent(event);
}

void MarqueeStrip::resizeEvent(QResizeEvent*) {
    surface_ = QPixmap();
    sendSurface();
}

void MarqueeStrip::moveEvent(QMoveEvent*) {
    surface_ = QPixmap();
    sendSurface();
}

}  // namespace ondrix
