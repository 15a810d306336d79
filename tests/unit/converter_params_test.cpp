#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "converters/flac.h"
#include "converters/frame.h"
#include "converters/mp3.h"
#include "platform/command_line.h"
#include "support/temp_folder.h"

namespace {

using namespace ondrix;

QStringList argumentsOf(const ParameterText& parameters) {
    QStringList arguments;
    for (const QByteArray& argument : parameters.arguments())
        arguments << QString::fromUtf8(argument);
    return arguments;
}

// Text as the boxes hold it.
ParameterText typed(const char* text) {
    return QString::fromUtf8(text);
}

// What each encoder receives from the boxes: the texts as Windows splits
// them. An empty box leaves its blank, which then splits to nothing: LAME
// sees ".mp3" as its input and no output name.
TEST(ParameterText, EachLabelsTextSplitsIntoTheEncodersArguments) {
    const ParameterText song = typed("song.wav");
    const struct {
        ParameterText text;
        QStringList arguments;
    } rows[] = {
        {cbrParameterText(song, typed(".mp3")), {"-h", "-b", "128", "song.wav", ".mp3"}},
        {abrParameterText(song, typed(".mp3")), {"--preset", "standard", "song.wav", ".mp3"}},
        {vbrParameterText(song, typed(".mp3")), {"--preset", "extreme", "song.wav", ".mp3"}},
        {userCodeParameterText("-q 2 --abr 200", typed("a.wav"), typed("b.mp3")),
         {"-q", "2", "--abr", "200", "a.wav", "b.mp3"}},
        {cbrParameterText(typed(""), typed(".mp3")), {"-h", "-b", "128", ".mp3"}},
        {abrParameterText(typed(""), typed("")), {"--preset", "standard"}},
        {vbrParameterText(song, typed("")), {"--preset", "extreme", "song.wav"}},
        {userCodeParameterText("", song, typed("song.mp3")), {"song.wav", "song.mp3"}},
        {userCodeParameterText("", typed(""), typed("")), {}},
        {smallestParameterText(song, typed(".flac")), {"-8", "song.wav", "-o", ".flac"}},
        {standardParameterText(song, typed(".flac")), {"-4", "song.wav", "-o", ".flac"}},
        {largerParameterText(song, typed(".flac")), {"-0", "song.wav", "-o.flac"}},
        {smallestParameterText(song, typed("")), {"-8", "song.wav", "-o"}},
        {standardParameterText(typed(""), typed("out.flac")), {"-4", "-o", "out.flac"}},
        {largerParameterText(typed(""), typed("")), {"-0", "-o"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(argumentsOf(row.text), row.arguments) << row.text.text().toStdString();
}

TEST(PickedName, ReachesTheEncoderAsOneArgumentAndNeverAsAnOption) {
    for (const QString name : {"song.wav", "my song.wav", "quo\"te.wav", "tab\tname.wav",
                               "-my dash.wav", "/home/u/-x.wav", "/home/u/My Music/a.wav"}) {
        SCOPED_TRACE(name.toStdString());
        const QString arrives = name.startsWith(QLatin1Char('-')) ? "./" + name : name;
        EXPECT_EQ(argumentsOf(cbrParameterText(pickedNameText(name.toUtf8()), typed("out.mp3"))),
                  (QStringList{"-h", "-b", "128", arrives, "out.mp3"}));
        EXPECT_EQ(argumentsOf(largerParameterText(pickedNameText(name.toUtf8()), typed("o.flac"))),
                  (QStringList{"-0", arrives, "-oo.flac"}));
    }
}

TEST(OutputName, AnExtensionAloneTakesTheInputsNameWrittenTheSameWay) {
    struct Case {
        const char *input, *output, *expected;
    };
    const Case cases[] = {
        {"a.wav", ".mp3", "a.mp3"},
        {"/music/b/song.wav", ".mp3", "/music/b/song.mp3"},
        {"\"my tone.wav\"", ".mp3", "\"my tone.mp3\""},
        {R"("quo\"te.wav")", ".flac", R"("quo\"te.flac")"},
        {"./-dash.wav", ".mp3", "./-dash.mp3"},
        {"-typed.wav", ".mp3", "./-typed.mp3"},
        {"a.b.wav", ".FLAC", "a.b.FLAC"},
        {"noext", ".mp3", "noext.mp3"},
        {"/music/.wav", ".mp3", "/music/.wav.mp3"},
        // Anything else is left as the boxes hold it.
        {"", ".mp3", ".mp3"},
        {"my tone.wav", ".mp3", ".mp3"},
        {"a.wav", "b.mp3", "b.mp3"},
        {"a.wav", "", ""},
        {"a.wav", ".", "."},
        {"a.wav", ".x.mp3", ".x.mp3"},
        {"a.wav", ".mp3 ", ".mp3 "},
        {"a.wav", "./.mp3", "./.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " | " + c.output);
        EXPECT_EQ(outputNameText(typed(c.input), QString::fromUtf8(c.output)).text(),
                  QString::fromUtf8(c.expected));
    }
    const ParameterText input = pickedNameText("my tone.wav");
    EXPECT_EQ(argumentsOf(cbrParameterText(input, outputNameText(input, ".mp3"))),
              (QStringList{"-h", "-b", "128", "my tone.wav", "my tone.mp3"}));
    EXPECT_EQ(argumentsOf(largerParameterText(input, outputNameText(input, ".flac"))),
              (QStringList{"-0", "my tone.wav", "-omy tone.flac"}));
}

TEST(OpenFileFilter, KeepsTheExactPatternsOfEachProgram) {
    EXPECT_EQ(
        dialogFilterText(mp3Program().dialogMiddleFilter),
        QStringLiteral("Wave Files (*.wav)|*wav|MP3 Files (*.mp3)|*mp3|All Files (*.*)|*.*| "));
    // The description as written; the last parentheses hold what is matched.
    EXPECT_EQ(qtNameFilters(dialogFilterText(mp3Program().dialogMiddleFilter)),
              (QStringList{"Wave Files (*.wav) (*wav)", "MP3 Files (*.mp3) (*mp3)",
                           "All Files (*.*) (*)"}));
    EXPECT_EQ(qtNameFilters(dialogFilterText(flacProgram().dialogMiddleFilter)),
              (QStringList{"Wave Files (*.wav) (*wav)", "Flac Files (*.flac) (*flac)",
                           "All Files (*.*) (*)"}));
    EXPECT_EQ(qtNameFilters("Text|*.txt;*.log"), (QStringList{"Text (*.txt *.log)"}));
    EXPECT_EQ(qtNameFilters("|*.x|Odd|"), (QStringList{"(*.x)"}));
}

}  // namespace

namespace {

using testsupport::TempFolder;

TEST(EncoderOutput, TheFileEachEncoderWritesFromTheBoxesArguments) {
    using Rule = std::optional<QByteArray> (*)(const QList<QByteArray>&, const QList<QByteArray>&);
    const struct {
        Rule rule;
        QList<QByteArray> inputs, outputs;
        std::optional<QByteArray> written;
    } cases[] = {
        {lameOutputArgument, {"a.wav"}, {"b.mp3"}, "b.mp3"},
        {lameOutputArgument, {"a"}, {"b.wav", "c.mp3"}, std::nullopt},  // LAME: excess arg
        {lameOutputArgument, {"in", "b.wav"}, {}, "b.wav"},
        // Only an input: LAME names the output itself.
        {lameOutputArgument, {"a.wav"}, {}, "a.mp3"},
        {lameOutputArgument, {"dir/A.WAV"}, {}, "dir/A.mp3"},
        {lameOutputArgument, {"x.abc"}, {}, "x.abc.mp3"},
        {lameOutputArgument, {".wav"}, {}, ".wav.mp3"},
        {flacOutputArgument, {"a.wav"}, {"a.flac"}, "a.flac"},
        {flacOutputArgument, {}, {"o.flac", "in.wav"}, "o.flac"},
        {flacOutputArgument, {"a.wav"}, {}, std::nullopt},
        {flacOutputArgument, {"a.wav", "b.wav"}, {"o.flac"}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.inputs.join('|') + " / " + c.outputs.join('|')).toStdString());
        EXPECT_EQ(c.rule(c.inputs, c.outputs), c.written);
    }
}

TEST(EncoderInput, OnlyRegularFilesCountAndOnlyAWaveHeaderIsAWavFile) {
    TempFolder folder;
    folder.write(QStringLiteral("tone.wav"), QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16));
    folder.write(QStringLiteral("fake.wav"), "just some text\n");
    folder.write(QStringLiteral("short.wav"), "RIFF");
    folder.write(QStringLiteral("avi.wav"), QByteArray("RIFF\x24\0\0\0AVI LIST", 16));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("music.wav")));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.file(QStringLiteral("pipe.wav"))), 0600), 0);
    QFile::link(folder.file(QStringLiteral("tone.wav")), folder.file(QStringLiteral("link.wav")));
    for (const QString name : {"tone.wav", "link.wav"})
        EXPECT_TRUE(isWaveFile(QFile::encodeName(folder.file(name)))) << name.toStdString();
    for (const QString name : {"fake.wav", "short.wav", "avi.wav", "music.wav", "pipe.wav"})
        EXPECT_FALSE(isWaveFile(QFile::encodeName(folder.file(name)))) << name.toStdString();
    // Typed and picked names alike, relative to the encoder's folder; a
    // name of nothing is the encoder's to report.
    EXPECT_EQ(firstNonFile({"-V4", "tone.wav", "missing.wav", "link.wav"}, folder.path()),
              std::nullopt);
    for (const QByteArray name : {"pipe.wav", "music.wav", "/dev/null", "."})
        EXPECT_EQ(firstNonFile({"tone.wav", name}, folder.path()), name);
}

TEST(EncoderInput, TheNameLimitIsTheFileSystemsInBytesAndLongNamesShowTheirEnds) {
    TempFolder folder;
    EXPECT_TRUE(nameFitsFileSystem(QFile::encodeName(folder.file(QString(255, QLatin1Char('a'))))));
    // 128 two-byte letters are 256 bytes.
    EXPECT_FALSE(nameFitsFileSystem(QFile::encodeName(folder.file(QString(128, QChar(0xe9))))));
    const QString shown = shownShortName(QByteArray(200, 'x') + "END.wav").text();
    EXPECT_LE(shown.size(), 80);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("END.wav")));
}

}  // namespace
