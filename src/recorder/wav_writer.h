#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

namespace ondrix {

// "OndrixRec-YYYYMMDD-HHMMSS" for the local start time.
QString recordingBaseName(const QDateTime& start);

// The 44-byte header of a 16-bit PCM WAV file in the recorder's format
// holding dataBytes of samples.
QByteArray wavHeader(quint32 dataBytes);

// Writes one recording. The header's sizes are rewritten after every piece
// of data, so that the file is a valid WAV at every moment, holding all that
// was written when the program dies without finishing it; the disk gets it
// every half second, so that a power cut loses no more.
class WavWriter {
  public:
    // How often the file is handed to the disk, in bytes of sound.
    static constexpr qint64 kSyncBytes = 44100 * 4 / 2;

    ~WavWriter();

    // Makes a new file in the folder, named for the start time; an existing
    // file is never replaced: "-1", "-2" ... go after the name instead.
    // False with error() set when the folder takes no new file.
    bool create(const QString& folder, const QDateTime& start);
    // False with error() set when the data could not all be written (a full
    // disk): the file then ends validly after the last whole frame written,
    // and the writer takes nothing more.
    bool append(const char* data, qint64 bytes);
    // Rewrites the header's sizes and hands the file to the disk.
    bool sync();
    // Finishes the file; further calls do nothing.
    void close();

    QString path() const { return file_.fileName(); }
    QString error() const { return error_; }
    qint64 dataBytes() const { return dataBytes_; }

  private:
    bool countData();  // rewrites the header's sizes
    bool fail(const QString& what);

    QFile file_;
    QString error_;
    qint64 dataBytes_ = 0;
    qint64 unsyncedBytes_ = 0;
};

}  // namespace ondrix
