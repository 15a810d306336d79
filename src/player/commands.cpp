#include <QCoreApplication>
#include <QDir>

#include "platform/program_folder.h"
#include "platform/runtime_error.h"
#include "player/window.h"
#include "ui/help_box.h"
#include "ui/key_command.h"
#include "ui/vendor.h"

namespace ondrix {

QStringList playerHelpLines() {
    return QStringList{QStringLiteral("F1 = this help & refresh"),
                       QStringLiteral("F2  = Info file  "),
                       QStringLiteral("F3  = Radiokeys file  "),
                       QStringLiteral("F4  = Timezone file  "),
                       QStringLiteral("F5  = Moving text file  "),
                       QStringLiteral("F6  = ") + vendorWebDomain() + QStringLiteral("  "),
                       QStringLiteral("F11 = Save Postition "),
                       QStringLiteral("F12 = Exit this program ")} +
           helpBoxEnding();
}

void Wavelark::runSettingsOperation(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const RuntimeError& error) {
        reportFailure(error);
    }
}

void Wavelark::helpShown() {
    runSettingsOperation([this] { settings_.ReloadSettings(); });
    showReloadedMarquee();
    showReloadedClock();
}

void Wavelark::windowKeyDown(int keyCode) {
    // The settings files open from the folder they are read from.
    const QString settingsFolder = QDir::toNativeSeparators(QDir::currentPath());
    switch (keyCode) {
        case kKeyF2:
            shellOpen(kInfoFile, settingsFolder);
            break;
        case kKeyF3:
            shellOpen(kRadioKeysFile, settingsFolder);
            break;
        case kKeyF4:
            shellOpen(kTimeZoneFile, settingsFolder);
            break;
        case kKeyF5:
            shellOpen(kMovingTextFile, settingsFolder);
            break;
        case kKeyF11:
            runSettingsOperation([this] { settings_.SavePosition(); });
            break;
        default:
            break;
    }
}

void Wavelark::LabelRec_Click() {
    const ShellResult result =
        services_.shell.run(static_cast<WindowHandle>(winId()), QStringLiteral("OndrixWRec.exe"),
                            ParameterText(), programFolder(), QByteArray());
    if (result == ShellResult::NotFound) {
        services_.dialogs.message(
            this,
            missingProgramText(QStringLiteral("The recorder OndrixWRec"), QStringLiteral("ondrix"),
                               QStringLiteral("OndrixWRec.exe"),
                               QStringLiteral("ondrixWavelark31")),
            QCoreApplication::applicationName(), MessageIcon::Critical);
    }
}

void Wavelark::LabelExit_Click() {
    exitProgram();
}

}  // namespace ondrix
