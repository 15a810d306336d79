#pragma once

#include <QApplication>

namespace ondrix {

// Made before the application: with no session bus announced, none is
// ever launched for the program or what it starts.
struct NoSessionBusLaunched {
    NoSessionBusLaunched();
};

// Exceptions never cross Qt's event loop: an error that no handler dealt
// with is shown in a message box naming it, and the program ends with a
// non-zero status.
class GuardedApplication : private NoSessionBusLaunched, public QApplication {
  public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the fatal error box and ends the process with status 1.
[[noreturn]] void failAndExit(const QString& message);

}  // namespace ondrix
