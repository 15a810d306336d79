#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "player/settings/station_table.h"
#include "ui/window_placement.h"

namespace ondrix {

inline const QString kRadioKeysFile = QStringLiteral("!rkeys.txt");
inline const QString kStartPositionFile = QStringLiteral("!WLKstart.txt");
inline const QString kTimeZoneFile = QStringLiteral("!tzone.txt");
inline const QString kMovingTextFile = QStringLiteral("!moving.txt");
inline const QString kInfoFile = QStringLiteral("infoondrix3.txt");

// What the loaders need of the player window.
class SettingsHost : public virtual WindowPlacement {
  public:
    virtual void setStationCaption(int button, const QString& caption) = 0;
    // Brings the window back onto a screen when its place left none of it
    // in sight.
    virtual void keepOnScreen() = 0;
    // Modal information box; returns when closed.
    virtual void showInformation(const QString& text, const QString& title) = 0;
};

// The player's settings state and the operations that load and save it.
// Every failure throws RuntimeError naming the file; values stored before
// the failure keep their new values.
class PlayerSettings {
  public:
    // folder: where the files are read and written (the current directory).
    PlayerSettings(SettingsHost& host, QString folder = QStringLiteral("."));

    void LoadStartPosition();
    void LoadTimeZone();
    void LoadMovingText();
    void LoadRadioKeys();
    void ReloadSettings();
    void SavePosition();

    const StationTable& stations() const { return stations_; }
    std::int32_t startLeft() const { return startLeft_; }
    std::int32_t startTop() const { return startTop_; }
    std::int16_t timeZoneOffset() const { return timeZoneOffset_; }
    const QString& marqueeText() const { return marqueeText_; }
    const QString& folder() const { return folder_; }

  private:
    QString pathOf(const QString& file) const;

    SettingsHost& host_;
    QString folder_;
    StationTable stations_;
    // Slots some read of the station file has filled and none has cleared.
    std::array<bool, StationTable::kLastSlot + 1> filled_{};
    // Read as 32 bits: a window on a second monitor lies beyond 32767 twips.
    std::int32_t startLeft_ = 0;
    std::int32_t startTop_ = 0;
    std::int16_t timeZoneOffset_ = 0;
    QString marqueeText_;
};

}  // namespace ondrix
