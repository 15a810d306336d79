#include "player/window.h"

namespace ondrix {

int secondClockHour(int localHour, int offset) {
    // Brought into 0..23 also for offsets of a day or more.
    return ((localHour - offset) % 24 + 24) % 24;
}

void Wavelark::Timer3_Timer() {
    const QString t = services_.clock.now().toString(QStringLiteral("HH:mm:ss"));
    lbltime->setText(t);
    const int offset = settings_.timeZoneOffset();
    if (offset > 0) {
        lbltid2->setText(QString::number(secondClockHour(t.left(2).toInt(), offset)));
        lbltid3->setText(t.mid(2, 6));
        lbltid2->setVisible(true);
        lbltid3->setVisible(true);
        lbltime->setVisible(true);
    }
}

// A reload without a time zone offset hides the second clock; one with an
// offset shows it on the next tick.
void Wavelark::showReloadedClock() {
    if (settings_.timeZoneOffset() <= 0) {
        lbltid2->hide();
        lbltid3->hide();
    }
}

void Wavelark::lbltime_Click() {
    runSettingsOperation([this] {
        settings_.LoadStartPosition();
        settings_.LoadRadioKeys();
    });
}

}  // namespace ondrix
