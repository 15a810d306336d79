#include <cstdlib>

#include "platform/end_signals.h"
#include "platform/local_time.h"
#include "recorder/capture.h"
#include "recorder/folder_opener.h"
#include "recorder/recording.h"
#include "recorder/single_instance.h"
#include "recorder/window.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

int main(int argc, char** argv) {
    // The window moves itself when dragged, which a Wayland client cannot do.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    ondrix::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("OndrixWRec"));
    // Two recorders would record the same sound twice: a second start brings
    // the first one's window forward instead.
    ondrix::SingleInstance instance(ondrix::userRuntimeFolder());
    if (!instance.claim()) return 0;
    ondrix::installFontSubstitutes();
    ondrix::SystemClock clock;
    ondrix::QtDialogs dialogs;
    ondrix::DesktopFolderOpener opener;
    ondrix::formWRec window(ondrix::makeDesktopCapture, ondrix::musicFolder, clock, dialogs,
                            opener);
    QObject::connect(&instance, &ondrix::SingleInstance::raiseRequested, &window,
                     &ondrix::SuiteWindow::bringToFront);
    // A logout or a kill without -9 still finishes the recording.
    ondrix::onEndSignals(&window, [&window] { window.close(); });
    ondrix::startWindow(window);
    const int status = app.exec();
    // Still recording here means the sound server hangs in a read that
    // nothing can end; the file is valid as it stands.
    if (window.isRecording()) std::_Exit(status);
    return status;
}
