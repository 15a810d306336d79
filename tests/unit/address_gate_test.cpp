// Which addresses reach libmpv, by where they came from.
#include "media/address_gate.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>

#include "support/temp_folder.h"

using namespace ondrix;

namespace {

TEST(AddressGate, OpensByOriginRefusesWhatBindsOrIsNoRegularFile) {
    testsupport::TempFolder folder;
    folder.write(QStringLiteral("a.wav"), "RIFF");
    const QString file = folder.file(QStringLiteral("a.wav"));
    const QString fifo = folder.file(QStringLiteral("fifo.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socketPath = folder.file(QStringLiteral("socket.mp3"));
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un name{};
    name.sun_family = AF_UNIX;
    qstrncpy(name.sun_path, QFile::encodeName(socketPath).constData(), sizeof name.sun_path);
    ASSERT_EQ(::bind(socketFd, reinterpret_cast<sockaddr*>(&name), sizeof name), 0);
    for (const auto& [link, target] : {std::pair{"link.wav", file},
                                       {"broken", folder.file(QStringLiteral("gone"))},
                                       {"zero.mp3", QStringLiteral("/dev/zero")},
                                       {"env.mp3", QStringLiteral("/proc/self/environ")}})
        ASSERT_TRUE(QFile::link(target, folder.file(QString::fromUtf8(link))));

    using O = AddressOrigin;
    const struct {
        O origin;
        QString address;
        std::variant<AddressKind, Refusal> answer;
    } rows[] = {
        // Local files: regular ones only, from every local origin.
        {O::FileList, file, AddressKind::File},
        {O::ShuttleStep, folder.file(QStringLiteral("link.wav")), AddressKind::File},
        {O::UrlBox, QStringLiteral("file://") + file, AddressKind::File},
        {O::LocalPlaylist, file, AddressKind::File},
        {O::StationFile, file, AddressKind::File},
        {O::UrlBox, folder.path(), Refusal::NotAFile},
        {O::UrlBox, QStringLiteral("file://") + folder.path(), Refusal::NotAFile},
        {O::LocalPlaylist, QStringLiteral("/dev/zero"), Refusal::NotAFile},
        {O::LocalPlaylist, fifo, Refusal::NotAFile},
        {O::LocalPlaylist, socketPath, Refusal::NotAFile},
        {O::LocalPlaylist, folder.file(QStringLiteral("zero.mp3")), Refusal::NotAFile},
        {O::LocalPlaylist, folder.file(QStringLiteral("env.mp3")), Refusal::NotAFile},
        {O::LocalPlaylist, QStringLiteral("/proc/self/fd/0"), Refusal::NotAFile},
        {O::ShuttleStep, folder.file(QStringLiteral("broken")), Refusal::NotAFile},
        {O::UrlBox, QStringLiteral("-"), Refusal::NotAFile},
        {O::FileList, folder.file(QStringLiteral("missing.wav")), Refusal::Missing},
        {O::RemotePlaylist, file, Refusal::LocalFromServer},
        {O::RemotePlaylist, QStringLiteral("file:///etc/hostname"), Refusal::LocalFromServer},
        {O::UrlBox, QString(), Refusal::Empty},
        // Streams: clients that connect out, from every origin but the file list.
        {O::StationFile, QStringLiteral("http://radio.example:8000/live"), AddressKind::Network},
        {O::UrlBox, QStringLiteral("HTTPS://radio.example/listen/x.pls"), AddressKind::Network},
        {O::RemotePlaylist, QStringLiteral("https://radio.example/hls/live.m3u8"),
         AddressKind::Network},
        {O::LocalPlaylist, QStringLiteral("rtsp://radio.example/live"), AddressKind::Network},
        {O::StationFile, QStringLiteral("mms://radio.example/live"), AddressKind::Network},
        {O::StationFile, QStringLiteral("rtmp://radio.example/app/live"), AddressKind::Network},
        {O::ShuttleStep, QStringLiteral("http://radio.example/a.mp3"), Refusal::NotLocal},
        {O::UrlBox, QStringLiteral("file://host.example/x.mp3"), Refusal::Scheme},
        // What binds or reaches the player's own files.
        {O::StationFile, QStringLiteral("udp://@:5999"), Refusal::Scheme},
        {O::StationFile, QStringLiteral("rtp://@:5998"), Refusal::Scheme},
        {O::RemotePlaylist, QStringLiteral("srt://:5997?mode=listener"), Refusal::Scheme},
        {O::UrlBox, QStringLiteral("srt://radio.example:5997"), Refusal::Scheme},
        {O::UrlBox, QStringLiteral("tcp://127.0.0.1:5996?listen=1"), Refusal::Scheme},
        {O::StationFile, QStringLiteral("rtmp://radio.example/app live=1 listen=1"),
         Refusal::Listens},
        {O::StationFile, QStringLiteral("http://0.0.0.0:8080/x?listen=1"), Refusal::Listens},
        {O::LocalPlaylist, QStringLiteral("rtsp://radio.example/x?rtsp_flags=listen"),
         Refusal::Listens},
        {O::UrlBox, QStringLiteral("fd://0"), Refusal::Scheme},
        {O::UrlBox, QStringLiteral("fdclose://3"), Refusal::Scheme},
        {O::UrlBox, QStringLiteral("av://lavfi:sine"), Refusal::Scheme},
        {O::LocalPlaylist, QStringLiteral("lavf://udp://@:5999"), Refusal::Scheme},
        {O::UrlBox, QStringLiteral("memory://abc"), Refusal::Scheme},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.address.toStdString() + " from origin " +
                     std::to_string(static_cast<int>(row.origin)));
        const AddressVerdict verdict = admitAddress(row.origin, row.address);
        if (const auto* kind = std::get_if<AddressKind>(&row.answer)) {
            ASSERT_TRUE(std::holds_alternative<Admitted>(verdict));
            EXPECT_EQ(std::get<Admitted>(verdict).kind(), *kind);
            EXPECT_EQ(std::get<Admitted>(verdict).address(), row.address);
        } else {
            ASSERT_TRUE(std::holds_alternative<Refusal>(verdict));
            EXPECT_EQ(std::get<Refusal>(verdict), std::get<Refusal>(row.answer));
        }
    }
    ::close(socketFd);
}

TEST(AddressGate, NetworkAddressesAreToldByTheirScheme) {
    for (const char* address : {"http://x/y", "mms://x/y", "udp://@:1"})
        EXPECT_TRUE(isNetworkAddress(QString::fromUtf8(address))) << address;
    for (const char* address :
         {"/music/a b.mp3", "relative.wav", "C://Music/x.mp3", "file:///x", "not a :// scheme"})
        EXPECT_FALSE(isNetworkAddress(QString::fromUtf8(address))) << address;
}

}  // namespace
