#include "converters/flac.h"
#include "platform/shell.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

int main(int argc, char** argv) {
    ondrix::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("OndrixFlac"));
    ondrix::installFontSubstitutes();
    ondrix::SystemShell shell;
    ondrix::QtDialogs dialogs;
    ondrix::formFlac window(shell, dialogs);
    window.show();
    return app.exec();
}
