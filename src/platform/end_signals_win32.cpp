#include "platform/end_signals.h"

namespace ondrix {

// A Windows program is ended through its window, which closes as usual.
void onEndSignals(QObject*, std::function<void()>) {}

}  // namespace ondrix
