#pragma once

// The names and reply tags the libmpv core uses with its handle, shared by
// its commands (mpv_core.cpp) and its event translation (mpv_core_events.cpp).

#include <cstdint>

namespace ondrix::mpvnames {

namespace property {
inline constexpr const char* kPause = "pause";
inline constexpr const char* kPausedForCache = "paused-for-cache";
inline constexpr const char* kTrackList = "track-list";
inline constexpr const char* kMetadata = "metadata";
inline constexpr const char* kAudioBitrate = "audio-bitrate";
inline constexpr const char* kMediaTitle = "media-title";
inline constexpr const char* kTimePos = "time-pos";
inline constexpr const char* kDuration = "duration";
inline constexpr const char* kFileSize = "file-size";
inline constexpr const char* kSeekable = "seekable";
inline constexpr const char* kIdleActive = "idle-active";
inline constexpr const char* kVolume = "volume";
inline constexpr const char* kMute = "mute";
inline constexpr const char* kNetworkTimeout = "network-timeout";
inline constexpr const char* kStreamOpenFilename = "stream-open-filename";
inline constexpr const char* kFileFormat = "file-format";
}  // namespace property

// Keys inside the nodes libmpv hands back.
namespace key {
inline constexpr const char* kPlaylistEntryId = "playlist_entry_id";
inline constexpr const char* kType = "type";
inline constexpr const char* kSelected = "selected";
inline constexpr const char* kDemuxBitrate = "demux-bitrate";
inline constexpr const char* kIcyBitrate = "icy-br";
inline constexpr const char* kIcyTitle = "icy-title";
inline constexpr const char* kIcyName = "icy-name";
inline constexpr const char* kTitle = "title";
}  // namespace key

// reply_userdata of observed properties.
enum Observed : std::uint64_t {
    kPauseId = 1,
    kPausedForCacheId,
    kTrackListId,
    kMetadataId,
    kAudioBitrateId,
    kMediaTitleId,
    kTimePosId,
    kDurationId,
    kPolledDurationId,  // asked for with the position, not observed
    kFileSizeId,
    kSeekableId,
    kIdleActiveId,
    kVolumeId,
    kMuteId,
    kFileFormatId,
};

// The hook libmpv calls before it opens each entry, and the reply_userdata
// of the address asked for under it, which carries the hook's id.
inline constexpr const char* kOnLoadHook = "on_load";
inline constexpr std::uint64_t kOnLoadHookId = 100;
inline constexpr std::uint64_t kOpeningTag = uint64_t{1} << 41;
// reply_userdata of the address set in place of a refused entry's.
inline constexpr std::uint64_t kRefusedTag = uint64_t{1} << 42;
// No protocol has this scheme: libmpv fails the entry without any I/O.
inline constexpr const char* kOpensNothing = "refused://";

// reply_userdata of a loadfile carries its tag above this bit.
inline constexpr std::uint64_t kLoadTag = uint64_t{1} << 40;

}  // namespace ondrix::mpvnames
