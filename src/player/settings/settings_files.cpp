#include "player/settings/settings_files.h"

#include <QSaveFile>
#include <cmath>

#include "platform/paths.h"
#include "platform/runtime_error.h"
#include "player/settings/field_reader.h"

namespace ondrix {

namespace {
QString wholeTwipsText(double twips) {
    return QString::number(std::llround(twips));
}
}  // namespace

PlayerSettings::PlayerSettings(SettingsHost& host, QString folder)
    : host_(host), folder_(std::move(folder)) {}

QString PlayerSettings::pathOf(const QString& file) const {
    return joinPath(folder_, file);
}

void PlayerSettings::LoadStartPosition() {
    FieldReader reader = FieldReader::open(pathOf(kStartPositionFile), kStartPositionFile);
    startLeft_ = reader.readInt32();
    startTop_ = reader.readInt32();
    host_.setWindowLeft(startLeft_);
    host_.setWindowTop(startTop_);
    // A file written on another desk (or by hand) may name a place no
    // screen here shows; a frameless window there could never be dragged back.
    host_.keepOnScreen();
}

void PlayerSettings::LoadTimeZone() {
    FieldReader reader = FieldReader::open(pathOf(kTimeZoneFile), kTimeZoneFile);
    timeZoneOffset_ = toInt16(reader.readGeneral(), kTimeZoneFile);
}

void PlayerSettings::LoadMovingText() {
    FieldReader reader = FieldReader::open(pathOf(kMovingTextFile), kMovingTextFile);
    marqueeText_ = reader.readGeneral().text;
}

void PlayerSettings::LoadRadioKeys() {
    FieldReader reader = FieldReader::open(pathOf(kRadioKeysFile), kRadioKeysFile);
    std::array<bool, StationTable::kLastSlot + 1> filledNow{};
    int n = 0;
    while (!reader.atEnd()) {
        // Every field in marker position takes a slot number, marker or not.
        ++n;
        if (!reader.readGeneral().text.startsWith(QLatin1Char('+'))) continue;
        if (n > StationTable::kLastSlot) {
            throw RuntimeError(RuntimeError::SubscriptOutOfRange, kRadioKeysFile);
        }
        stations_.name[n] = reader.readText();
        stations_.webPage[n] = reader.readText();
        stations_.streamUrl[n] = reader.readText();
        filledNow[n] = filled_[n] = true;
        if (n <= StationTable::kButtonCount) host_.setStationCaption(n, stations_.name[n]);
    }
    // A station taken out of the file must not play on from an old read:
    // its slot and button go back to how they were before the first one.
    for (int slot = 1; slot <= StationTable::kLastSlot; ++slot) {
        if (!filled_[slot] || filledNow[slot]) continue;
        stations_.name[slot].clear();
        stations_.webPage[slot].clear();
        stations_.streamUrl[slot].clear();
        filled_[slot] = false;
        if (slot <= StationTable::kButtonCount)
            host_.setStationCaption(slot, QStringLiteral("R%1").arg(slot));
    }
}

void PlayerSettings::ReloadSettings() {
    LoadStartPosition();
    LoadTimeZone();
    LoadMovingText();
    LoadRadioKeys();
}

void PlayerSettings::SavePosition() {
    const QByteArray content = (wholeTwipsText(host_.windowLeft()) + QStringLiteral("\r\n") +
                                wholeTwipsText(host_.windowTop()) + QStringLiteral("\r\n"))
                                   .toLatin1();
    // The new content goes to a file beside the old one and replaces it only
    // when complete, so a failed save never damages the saved position.
    // Unbuffered, because a buffered write that the disk cuts short (full,
    // or over a size limit) still lets commit() succeed.
    QSaveFile file(pathOf(kStartPositionFile));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(content) != content.size() || !file.commit()) {
        throw RuntimeError(RuntimeError::PathFileAccessError, kStartPositionFile);
    }
    host_.showInformation(QStringLiteral("Position saved"), QStringLiteral("ondrix"));
}

}  // namespace ondrix
