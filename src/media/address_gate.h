#pragma once

#include <QString>
#include <utility>
#include <variant>

namespace ondrix {

// Where an address comes from; what it may name depends on it.
enum class AddressOrigin {
    StationFile,     // a stream URL of the station file
    UrlBox,          // typed into the URL box
    FileList,        // a file clicked in the file list
    ShuttleStep,     // the next file of a Shuttle Play walk
    LocalPlaylist,   // an entry of a playlist read from this machine
    RemotePlaylist,  // an entry of a playlist a server sent
};

enum class AddressKind {
    File,     // a regular local file, or a link to one
    Network,  // a stream or file on a server
};

// Why the gate refused an address.
enum class Refusal {
    Empty,
    Scheme,           // a scheme that reaches the process's own files, runs filters or binds
    Listens,          // an option that makes the address accept connections or datagrams
    Missing,          // no such file
    NotAFile,         // a folder, device, FIFO, socket, or a file of /dev, /proc or /sys
    LocalFromServer,  // a local file named by a server's playlist
    NotLocal,         // a network address where only local files come from
};

// The words the player shows for a refusal; empty for Empty.
QString refusalText(Refusal refusal);

// An address the gate let through: only admitAddress makes one, and only the
// engine's load takes one.
class Admitted {
  public:
    const QString& address() const { return address_; }
    AddressKind kind() const { return kind_; }
    bool network() const { return kind_ == AddressKind::Network; }
    bool operator==(const Admitted&) const = default;

  private:
    friend std::variant<Admitted, Refusal> admitAddress(AddressOrigin, const QString&);
    Admitted(QString address, AddressKind kind) : address_(std::move(address)), kind_(kind) {}
    QString address_;
    AddressKind kind_;
};

using AddressVerdict = std::variant<Admitted, Refusal>;

// The one gate every address passes before libmpv opens it. A local path is
// looked up in the file system but never opened: only a regular file (or a
// link to one) outside /dev, /proc and /sys passes. A network address passes
// only with a scheme of a client that connects out (http, https, rtsp, mms,
// rtmp and their aliases), never one that binds (udp, rtp, srt) or an option
// that listens. A server's playlist names only network addresses; the file
// list and the shuttle only local files.
AddressVerdict admitAddress(AddressOrigin origin, const QString& address);

// Whether an address names a network stream rather than a local file, by its
// scheme alone.
bool isNetworkAddress(const QString& address);

// The libavformat protocols a demuxer may open by itself (the segments of an
// HLS playlist, the streams an SDP description lists): the clients of the
// schemes the gate admits, and nothing that binds.
const char* openableProtocols();

}  // namespace ondrix
