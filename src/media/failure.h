#pragma once

#include <QString>

namespace ondrix {

// Why an address did not play, as the display and the desktop tell it.
enum class Failure {
    None,
    HttpStatus,  // detail: the status
    ConnectionRefused,
    ServerNotFound,  // the host name does not resolve
    NoAnswer,        // the server took the connection and said nothing
    NothingPlayed,   // detail: the stall limit in seconds
    NotAudio,
    CannotOpen,
    OffTheAir,      // detail: the reconnect limit in seconds
    PlaylistLoop,   // a playlist lists itself, or one already followed
    FailedEntries,  // detail: how many entries of a playlist failed in a row
    Refused,        // detail: the address gate's Refusal
};
struct FailureReason {
    Failure kind = Failure::None;
    int detail = 0;
    bool operator==(const FailureReason&) const = default;
};

// The words for a failure; empty for none.
QString failureText(FailureReason reason);

}  // namespace ondrix
