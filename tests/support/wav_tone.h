#pragma once

#include <QByteArray>

namespace testsupport {

// A WAV file of a sine tone in 16-bit PCM, as the recorder writes and the
// encoders and players read it.
QByteArray wavTone(double seconds, double frequencyHz = 440.0, int rate = 44100, int channels = 2);

}  // namespace testsupport
