#include "platform/number_text.h"
#include "platform/paths.h"
#include "player/settings/field_reader.h"
#include "player/window.h"

namespace ondrix {

QString bitRateText(const QString& bitsPerSecond) {
    const std::optional<double> rate = parseNumber(bitsPerSecond.trimmed());
    if (!rate) return QStringLiteral("kbps");
    return plainDecimalText(*rate / 1000.0) + QStringLiteral(" kbps");
}

int nextShuttleIndex(int position, int count) {
    if (count <= 0) return -1;
    const int next = position + 1;
    // Past the end (or beyond a shorter folder's list) the folder starts over.
    return next >= 0 && next < count ? next : 0;
}

namespace {
// The caption is rewritten on every tick; writing the text it already shows
// must not cost a relayout and repaint.
void showStatus(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}
}  // namespace

void Wavelark::Timer1_Timer() {
    switch (services_.engine.playState()) {
        case PlayState::Stopped:
            showStatus(Label1, QStringLiteral("Stopped"));
            shuttleStep();
            break;
        case PlayState::Paused:
            showStatus(Label1, QStringLiteral("Paus"));
            break;
        case PlayState::Playing:
            showStatus(
                Label1,
                bitRateText(services_.engine.currentMediaItemInfo(QStringLiteral("bitrate"))));
            break;
        case PlayState::Buffering:
            showStatus(Label1, QStringLiteral("Buffering "));
            break;
        case PlayState::Ready:
            showStatus(Label1, QStringLiteral("Ready"));
            break;
        case PlayState::Reconnecting:
            showStatus(Label1, QStringLiteral("Reconnect"));
            break;
        default:
            break;
    }
}

// Queued, not run inside the engine's signal: a station change stops the
// engine (Stopped) and gives it the new address in one handler, and a tick in
// between would start the shuttle. Changes that come together make one tick,
// and Timer1 switched off (Stop) keeps it from running.
void Wavelark::pollSoon() {
    if (pollQueued_) return;
    pollQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            pollQueued_ = false;
            if (Timer1->isActive()) Timer1_Timer();
        },
        Qt::QueuedConnection);
}

void Wavelark::enablePoller() {
    if (!Timer1->isActive()) Timer1->start();
}

// Selecting the entry runs File1_Click nested, which stores the position and
// starts the file; the URL is then set once more, as the step always does.
void Wavelark::shuttleStep() {
    if (randomOrderFlag_ == -1) {
        services_.random.reseedFromClock();
        const int count = File1->listCount();
        if (count <= 0) return;
        const int drawn = static_cast<int>(services_.random.next() * count);
        shuttlePosition_ = static_cast<std::int16_t>(std::min(drawn, count - 1));
        File1->setListIndex(shuttlePosition_);
    } else {
        const int next = nextShuttleIndex(shuttlePosition_, File1->listCount());
        if (next < 0) return;
        File1->setListIndex(next);
    }
    playSelectedFile();
}

void Wavelark::playSelectedFile() {
    services_.engine.setURL(joinPath(File1->path(), File1->fileName()));
}

void Wavelark::File1_Click() {
    Random_Play_Click();  // the order follows the box from here
    enablePoller();
    shuttlePosition_ = static_cast<std::int16_t>(File1->listIndex());
    playSelectedFile();
}

void Wavelark::Random_Play_Click() {
    randomOrderFlag_ = Random_Play->checkState() == Qt::Checked ? -1 : 0;
}

void Wavelark::Drive1_Change() {
    Dir1->setPath(Drive1->drive());
}

void Wavelark::Dir1_Change() {
    File1->setPath(Dir1->path());
}

}  // namespace ondrix
