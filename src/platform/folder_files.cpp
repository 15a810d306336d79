#include "platform/folder_files.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace ondrix {

QList<QByteArray> listFiles(const QString& folder) {
    // Regular files only: a FIFO or a device would hang a reader, and a
    // broken link holds nothing.
    QList<QByteArray> names;
#ifdef Q_OS_UNIX
    // Read by bytes: Qt leaves out a name that is no UTF-8, which then
    // could never be opened.
    const QByteArray path = QFile::encodeName(folder);
    struct CloseDir {
        void operator()(DIR* dir) const { closedir(dir); }
    };
    const std::unique_ptr<DIR, CloseDir> dir(opendir(path.constData()));
    if (!dir) return names;
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.')) continue;
        struct stat target {};
        const QByteArray full = path + '/' + name;
        if (::stat(full.constData(), &target) == 0 && S_ISREG(target.st_mode)) names << name;
    }
#else
    for (const QString& name : QDir(folder).entryList(QDir::Files)) names << name.toUtf8();
#endif
    std::sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        const int blind = QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive);
        return blind != 0 ? blind < 0 : a < b;
    });
    return names;
}

}  // namespace ondrix
