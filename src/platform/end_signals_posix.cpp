#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

#include "platform/end_signals.h"

namespace ondrix {

namespace {

int signalSocket[2] = {-1, -1};

// Only a write is safe in a signal handler; the event loop does the rest.
void onEndSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto sent = ::write(signalSocket[0], &byte, 1);
}

}  // namespace

void onEndSignals(QObject* context, std::function<void()> action) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSocket) != 0) return;
    auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [action = std::move(action)] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalSocket[1], &byte, 1);
        action();
    });
    struct sigaction handler {};
    handler.sa_handler = onEndSignal;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &handler, nullptr);
}

}  // namespace ondrix
