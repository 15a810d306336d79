#include "cadence_floor.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QTime>
#include <QTimer>
#include <array>
#include <memory>

#include "player/layout.h"
#include "player/settings/settings_files.h"
#include "player/window.h"
#include "ui/fonts.h"
#include "ui/suite_look.h"
#include "ui/twips.h"
#include "ui/x11_strip.h"

namespace bench {

namespace {

// The player's bottom strip, in twips.
constexpr int kStripTop = 2520;
constexpr int kStripHeight = 240;
constexpr int kStepPixels = 2;
constexpr int kStepMs = 20;

// The player's two captions at start: its own and the moving text of the
// settings folder (the current directory), in the player's font, so that
// as many pixels move as in the player.
std::array<QString, 2> playerCaptions() {
    class NoWindow : public ondrix::SettingsHost {
        double windowLeft() const override { return 0; }
        double windowTop() const override { return 0; }
        void setWindowLeft(double) override {}
        void setWindowTop(double) override {}
        void setStationCaption(int, const QString&) override {}
        void keepOnScreen() override {}
        void showInformation(const QString&, const QString&) override {}
    } host;
    ondrix::PlayerSettings settings(host);
    settings.LoadMovingText();
    return {QStringLiteral("VOSKE CARE - since 1985 "), settings.marqueeText()};
}

class Strip : public QWidget {
  public:
    Strip(QWidget* parent, FloorMode mode) : QWidget(parent), mode_(mode) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        const QFont font = ondrix::fontAt96Dpi(ondrix::kSansSerif, 9.75, false);
        const std::array<QString, 2> captions = playerCaptions();
        for (int i = 0; i < 2; ++i) {
            QPixmap& text = texts_[i];
            text = QPixmap(QFontMetrics(font).horizontalAdvance(captions[i]),
                           ondrix::twipsToPixels(kStripHeight));
            text.fill(Qt::lightGray);
            QPainter painter(&text);
            painter.setFont(font);
            painter.drawText(text.rect(), Qt::AlignLeft, captions[i]);
        }
    }

    // One text to the right, the other to the left, each coming back at the
    // far edge once it has left the strip.
    static void stepLefts(std::array<int, 2>& lefts, const std::array<int, 2>& textWidths,
                          int stripWidth) {
        const std::array<int, 2> moves = {kStepPixels, -kStepPixels};
        for (int i = 0; i < 2; ++i) {
            lefts[i] += moves[i];
            if (lefts[i] > stripWidth) lefts[i] = -textWidths[i];
            if (lefts[i] + textWidths[i] < 0) lefts[i] = stripWidth;
        }
    }

    bool movesOnItsOwn() const { return x11_ != nullptr; }

    void step() {
        // On the X server the texts move on the strip's own thread.
        if (x11_) return;
        const std::array<int, 2> before = lefts_;
        stepLefts(lefts_, {texts_[0].width(), texts_[1].width()}, width());
        for (int i = 0; i < 2; ++i) {
            const int move = i == 0 ? kStepPixels : -kStepPixels;
            const bool wrapped = lefts_[i] != before[i] + move;
            const QRect was(before[i], 0, texts_[i].width(), height());
            const QRect after(lefts_[i], 0, texts_[i].width(), height());
            if (mode_ == FloorMode::Scroll && !wrapped) {
                // The window system moves the text's pixels; only the
                // columns it uncovers are painted.
                scroll(move, 0, was.united(after));
            } else {
                update(was.united(after));
            }
        }
    }

  protected:
    void showEvent(QShowEvent*) override {
        if (mode_ != FloorMode::Windows || x11_) return;
        x11_ = ondrix::X11Strip::over(window(), geometry());
        if (!x11_) return;
        QImage surface(size(), QImage::Format_RGB32);
        surface.fill(Qt::gray);
        x11_->setSurface(surface);
        for (int i = 0; i < 2; ++i) x11_->addImage(texts_[i].toImage(), QPoint(lefts_[i], 0));
        // The player's way: the server moves each text's window and fills
        // what it uncovers, at steps counted on a thread of the strip's own.
        x11_->startMotion(
            kStepMs,
            [lefts = lefts_, widths = std::array<int, 2>{texts_[0].width(), texts_[1].width()},
             stripWidth = width()](std::vector<QPoint>& places) mutable {
                stepLefts(lefts, widths, stripWidth);
                places.assign({QPoint(lefts[0], 0), QPoint(lefts[1], 0)});
            });
    }

    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.setClipRegion(event->region());
        painter.fillRect(event->rect(), Qt::gray);
        for (int i = 0; i < 2; ++i) painter.drawPixmap(lefts_[i], 0, texts_[i]);
    }

  private:
    FloorMode mode_;
    std::array<QPixmap, 2> texts_;
    std::unique_ptr<ondrix::X11Strip> x11_;
    std::array<int, 2> lefts_{0, ondrix::twipsToPixels(ondrix::kScaleWidth)};
};

}  // namespace

int runCadenceFloor(int& argc, char** argv, FloorMode mode) {
    QApplication app(argc, argv);
    ondrix::installFontSubstitutes();
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    const ondrix::WindowLayout& layout = ondrix::wavelarkWindowLayout();
    window.setFixedSize(ondrix::twipsToPixels(layout.clientWidth),
                        ondrix::twipsToPixels(layout.clientHeight));
    auto* clock = new QLabel(&window);
    clock->setGeometry(ondrix::twipsRect(3960, 720, 1815, 495));
    auto* strip = new Strip(&window, mode);
    strip->setGeometry(ondrix::twipsRect(0, kStripTop, ondrix::kScaleWidth, kStripHeight));

    QTimer poll, scroll, time;
    poll.setInterval(ondrix::kSafetyPollMs);
    scroll.setInterval(kStepMs);
    time.setInterval(500);
    QObject::connect(&poll, &QTimer::timeout, [] {});
    QObject::connect(&scroll, &QTimer::timeout, strip, &Strip::step);
    QObject::connect(&time, &QTimer::timeout, clock, [clock] {
        clock->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    });
    window.show();
    poll.start();
    if (!strip->movesOnItsOwn()) scroll.start();
    time.start();
    return app.exec();
}

}  // namespace bench
