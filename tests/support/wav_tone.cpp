#include "support/wav_tone.h"

#include <QDataStream>
#include <QIODevice>
#include <cmath>

namespace testsupport {

QByteArray wavTone(double seconds, double frequencyHz, int rate, int channels) {
    constexpr int bytesPerSample = 2;
    const auto frames = static_cast<quint32>(seconds * rate);
    const quint32 dataSize = frames * channels * bytesPerSample;
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataSize);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(channels) << quint32(rate)
        << quint32(rate * channels * bytesPerSample) << quint16(channels * bytesPerSample)
        << quint16(16);
    out.writeRawData("data", 4);
    out << dataSize;
    for (quint32 i = 0; i < frames; ++i) {
        const auto sample = static_cast<qint16>(8000 * std::sin(2 * M_PI * frequencyHz * i / rate));
        for (int channel = 0; channel < channels; ++channel) out << sample;
    }
    return wav;
}

}  // namespace testsupport
