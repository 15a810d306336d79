#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace ondrix {

// The regular files of a folder (or links to one), hidden ones left out,
// in name order regardless of case; empty when the folder cannot be read.
// Names are the file system's bytes (on Windows the name's UTF-8): a name
// need not be UTF-8, and is then still listed.
QList<QByteArray> listFiles(const QString& folder);

}  // namespace ondrix
