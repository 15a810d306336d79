#include "ui/help_box.h"

namespace ondrix {

QString helpBoxText(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n"));
}

void showHelpBox(Dialogs& dialogs, QWidget* parent, const QStringList& lines) {
    dialogs.message(parent, helpBoxText(lines), QStringLiteral("OndrixRadio"),
                    MessageIcon::Information);
}

}  // namespace ondrix
