#include "player/media_widget.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "platform/outside_text.h"
#include "ui/plain_text.h"

namespace ondrix {

namespace {

// Room kept free at the top of the display for the window's status labels
// and clock, which it draws over this widget.
constexpr int kOverlayHeight = 80;
constexpr int kPositionSteps = 1000;

enum class Glyph { Play, Pause, Stop, Speaker, SpeakerMuted };

// Light glyphs drawn here: the style's own media icons are dark and vanish
// on the dark display.
QIcon glyphIcon(Glyph glyph) {
    constexpr int size = 24;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(225, 230, 235));
    switch (glyph) {
        case Glyph::Play:
            painter.drawPolygon(QPolygonF({QPointF(6, 3), QPointF(21, 12), QPointF(6, 21)}));
            break;
        case Glyph::Pause:
            painter.drawRect(QRectF(5, 4, 5, 16));
            painter.drawRect(QRectF(14, 4, 5, 16));
            break;
        case Glyph::Stop:
            painter.drawRect(QRectF(5, 5, 14, 14));
            break;
        case Glyph::Speaker:
        case Glyph::SpeakerMuted:
            painter.drawPolygon(QPolygonF({QPointF(2, 9), QPointF(7, 9), QPointF(13, 3),
                                           QPointF(13, 21), QPointF(7, 15), QPointF(2, 15)}));
            painter.setBrush(Qt::NoBrush);
            if (glyph == Glyph::Speaker) {
                painter.setPen(QPen(QColor(225, 230, 235), 2));
                painter.drawArc(QRectF(10, 7, 8, 10), -60 * 16, 120 * 16);
                painter.drawArc(QRectF(10, 3, 12, 18), -60 * 16, 120 * 16);
            } else {
                painter.setPen(QPen(QColor(235, 90, 80), 2.5));
                painter.drawLine(QPointF(15, 8), QPointF(22, 16));
                painter.drawLine(QPointF(22, 8), QPointF(15, 16));
            }
            break;
    }
    return QIcon(pixmap);
}

// A display line shows outside text as the screen does, also to assistive
// tools, which know the line by what it holds even while it is empty.
void showLine(QLabel* line, const QString& what, const ShownText& text) {
    showText(line, text);
    setPlainToolTip(line, text);
    const QString name = text.isEmpty() ? what : what + QStringLiteral(": ") + text.text();
    if (line->accessibleName() != name) line->setAccessibleName(name);
}

QToolButton* transportButton(QWidget* parent, QAction* action) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setFixedSize(20, 18);
    button->setIconSize(QSize(12, 12));
    // The window's keys must keep working after a click here.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

MediaPlayerWidget::MediaPlayerWidget(MediaEngine& engine, QWidget* parent)
    : QWidget(parent), engine_(engine) {
    setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    setAccessibleName(tr("Media player"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral(
        "ondrix--MediaPlayerWidget { background: rgb(24,24,28); }"
        "QFrame#display { background: rgb(8,10,14); border: 1px solid rgb(60,60,66); }"
        "QLabel { color: rgb(150,210,255); background: transparent; }"
        "QLabel#streamTitle { color: rgb(230,200,120); }"
        "QToolButton, QSlider { background: transparent; color: rgb(220,220,220); }"
        "QSlider::groove:horizontal { height: 3px; background: rgb(70,70,78); }"
        "QSlider::sub-page:horizontal { background: rgb(80,160,230); }"
        "QSlider::handle:horizontal { background: rgb(205,210,215); width: 8px;"
        " margin: -3px 0; border-radius: 4px; }"
        "QSlider::handle:horizontal:disabled { background: rgb(90,90,96); }"));

    playPauseAction_ = new QAction(glyphIcon(Glyph::Play), tr("Play"), this);
    stopAction_ = new QAction(glyphIcon(Glyph::Stop), tr("Stop"), this);
    muteAction_ = new QAction(glyphIcon(Glyph::Speaker), tr("Mute"), this);
    muteAction_->setCheckable(true);
    volumeUpAction_ = new QAction(tr("Volume up"), this);
    volumeDownAction_ = new QAction(tr("Volume down"), this);

    auto* display = new QFrame(this);
    display->setObjectName(QStringLiteral("display"));
    title_ = new QLabel(display);
    streamTitle_ = new QLabel(display);
    streamTitle_->setObjectName(QStringLiteral("streamTitle"));
    for (QLabel* label : {title_, streamTitle_}) {
        QFont font = label->font();
        font.setPointSize(8);
        label->setFont(font);
        label->setTextFormat(Qt::PlainText);  // titles come from the network
        label->setMinimumWidth(0);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    auto* displayLayout = new QVBoxLayout(display);
    displayLayout->setContentsMargins(4, 0, 4, 1);
    displayLayout->setSpacing(0);
    displayLayout->addSpacing(kOverlayHeight);
    displayLayout->addWidget(title_);
    displayLayout->addWidget(streamTitle_);
    displayLayout->addStretch();

    position_ = new QSlider(Qt::Horizontal, this);
    position_->setRange(0, kPositionSteps);
    position_->setEnabled(false);
    position_->setFocusPolicy(Qt::NoFocus);
    position_->setFixedHeight(10);
    position_->setAccessibleName(tr("Position"));
    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setRange(0, 100);
    volume_->setValue(engine_.volume());
    volume_->setPageStep(kVolumeStep * 2);
    volume_->setFocusPolicy(Qt::NoFocus);
    volume_->setFixedWidth(70);
    setPlainToolTip(volume_, tr("Volume"));
    volume_->setAccessibleName(tr("Volume"));

    playPauseButton_ = transportButton(this, playPauseAction_);
    stopButton_ = transportButton(this, stopAction_);
    muteButton_ = transportButton(this, muteAction_);

    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(2, 0, 2, 1);
    controls->setSpacing(1);
    controls->addWidget(playPauseButton_);
    controls->addWidget(stopButton_);
    controls->addStretch();
    controls->addWidget(muteButton_);
    controls->addWidget(volume_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(display, 1);
    layout->addWidget(position_);
    layout->addLayout(controls);

    setContextMenuPolicy(Qt::ActionsContextMenu);
    addActions({playPauseAction_, stopAction_, muteAction_, volumeUpAction_, volumeDownAction_});

    connect(playPauseAction_, &QAction::triggered, this, &MediaPlayerWidget::playPause);
    stopHandler_ = [this] { engine_.controlsStop(); };
    playHandler_ = [this] { engine_.controlsPlay(); };
    connect(stopAction_, &QAction::triggered, this, [this] { stopHandler_(); });
    connect(muteAction_, &QAction::toggled, this, [this](bool on) { engine_.setMute(on); });
    connect(volumeUpAction_, &QAction::triggered, this,
            [this] { volume_->setValue(volume_->value() + kVolumeStep); });
    connect(volumeDownAction_, &QAction::triggered, this,
            [this] { volume_->setValue(volume_->value() - kVolumeStep); });
    connect(volume_, &QSlider::valueChanged, this, [this](int value) { engine_.setVolume(value); });
    connect(position_, &QSlider::sliderReleased, this, [this] {
        engine_.setCurrentPosition(engine_.duration() * position_->value() / kPositionSteps);
    });

    connect(&engine_, &MediaEngine::playStateChanged, this, &MediaPlayerWidget::showState);
    connect(&engine_, &MediaEngine::titleChanged, this, &MediaPlayerWidget::showTitles);
    connect(&engine_, &MediaEngine::positionChanged, this, &MediaPlayerWidget::showPosition);
    connect(&engine_, &MediaEngine::durationChanged, this, &MediaPlayerWidget::showDuration);
    connect(&engine_, &MediaEngine::volumeChanged, this, &MediaPlayerWidget::showVolume);
    connect(&engine_, &MediaEngine::muteChanged, this, &MediaPlayerWidget::showMute);

    showMute(engine_.mute());
    showState(engine_.playState());
}

QString MediaPlayerWidget::titleText() const {
    return title_->text();
}
QString MediaPlayerWidget::streamTitleText() const {
    return streamTitle_->text();
}

void MediaPlayerWidget::playPause() {
    if (soundOnItsWay(engine_.playState()))
        engine_.controlsPause();
    else
        playHandler_();
}

void MediaPlayerWidget::showState(PlayState state) {
    const bool running = soundOnItsWay(state);
    playPauseAction_->setIcon(glyphIcon(running ? Glyph::Pause : Glyph::Play));
    playPauseAction_->setText(running ? tr("Pause") : tr("Play"));
    if (!running && state != PlayState::Paused) showPosition(0.0);
    showTitles();
}

void MediaPlayerWidget::showTitles() {
    // Both come from the server or the file's tags. A failure, in the
    // engine's own words, leads the title line; the status caption stays.
    const ShownText failure = shownTitle(engine_.failureText());
    const ShownText name = shownTitle(engine_.mediaTitle());
    const ShownText title = failure.isEmpty() ? name : failure + ShownText::own(u": ") + name;
    showLine(title_, tr("Title"), title);
    showLine(streamTitle_, tr("Stream title"), shownTitle(engine_.streamTitle()));
}

void MediaPlayerWidget::showPosition(double seconds) {
    if (position_->isSliderDown()) return;
    const double length = engine_.duration();
    const QSignalBlocker block(position_);
    position_->setValue(
        length > 0.0 ? static_cast<int>(std::lround(seconds / length * kPositionSteps)) : 0);
}

void MediaPlayerWidget::showDuration(double seconds) {
    // A live stream has no length to seek in.
    position_->setEnabled(seconds > 0.0);
    showPosition(engine_.currentPosition());
}

void MediaPlayerWidget::showVolume(int percent) {
    const QSignalBlocker block(volume_);
    volume_->setValue(percent);
}

void MediaPlayerWidget::showMute(bool on) {
    const QSignalBlocker block(muteAction_);
    muteAction_->setChecked(on);
    muteAction_->setIcon(glyphIcon(on ? Glyph::SpeakerMuted : Glyph::Speaker));
}

}  // namespace ondrix
