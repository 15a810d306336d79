#include "converters/layouts.h"

#include "ui/suite_look.h"

namespace ondrix {

namespace {

ControlLayout textBox(const char* name, const char* text, const char* tip, int left, int top,
                      int width, int height, QColor back, const QString& family, double points,
                      int tab) {
    return {QString::fromLatin1(name),
            ControlKind::TextBox,
            QString::fromLatin1(text),
            QString::fromLatin1(tip),
            left,
            top,
            width,
            height,
            back,
            std::nullopt,
            family,
            points,
            true,
            tab};
}

ControlLayout fileList(const char* name, int left, int top, const QString& family, int tab) {
    return {QString::fromLatin1(name),
            ControlKind::FileList,
            QString(),
            QStringLiteral("Click to choose Wave file"),
            left,
            top,
            1695,
            2490,
            kLightGrey,
            std::nullopt,
            family,
            9.75,
            true,
            tab};
}

ControlLayout label(const char* name, ControlKind kind, const char* caption, const char* tip,
                    int left, int top, int width, int height, QColor back, QColor text,
                    double points, bool bold, int tab, bool right = false) {
    return {QString::fromLatin1(name),
            kind,
            QString::fromLatin1(caption),
            QString::fromLatin1(tip),
            left,
            top,
            width,
            height,
            back,
            text,
            kTahoma,
            points,
            bold,
            tab,
            right};
}

ControlLayout command(const char* name, const char* caption, const char* tip, int left, int top,
                      int width, QColor text, int tab) {
    return label(name, ControlKind::CommandLabel, caption, tip, left, top, width, 375, kDarkGrey,
                 text, 12, true, tab);
}

ControlLayout picture(const char* resource, int left, int top, int width, int height) {
    return {QStringLiteral("Image1"),
            ControlKind::Picture,
            QString::fromLatin1(resource),
            QStringLiteral("Exit"),
            left,
            top,
            width,
            height,
            std::nullopt,
            std::nullopt,
            QString(),
            0,
            false,
            -1};
}

}  // namespace

const WindowLayout& mp3WindowLayout() {
    static const WindowLayout layout{
        5700,
        3270,
        kGrey,
        {QStringLiteral(":/icons/ondrixmp3-16.png"), QStringLiteral(":/icons/ondrixmp3-32.png"),
         QStringLiteral(":/icons/ondrixmp3-48.png")},
        {
            textBox("Text3", "-V4", "Put Lame code here", 2040, 1680, 1575, 375, kPaleYellow,
                    kSansSerif, 9.75, 4),
            textBox("Text1", "", "Input file", 1920, 480, 2535, 375, kLightGrey, kSansSerif, 12, 2),
            textBox("Text2", ".mp3", "Name your output file", 2040, 1080, 3495, 375, kLilac,
                    kSansSerif, 12, 1),
            fileList("File2", 120, 480, kSansSerif, 0),
            label("Label4", ControlKind::Label, "mp3 convert", "", 3840, 120, 1695, 255, kGrey,
                  kPaleYellow, 12, true, 12, true),
            label("Label2", ControlKind::Label, "VOSKE", "", 120, 120, 1095, 255, kGrey,
                  kPaleYellow, 12, true, 11),
            command("LblVBR", "Extrem", "VBR", 3840, 2640, 1695, kLilac, 10),
            command("LblABR", "DVD Q", "ABR", 3840, 2160, 1695, kLilac, 9),
            command("LblCBR", "CD Q", "CBR", 3840, 1680, 1695, kLilac, 8),
            command("LblFiles", "Files", "Open Folder", 2040, 2640, 1575, kPaleYellow, 7),
            command("LblMake", "User Code", "Your code abve", 2040, 2160, 1575, kPaleYellow, 6),
            picture(":/logos/mp3-logo.png", 4560, 480, 1050, 540),
            label("Label3", ControlKind::Label, "User Lame Code", "", 2160, 1440, 1575, 255, kGrey,
                  kLilac, 9.75, false, 5),
            label("Label1", ControlKind::Label, "Output file name", "", 2160, 840, 1455, 255, kGrey,
                  kLilac, 9.75, false, 3),
        },
        {
            {QStringLiteral("Line7"), 1920, 960, 1920, 3120, 3},
            {QStringLiteral("Line6"), 0, 480, 5760, 480, 4},
            {QStringLiteral("Line5"), 3720, 1440, 3720, 3240, 3},
            {QStringLiteral("Line4"), 0, 0, 0, 3240, 5},
            {QStringLiteral("Line3"), 5640, 0, 5640, 3240, 5},
            {QStringLiteral("Line2"), 0, 0, 5640, 0, 5},
            {QStringLiteral("Line1"), 0, 3240, 5640, 3240, 5},
        },
        QStringLiteral("File2"),
    };
    return layout;
}

const WindowLayout& flacWindowLayout() {
    static const WindowLayout layout{
        5325,
        3285,
        kGrey,
        {QStringLiteral(":/icons/ondrixflac-16.png"), QStringLiteral(":/icons/ondrixflac-32.png"),
         QStringLiteral(":/icons/ondrixflac-48.png")},
        {
            textBox("Text1", "", "Input file here", 1920, 600, 3255, 375, kLightGrey, kSansSerif,
                    9.75, 2),
            fileList("File1", 120, 600, kTahoma, 1),
            textBox("Text2", ".flac", "Output file name here", 2040, 1320, 3135, 375, kPaleYellow,
                    kTahoma, 12, 0),
            picture(":/logos/flac-logo.png", 2040, 1800, 1320, 660),
            command("lblComp8", "Smallest", "Slow ( Level 8 )", 3480, 2760, 1695, kLilac, 9),
            command("lblComp5", "Standard", "Standard  ( Level 4 )", 3480, 2280, 1695, kLilac, 8),
            command("LblComp0", "Larger", "Fast ( Level 0 )", 3480, 1800, 1695, kLilac, 7),
            command("LblFiles", "Files", "Open Folder", 2040, 2760, 1335, kPaleYellow, 6),
            label("Label4", ControlKind::Label, "flac convert", "", 3480, 120, 1695, 255, kGrey,
                  kPaleYellow, 12, true, 5, true),
            label("Label2", ControlKind::Label, "VOSKE", "", 240, 120, 1095, 255, kGrey,
                  kPaleYellow, 12, true, 4),
            label("Label1", ControlKind::Label, "Output flie name :", "", 2040, 1080, 1695, 255,
                  kGrey, kPaleYellow, 9.75, true, 3),
        },
        {
            {QStringLiteral("Line7"), 1920, 1080, 1920, 3240, 4},
            {QStringLiteral("Line5"), 0, 480, 5760, 480, 4},
            {QStringLiteral("Line4"), 0, 0, 5760, 0, 5},
            {QStringLiteral("Line3"), 5280, 0, 5280, 3240, 5},
            {QStringLiteral("Line2"), 0, 0, 5760, 0, 4},
            {QStringLiteral("Line6"), -360, 3240, 5400, 3240, 5},
            {QStringLiteral("Line1"), 0, 0, 0, 3240, 10},
        },
        QStringLiteral("Text2"),
    };
    return layout;
}

}  // namespace ondrix
