#include "media/failure.h"

#include <utility>

#include "media/address_gate.h"

namespace ondrix {

QString failureText(FailureReason reason) {
    switch (reason.kind) {
        case Failure::None:
            return QString();
        case Failure::HttpStatus: {
            static const std::pair<int, const char*> phrases[] = {
                {400, "Bad request"},    {401, "Not authorized"},
                {403, "Forbidden"},      {404, "Not found"},
                {410, "Gone"},           {500, "Server error"},
                {502, "Bad gateway"},    {503, "Service unavailable"},
                {504, "Gateway timeout"}};
            const char* phrase = "HTTP error";
            for (const auto& [status, words] : phrases)
                if (status == reason.detail) phrase = words;
            return QStringLiteral("%1 (%2)").arg(QLatin1String(phrase)).arg(reason.detail);
        }
        case Failure::ConnectionRefused:
            return QStringLiteral("Connection refused");
        case Failure::ServerNotFound:
            return QStringLiteral("Server not found");
        case Failure::NoAnswer:
            return QStringLiteral("No answer from the server");
        case Failure::NothingPlayed:
            return QStringLiteral("Nothing played within %1 s").arg(reason.detail);
        case Failure::NotAudio:
            return QStringLiteral("Not an audio stream");
        case Failure::CannotOpen:
            return QStringLiteral("Cannot open this address");
        case Failure::OffTheAir:
            return QStringLiteral("Off the air: gave up after %1 s").arg(reason.detail);
        case Failure::PlaylistLoop:
            return QStringLiteral("Playlist lists itself");
        case Failure::FailedEntries:
            return QStringLiteral("Playlist: %1 entries in a row failed").arg(reason.detail);
        case Failure::Refused:
            return refusalText(static_cast<Refusal>(reason.detail));
    }
    return QString();
}

}  // namespace ondrix
