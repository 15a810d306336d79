#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <optional>

class QWidget;

namespace ondrix {

// The colours and fonts the suite's windows share.
inline const QColor kGrey(128, 128, 128);
inline const QColor kDarkGrey(64, 64, 64);
inline const QColor kLightGrey(224, 224, 224);
inline const QColor kPaleYellow(255, 255, 192);
inline const QColor kLilac(192, 192, 255);
inline const QString kTahoma = QStringLiteral("Tahoma");
inline const QString kSansSerif = QStringLiteral("MS Sans Serif");

// Sets one colour role of a widget; no colour leaves the toolkit's.
void setColour(QWidget* widget, QPalette::ColorRole role, const std::optional<QColor>& colour);

}  // namespace ondrix
