#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace ondrix {

enum class ControlKind {
    TextBox,
    FileList,
    Label,
    CommandLabel,
    Picture,
    DriveList,
    FolderList,
    CheckBox,
    MediaPlayer,
    LevelBar,
};

// One control of a window; places and sizes in twips.
struct ControlLayout {
    QString name{};
    ControlKind kind = ControlKind::Label;
    QString caption{};  // caption, start text or, for the picture, its resource
    QString toolTip{};
    // What assistive tools call a control whose caption does not name it (a
    // text box by the label beside it, a list by what it lists); a picture is
    // named by its tool tip.
    QString accessibleName{};
    int left = 0, top = 0, width = 0, height = 0;
    std::optional<QColor> background{};
    std::optional<QColor> textColor{};  // empty: the toolkit's default
    QString fontFamily{};
    double fontPoints = 0;
    bool bold = true;
    int tabIndex = -1;  // -1: not in the tab order the window sets
    bool rightAligned = false;
    // The desktop's colour for this role, read when the window is built;
    // takes the place of background.
    std::optional<QPalette::ColorRole> systemBackground = std::nullopt;
    bool visible = true;
    bool handCursor = false;
    // A caption too wide for the control is cut short.
    bool elideWhenWide = false;
    // Lies in the strip along the bottom edge in which texts scroll.
    bool scrolls = false;
    // A caption too long for one line goes on in the next.
    bool wordWrap = false;
    // Part of the window's surface: the pointer over it drags the window.
    bool surface = false;
};

// A line the window paints itself: end points in twips, width in pixels.
struct LineLayout {
    QString name{};
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int widthPixels = 1;
};

struct WindowLayout {
    int clientWidth = 0, clientHeight = 0;  // twips
    QColor background{};
    QStringList iconResources{};
    std::vector<ControlLayout> controls{};
    std::vector<LineLayout> lines{};
    QString focusAtStart{};  // empty: the toolkit's choice
    // The desktop's colour for this role is the window's text and lines
    // colour, read when the window is built; empty: the toolkit's default.
    std::optional<QPalette::ColorRole> systemText = std::nullopt;
};

}  // namespace ondrix
