#include "platform/outside_text.h"
#include "platform/program_folder.h"
#include "player/window.h"
#include "ui/plain_text.h"

namespace ondrix {

void Wavelark::PlayStation(int slot) {
    const StationTable& stations = settings_.stations();
    walk_.left();
    services_.engine.controlsStop();
    services_.engine.setURL(stations.streamUrl[slot], AddressOrigin::StationFile);
    services_.engine.controlsPlay();
    showText(label2, shownTitle(stations.webPage[slot]));
    currentWebPage_ = stations.webPage[slot];
}

void Wavelark::LabelPlay_Click() {
    services_.engine.controlsPlay();
    enablePoller();
}

void Wavelark::LabelStop_Click() {
    services_.engine.controlsStop();
    Timer1->stop();
}

// Every keystroke hands the text so far to the engine, which starts it by
// itself; the last change wins. Blanks around it go, as in "!rkeys.txt": a
// server would be asked for "/mp3%20".
void Wavelark::Text1_Change() {
    walk_.left();
    services_.engine.setURL(Text1->text().trimmed(), AddressOrigin::UrlBox);
}

// The page's text comes from a station file others may have written: only
// a web address opens, never a program or a file it names.
void Wavelark::label2_Click() {
    if (const std::optional<QString> address = webPageAddress(currentWebPage_))
        shellOpen(*address, programFolder());
}

}  // namespace ondrix
