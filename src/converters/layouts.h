#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace ondrix {

enum class ControlKind { TextBox, FileList, Label, CommandLabel, Picture };

// One control of a converter window; places and sizes in twips.
struct ControlLayout {
    QString name;
    ControlKind kind;
    QString caption;  // caption, start text or, for the picture, its resource
    QString toolTip;
    int left, top, width, height;
    std::optional<QColor> background;
    std::optional<QColor> textColor;  // empty: the toolkit's default
    QString fontFamily;
    double fontPoints = 0;
    bool bold = true;
    int tabIndex = -1;  // -1: the picture, which has none
    bool rightAligned = false;
};

// A line the window paints itself: end points in twips, width in pixels.
struct LineLayout {
    QString name;
    int x1, y1, x2, y2;
    int widthPixels;
};

struct WindowLayout {
    int clientWidth, clientHeight;  // twips
    QColor background;
    QStringList iconResources;
    std::vector<ControlLayout> controls;
    std::vector<LineLayout> lines;
    QString focusAtStart;
};

const WindowLayout& mp3WindowLayout();
const WindowLayout& flacWindowLayout();

}  // namespace ondrix
