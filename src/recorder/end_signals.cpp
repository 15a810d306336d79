#include "recorder/end_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QWidget>
#include <csignal>

namespace ondrix {

namespace {

int signalSocket[2] = {-1, -1};

// Only a write is safe in a signal handler; the event loop does the rest.
void onEndSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto sent = ::write(signalSocket[0], &byte, 1);
}

}  // namespace

void closeOnEndSignals(QWidget* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSocket) != 0) return;
    auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalSocket[1], &byte, 1);
        window->close();
    });
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace ondrix
