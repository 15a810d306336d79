#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "support/fuzz_entries.h"
#include "support/suite_paths.h"

namespace {

using Entry = QString (*)(const std::uint8_t*, std::size_t);

struct FuzzTarget {
    const char* name;  // its folder under tests/fuzz/corpus and tests/fuzz/regressions
    const char* label;
    Entry entry;
};

class FuzzInputs : public ::testing::TestWithParam<FuzzTarget> {};

// The seeds and every input that once broke a target go through the same
// entry as under the fuzzer, so a fixed fault stays fixed in the normal run.
TEST_P(FuzzInputs, KeptInputsAreHandledSoundly) {
    const FuzzTarget target = GetParam();
    int replayed = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        const QDir folder(testsupport::sourcePath(QStringLiteral("tests/fuzz/%1/%2"))
                              .arg(QLatin1String(kind), QLatin1String(target.name)));
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            const QByteArray input = file.readAll();
            EXPECT_EQ(target
                          .entry(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                 static_cast<std::size_t>(input.size()))
                          .toStdString(),
                      "")
                << kind << '/' << name.toStdString();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no inputs kept for " << target.name;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs,
                         ::testing::Values(FuzzTarget{"settings_files", "SettingsFiles",
                                                      &testsupport::fuzzSettingsFiles},
                                           FuzzTarget{"command_line", "CommandLine",
                                                      &testsupport::fuzzCommandLine}),
                         [](const auto& target) { return std::string(target.param.label); });

}  // namespace
