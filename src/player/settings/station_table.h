#pragma once

#include <QString>
#include <array>

namespace ondrix {

// Stations read from "!rkeys.txt": slots 0 to 120, slot 0 never used; slots
// 1 to 8 belong to the station buttons.
struct StationTable {
    static constexpr int kLastSlot = 120;
    static constexpr int kButtonCount = 8;

    std::array<QString, kLastSlot + 1> name;
    std::array<QString, kLastSlot + 1> webPage;
    std::array<QString, kLastSlot + 1> streamUrl;
};

}  // namespace ondrix
