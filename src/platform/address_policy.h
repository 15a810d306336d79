#pragma once

#include <QString>

namespace ondrix {

// What an address is to a player.
enum class AddressKind {
    Refused,  // never handed to libmpv: a folder, device, descriptor, odd scheme
    File,     // a regular local file, or a link to one
    Network,  // a stream or file on a server
};

// The kind of an address. A local path is looked up in the file system but
// never read: only a regular file (or a link to one) is opened.
AddressKind addressKind(const QString& url);

// Whether an address is a path or uses a file or network scheme.
bool isOpenableScheme(const QString& url);

// Whether an address is a network stream rather than a local file.
bool isNetworkScheme(const QString& url);

}  // namespace ondrix
