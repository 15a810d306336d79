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
            walk_.played();  // what stopped had played
            shuttleStep();
            break;
        case PlayState::Paused:
            showStatus(Label1, QStringLiteral("Paus"));
            break;
        case PlayState::Playing:
            walk_.played();
            showStatus(
                Label1,
                bitRateText(services_.engine.currentMediaItemInfo(QStringLiteral("bitrate"))));
            break;
        case PlayState::Buffering:
            showStatus(Label1, QStringLiteral("Buffering "));
            break;
        case PlayState::Ready:
            showStatus(Label1, QStringLiteral("Ready"));
            if (walk_.stepsOver(services_.engine.URL(), File1->listCount())) shuttleStep();
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
    const std::optional<int> entry =
        walk_.beginStep(File1->listCount(), direction, services_.random);
    if (entry) {
        File1->setListIndex(*entry);
        playSelectedFile();
    }
    walk_.endStep(entry ? services_.engine.URL() : QString());
}

void Wavelark::playSelectedFile() {
    walk_.fileStarted();
    services_.engine.setURL(File1->fileAddress(), walk_.stepping() ? AddressOrigin::ShuttleStep
                                                                   : AddressOrigin::FileList);
}

void Wavelark::File1_Click() {
    walk_.selected(File1->listIndex());
    Random_Play_Click();  // the order follows the box from here
    enablePoller();
    playSelectedFile();
}

PlayerState Wavelark::playerState() const {
    return {settings_.stations(), walk_.walking(), File1->listCount()};
}

// As the walk goes on by itself when a file ends; a stopped walk starts again.
void Wavelark::stepWalk(int direction) {
    enablePoller();
    shuttleStep(direction);
}

void Wavelark::Random_Play_Click() {
    walk_.setRandom(Random_Play->checkState() == Qt::Checked);
}

void Wavelark::Drive1_Change() {
    Dir1->setPath(Drive1->drive());
}

void Wavelark::Dir1_Change() {
    File1->setPath(Dir1->path());
}

}  // namespace ondrix
