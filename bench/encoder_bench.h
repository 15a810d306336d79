#pragma once

#include <QString>

namespace bench {

// Encoder start: clicks on "CD Q" in OndrixMP3's window, each timed until the
// started encoder has created markerFile, against starting the same program
// directly. encoderScript is the "lame.exe" the shell finds on PATH; it
// creates markerFile as its first act.
struct EncoderOptions {
    QString markerFile;
    QString encoderScript;
    int clicks = 20;
};
int runEncoderBench(int& argc, char** argv, const EncoderOptions& options);

}  // namespace bench
