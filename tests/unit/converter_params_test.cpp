#include <gtest/gtest.h>

#include "converters/flac.h"
#include "converters/frame.h"
#include "converters/mp3.h"
#include "platform/command_line.h"

namespace {

using namespace ondrix;

QStringList argumentsOf(const QString& parameters) {
    return splitWindowsCommandLine(parameters);
}

TEST(Mp3ParameterText, FixedOptionSetsPutTheNamesAfterTheirOptions) {
    const QString in = QStringLiteral("song.wav");
    const QString out = QStringLiteral(".mp3");
    EXPECT_EQ(cbrParameterText(in, out), QStringLiteral("-h -b 128 song.wav .mp3"));
    EXPECT_EQ(abrParameterText(in, out), QStringLiteral("--preset standard song.wav .mp3"));
    EXPECT_EQ(vbrParameterText(in, out), QStringLiteral("--preset extreme song.wav .mp3"));
    EXPECT_EQ(argumentsOf(cbrParameterText(in, out)),
              (QStringList{"-h", "-b", "128", "song.wav", ".mp3"}));
}

TEST(Mp3ParameterText, UserCodeTakesText3AndOneBlank) {
    EXPECT_EQ(userCodeParameterText("-V4", "song.wav", "song.mp3"),
              QStringLiteral("-V4 song.wav song.mp3"));
    EXPECT_EQ(argumentsOf(userCodeParameterText("-V4", "song.wav", "song.mp3")),
              (QStringList{"-V4", "song.wav", "song.mp3"}));
    EXPECT_EQ(userCodeParameterText("-q 2 --abr 200", "a.wav", "b.mp3"),
              QStringLiteral("-q 2 --abr 200 a.wav b.mp3"));
}

TEST(Mp3ParameterText, EmptyBoxesLeaveTheirSeparatorsInPlace) {
    EXPECT_EQ(cbrParameterText("", ".mp3"), QStringLiteral("-h -b 128  .mp3"));
    EXPECT_EQ(abrParameterText("", ""), QStringLiteral("--preset standard  "));
    EXPECT_EQ(vbrParameterText("song.wav", ""), QStringLiteral("--preset extreme song.wav "));
    EXPECT_EQ(userCodeParameterText("", "song.wav", "song.mp3"),
              QStringLiteral(" song.wav song.mp3"));
    EXPECT_EQ(userCodeParameterText("", "", ""), QStringLiteral("  "));
    // LAME then sees ".mp3" as its input and no output name.
    EXPECT_EQ(argumentsOf(cbrParameterText("", ".mp3")), (QStringList{"-h", "-b", "128", ".mp3"}));
}

TEST(FlacParameterText, LevelsAndTheOutputOption) {
    EXPECT_EQ(smallestParameterText("song.wav", ".flac"), QStringLiteral("-8 song.wav -o .flac"));
    EXPECT_EQ(standardParameterText("song.wav", ".flac"), QStringLiteral("-4 song.wav -o .flac"));
    EXPECT_EQ(largerParameterText("song.wav", ".flac"), QStringLiteral("-0 song.wav -o.flac"));
    EXPECT_EQ(argumentsOf(smallestParameterText("song.wav", ".flac")),
              (QStringList{"-8", "song.wav", "-o", ".flac"}));
    EXPECT_EQ(argumentsOf(largerParameterText("song.wav", ".flac")),
              (QStringList{"-0", "song.wav", "-o.flac"}));
}

TEST(FlacParameterText, EmptyBoxes) {
    EXPECT_EQ(smallestParameterText("song.wav", ""), QStringLiteral("-8 song.wav -o "));
    EXPECT_EQ(largerParameterText("song.wav", ""), QStringLiteral("-0 song.wav -o"));
    EXPECT_EQ(standardParameterText("", "out.flac"), QStringLiteral("-4  -o out.flac"));
    EXPECT_EQ(largerParameterText("", ""), QStringLiteral("-0  -o"));
}

TEST(PickedName, QuotedOnlyWhenItHoldsABlank) {
    EXPECT_EQ(pickedNameText("song.wav"), QStringLiteral("song.wav"));
    EXPECT_EQ(pickedNameText("my song.wav"), QStringLiteral("\"my song.wav\""));
    EXPECT_EQ(pickedNameText("/home/u/My Music/a.wav"),
              QStringLiteral("\"/home/u/My Music/a.wav\""));
    EXPECT_EQ(argumentsOf(cbrParameterText(pickedNameText("my song.wav"), ".mp3")),
              (QStringList{"-h", "-b", "128", "my song.wav", ".mp3"}));
    EXPECT_EQ(argumentsOf(largerParameterText(pickedNameText("my song.wav"), ".flac")),
              (QStringList{"-0", "my song.wav", "-o.flac"}));
}

TEST(OpenFileFilter, KeepsTheExactPatternsOfEachProgram) {
    EXPECT_EQ(
        dialogFilterText(mp3Program().dialogMiddleFilter),
        QStringLiteral("Wave Files (*.wav)|*wav|MP3 Files (*.mp3)|*mp3|All Files (*.*)|*.*| "));
    EXPECT_EQ(qtNameFilters(dialogFilterText(mp3Program().dialogMiddleFilter)),
              (QStringList{"Wave Files (*wav)", "MP3 Files (*mp3)", "All Files (*.*)"}));
    EXPECT_EQ(qtNameFilters(dialogFilterText(flacProgram().dialogMiddleFilter)),
              (QStringList{"Wave Files (*wav)", "Flac Files (*flac)", "All Files (*.*)"}));
    EXPECT_EQ(qtNameFilters("Text|*.txt;*.log"), (QStringList{"Text (*.txt;*.log)"}));
    EXPECT_EQ(qtNameFilters("|*.x|Odd|"), (QStringList{"(*.x)"}));
}

}  // namespace
