#pragma once

#include <QString>

namespace ondrix {

// The vendor's web site, opened by F6 and shown in the help boxes.
inline QString vendorSiteAddress() {
    return QStringLiteral("www.ondrix.example");
}
// The site address without its leading host label.
inline QString vendorWebDomain() {
    return QStringLiteral("ondrix.example");
}

}  // namespace ondrix
