#pragma once

#include <QStringList>

#include "ui/dialogs.h"

namespace ondrix {

// The modal help box: information icon, OK, title "OndrixRadio", the lines
// joined by CR LF with no break after the last. Returns when closed.
QString helpBoxText(const QStringList& lines);
// The lines every help box ends with: how to move the window, the vendor.
QStringList helpBoxEnding();
void showHelpBox(Dialogs& dialogs, QWidget* parent, const QStringList& lines);

}  // namespace ondrix
