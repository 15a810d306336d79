#include <cmath>

#include "platform/number_text.h"
#include "platform/paths.h"
#include "player/settings/field_reader.h"
#include "player/window.h"

namespace ondrix {

QString bitRateText(const QString& bitsPerSecond) {
    // Whole kbps: a demuxer's estimate such as 99441 means 96 or 99 to a
    // listener, never "99.441". Nothing known yet shows nothing, not a
    // bare unit.
    const std::optional<double> rate = parseNumber(bitsPerSecond.trimmed());
    if (!rate) return QString();
    return plainDecimalText(std::round(*rate / 1000.0)) + QStringLiteral(" kbps");
}

int stepShuttleIndex(int position, int count, int direction) {
    if (count <= 0) return -1;
    const int to = position + direction;
    if (to >= 0 && to < count) return to;
    // Past either end (or beyond a shorter folder's list) the walk wraps.
    return direction < 0 ? count - 1 : 0;
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
            walkFailures_ = 0;  // what stopped had played: a new round
            shuttleStep();
            break;
        case PlayState::Paused:
            showStatus(Label1, QStringLiteral("Paus"));
            break;
        case PlayState::Playing:
            walkFailures_ = 0;
            showStatus(
                Label1,
                bitRateText(services_.engine.currentMediaItemInfo(QStringLiteral("bitrate"))));
            break;
        case PlayState::Buffering:
            showStatus(Label1, QStringLiteral("Buffering "));
            break;
        case PlayState::Ready:
            showStatus(Label1, QStringLiteral("Ready"));
            // A cover image or a damaged file in an album folder must not end
            // the walk; a folder with nothing playable ends it after one round.
            if (!walkUrl_.isEmpty() && services_.engine.URL() == walkUrl_) {
                walkUrl_.clear();
                if (++walkFailures_ < File1->listCount()) shuttleStep();
            }
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
void Wavelark::shuttleStep(int direction) {
    inShuttleStep_ = true;
    walkUrl_.clear();
    shuttleStepInOrder(direction);
    inShuttleStep_ = false;
}

void Wavelark::shuttleStepInOrder(int direction) {
    if (randomOrderFlag_ == -1) {
        services_.random.reseedFromClock();
        const int count = File1->listCount();
        if (count <= 0) return;
        const int drawn = static_cast<int>(services_.random.next() * count);
        shuttlePosition_ = static_cast<std::int16_t>(std::min(drawn, count - 1));
        File1->setListIndex(shuttlePosition_);
    } else {
        const int next = stepShuttleIndex(shuttlePosition_, File1->listCount(), direction);
        if (next < 0) return;
        File1->setListIndex(next);
    }
    playSelectedFile();
    walkUrl_ = services_.engine.URL();
}

void Wavelark::playSelectedFile() {
    walking_ = true;
    services_.engine.setURL(File1->fileAddress(),
                            inShuttleStep_ ? AddressOrigin::ShuttleStep : AddressOrigin::FileList);
}

void Wavelark::File1_Click() {
    if (!inShuttleStep_) {  // the user's pick is not the walk's, and starts a new one
        walkUrl_.clear();
        walkFailures_ = 0;
    }
    Random_Play_Click();  // the order follows the box from here
    enablePoller();
    shuttlePosition_ = static_cast<std::int16_t>(File1->listIndex());
    playSelectedFile();
}

PlayerState Wavelark::playerState() const {
    return {settings_.stations(), walking_, File1->listCount()};
}

// As the walk goes on by itself when a file ends; a stopped walk starts again.
void Wavelark::stepWalk(int direction) {
    enablePoller();
    shuttleStep(direction);
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
