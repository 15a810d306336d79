#pragma once

#include <QString>

namespace bench {

// Start-up: the time from starting a process to its first audio, for the
// player (ondrix_bench_player, beside this program) and for mpv on the same
// stream, alternated over several runs.
struct StartupOptions {
    QString settingsFolder;
    QString url;
    QString firstAudioScript;  // Lua script that makes mpv print "first-audio"
    int runs = 5;
};
int runStartupBench(const StartupOptions& options);

// Station switch: clicks on LabelR2 and LabelR1 in turn, each timed until the
// engine plays the new stream, against mpv's loadfile on the same streams.
struct SwitchOptions {
    QString settingsFolder;  // stations 1 and 2 are urlA and urlB
    QString urlA;
    QString urlB;
    QString socketPath;
    QString audioOutput;  // empty: the player's own default, as shipped
    int switches = 20;
};
int runSwitchBench(int& argc, char** argv, const SwitchOptions& options);

}  // namespace bench
