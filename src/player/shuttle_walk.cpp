#include "player/shuttle_walk.h"

#include <algorithm>

namespace ondrix {

int stepShuttleIndex(int position, int count, int direction) {
    if (count <= 0) return -1;
    const int to = position + direction;
    if (to >= 0 && to < count) return to;
    // Past either end (or beyond a shorter folder's list) the walk wraps.
    return direction < 0 ? count - 1 : 0;
}

std::optional<int> ShuttleWalk::beginStep(int count, int direction, RandomSource& random) {
    inStep_ = true;
    started_.clear();
    if (randomOrderFlag_ == -1) {
        random.reseedFromClock();
        if (count <= 0) return std::nullopt;
        const int drawn = static_cast<int>(random.next() * count);
        position_ = static_cast<std::int16_t>(std::min(drawn, count - 1));
        return position_;
    }
    const int next = stepShuttleIndex(position_, count, direction);
    if (next < 0) return std::nullopt;
    return next;
}

void ShuttleWalk::endStep(const QString& started) {
    started_ = started;
    inStep_ = false;
}

void ShuttleWalk::selected(int index) {
    if (!inStep_) {
        started_.clear();
        failures_ = 0;
    }
    position_ = static_cast<std::int16_t>(index);
}

bool ShuttleWalk::stepsOver(const QString& engineUrl, int count) {
    // A cover image or a damaged file in an album folder must not end the
    // walk; a folder with nothing playable ends it after one round.
    if (started_.isEmpty() || engineUrl != started_) return false;
    started_.clear();
    return ++failures_ < count;
}

}  // namespace ondrix
