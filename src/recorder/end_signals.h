#pragma once

class QWidget;

namespace ondrix {

// SIGTERM, SIGINT and SIGHUP close the window the normal way, so that a
// logout or a kill without -9 still finishes the recording.
void closeOnEndSignals(QWidget* window);

}  // namespace ondrix
