#include "converters/mp3.h"
#include "platform/shell.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

int main(int argc, char** argv) {
    ondrix::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("OndrixMP3"));
    ondrix::installFontSubstitutes();
    ondrix::SystemShell shell;
    ondrix::QtDialogs dialogs;
    ondrix::formMp3 window(shell, dialogs);
    window.show();
    return app.exec();
}
