#include "idle_breakdown.h"

#include <sys/resource.h>

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>

#include "measure.h"
#include "real_player.h"
#include "platform/clock.h"
#include "platform/random_source.h"
#include "platform/runtime_error.h"
#include "platform/shell.h"
#include "player/media/mpv_engine.h"
#include "player/window.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

namespace bench {

namespace {

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Paints labels from an image of each taken once, instead of laying their
// text out again on every paint.
class CachedLabelPainter : public QObject {
  public:
    void add(QLabel* label) {
        images_[label] = label->grab();
        label->installEventFilter(this);
    }
    void removeAll() {
        for (auto& [label, image] : images_) label->removeEventFilter(this);
        images_.clear();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        auto* label = static_cast<QLabel*>(watched);
        QPainter painter(label);
        painter.drawPixmap(0, 0, images_.at(label));
        return true;
    }

  private:
    std::map<QLabel*, QPixmap> images_;
};

// Both scrolling texts drawn by one opaque strip across the window from
// cached images, repainted once per scrolling tick: what a marquee that
// neither lays out text nor moves widgets would cost.
class MarqueeStrip : public QWidget {
  public:
    explicit MarqueeStrip(ondrix::Wavelark& window)
        : QWidget(&window),
          window_(window),
          left_(window.lblScrollL2R->grab()),
          right_(window.lblScrollR2L->grab()),
          background_(window.palette().color(QPalette::Window)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(0, window.lblScrollL2R->y(), window.width(), window.lblScrollL2R->height());
        connect(window.Timer2, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), background_);
        painter.drawPixmap(window_.lblScrollL2R->x(), 0, left_);
        painter.drawPixmap(window_.lblScrollR2L->x(), 0, right_);
    }

  private:
    ondrix::Wavelark& window_;
    QPixmap left_;
    QPixmap right_;
    QColor background_;
};

}  // namespace

int runIdleBreakdown(int& argc, char** argv, const QString& settingsFolder, int seconds) {
    ondrix::GuardedApplication app(argc, argv);
    ondrix::installFontSubstitutes();
    if (!QDir::setCurrent(settingsFolder)) {
        std::fprintf(stderr, "bench: no settings folder %s\n", qPrintable(settingsFolder));
        return 1;
    }
    RealPlayer player;
    if (!player.start()) return 1;
    ondrix::Wavelark& window = player.window;
    runEventLoop(2000);

    const auto measure = [&](const char* name, const std::function<void()>& setUp) {
        for (QTimer* timer : {window.Timer1, window.Timer2, window.Timer3}) timer->start();
        setUp();
        runEventLoop(500);
        const double before = processCpuSeconds();
        runEventLoop(seconds * 1000);
        const double used = processCpuSeconds() - before;
        std::printf("idle breakdown, %s: %.2f %% of one core\n", name, 100.0 * used / seconds);
        std::fflush(stdout);
    };
    measure("as built", [] {});
    measure("without Timer1 (poller)", [&] { window.Timer1->stop(); });
    measure("without Timer2 (scrolling)", [&] { window.Timer2->stop(); });
    CachedLabelPainter cachedPainter;
    measure("scrolling labels painted from a cached image", [&] {
        cachedPainter.add(window.lblScrollL2R);
        cachedPainter.add(window.lblScrollR2L);
    });
    cachedPainter.removeAll();
    measure("one strip painting both scrolling texts from cached images", [&] {
        auto* strip = new MarqueeStrip(window);
        window.lblScrollL2R->hide();
        window.lblScrollR2L->hide();
        strip->show();
    });
    measure("without any timer", [&] {
        for (QTimer* timer : {window.Timer1, window.Timer2, window.Timer3}) timer->stop();
    });
    return 0;
}

}  // namespace bench
