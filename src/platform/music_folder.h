#pragma once

#include <QString>

namespace ondrix {

// The user's music folder as the desktop names it (XDG_MUSIC_DIR, else
// ~/Music), when that is a folder other than the home folder; otherwise the
// home folder. The recorder records there, the converters' launcher starts
// them there.
struct MusicFolder {
    QString path;
    bool isMusicFolder = false;  // false: the home folder stands in
};
MusicFolder musicFolder();

}  // namespace ondrix
