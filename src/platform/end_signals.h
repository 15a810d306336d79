#pragma once

#include <functional>

class QObject;

namespace ondrix {

// SIGTERM, SIGINT and SIGHUP run action on context's event loop, so that a
// logout or a kill without -9 ends the program the normal way. Where the
// system has no such signals, nothing happens.
void onEndSignals(QObject* context, std::function<void()> action);

}  // namespace ondrix
