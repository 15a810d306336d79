// Which addresses a player hands to libmpv, and as what.
#include "platform/address_policy.h"

#include <gtest/gtest.h>

#include <QFile>

#include "support/temp_folder.h"

using namespace ondrix;

namespace {

TEST(EngineAddress, OnlyRegularFilesAndNetworkSchemesAreOpened) {
    testsupport::TempFolder folder;
    folder.write(QStringLiteral("a.wav"), "RIFF");
    const QString file = folder.file(QStringLiteral("a.wav"));
    ASSERT_TRUE(QFile::link(file, folder.file(QStringLiteral("link.wav"))));
    ASSERT_TRUE(
        QFile::link(folder.file(QStringLiteral("gone")), folder.file(QStringLiteral("broken"))));
    const std::pair<QString, AddressKind> cases[] = {
        {file, AddressKind::File},
        {folder.file(QStringLiteral("link.wav")), AddressKind::File},
        {QStringLiteral("file://") + file, AddressKind::File},
        {QStringLiteral("http://example.org:8000/live"), AddressKind::Network},
        {QStringLiteral("HTTPS://x/y.pls"), AddressKind::Network},
        {folder.path(), AddressKind::Refused},
        {QStringLiteral("/"), AddressKind::Refused},
        {QStringLiteral("file://") + folder.path(), AddressKind::Refused},
        {folder.file(QStringLiteral("broken")), AddressKind::Refused},
        {folder.file(QStringLiteral("missing.wav")), AddressKind::Refused},
        {QStringLiteral("/dev/null"), AddressKind::Refused},
        {QStringLiteral("/proc/self/fd/0"), AddressKind::Refused},
        {QStringLiteral("-"), AddressKind::Refused},
        {QStringLiteral("fd://0"), AddressKind::Refused},
        {QStringLiteral("fdclose://3"), AddressKind::Refused},
        {QStringLiteral("av://lavfi:sine"), AddressKind::Refused},
        {QString(), AddressKind::Refused},
    };
    for (const auto& [address, kind] : cases)
        EXPECT_EQ(addressKind(address), kind) << address.toStdString();
}

TEST(AddressScheme, OnlyPathsFileAndNetworkSchemesAreOpenable) {
    for (const char* address :
         {"/music/a b.mp3", "relative.wav", "C:\\Music\\x.mp3", "mms://x/y", "not a :// scheme"})
        EXPECT_TRUE(isOpenableScheme(QString::fromUtf8(address))) << address;
    for (const char* address : {"memory://abc", "lavfi://sine", "edl://a.wav"})
        EXPECT_FALSE(isOpenableScheme(QString::fromUtf8(address))) << address;
    EXPECT_FALSE(isNetworkScheme(QStringLiteral("file:///x")));
    EXPECT_FALSE(isNetworkScheme(QStringLiteral("/x/y.mp3")));
}

}  // namespace
