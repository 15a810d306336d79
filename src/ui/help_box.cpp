#include "ui/help_box.h"

#include "ui/vendor.h"

namespace ondrix {

QString helpBoxText(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n"));
}

QStringList helpBoxEnding() {
    const QString rule(22, QLatin1Char('-'));
    return {rule, QStringLiteral("Hold left button on mouse to move"), rule,
            QStringLiteral("VOSKE - OndrixRadio "), vendorSiteAddress()};
}

void showHelpBox(Dialogs& dialogs, QWidget* parent, const QStringList& lines) {
    dialogs.message(parent, helpBoxText(lines), QStringLiteral("OndrixRadio"),
                    MessageIcon::Information);
}

}  // namespace ondrix
