#include "player/file_browser.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <algorithm>
#include <utility>

#include "platform/folder_files.h"
#include "platform/outside_text.h"
#include "platform/paths.h"

namespace ondrix {

QStringList availableDrives() {
    QStringList drives;
#ifdef Q_OS_WIN
    for (const QFileInfo& root : QDir::drives()) drives << QDir::toNativeSeparators(root.path());
#else
    drives << QStringLiteral("/");
    const QString user = qEnvironmentVariable("USER");
    const QStringList bases = {QStringLiteral("/media/"), QStringLiteral("/mnt/"),
                               QStringLiteral("/run/media/") + user + QLatin1Char('/')};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        const bool removable = std::any_of(bases.begin(), bases.end(), [&](const QString& base) {
            return root.startsWith(base) && root.size() > base.size();
        });
        if (removable && !drives.contains(root)) drives << root;
    }
    std::sort(drives.begin() + 1, drives.end());
#endif
    return drives;
}

QString driveOf(const QString& path, const QStringList& drives) {
    const QString target = QDir::cleanPath(QDir::fromNativeSeparators(path));
    QString best = drives.isEmpty() ? QString() : drives.constFirst();
    qsizetype bestLength = -1;
    for (const QString& drive : drives) {
        const QString root = QDir::cleanPath(QDir::fromNativeSeparators(drive));
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        if ((target == root || target.startsWith(prefix)) && root.size() > bestLength) {
            best = drive;
            bestLength = root.size();
        }
    }
    return best;
}

QString fileAddress(const QString& folder, const QByteArray& name) {
    const QString decoded = QString::fromUtf8(name);
    if (decoded.toUtf8() == name) return joinPath(folder, decoded);
    return QStringLiteral("file://") +
           QString::fromLatin1((QFile::encodeName(QDir(folder).absolutePath()) + '/' + name)
                                   .toPercentEncoding("/"));
}

QStringList listFolders(const QString& folder) {
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    for (const QString& drive : availableDrives()) addItem(shownName(drive).text(), drive);
    // Picking the drive already shown is no change.
    connect(this, &QComboBox::activated, this, [this](int) {
        if (drive() == shown_) return;
        shown_ = drive();
        emit changed();
    });
}

void DriveList::setDrive(const QString& drive) {
    int index = findData(drive);
    if (index < 0) {
        addItem(shownName(drive).text(), drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
    shown_ = drive;
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(item->data(Qt::UserRole).toString()); });
}

void FolderList::setPath(const QString& path) {
    const QString clean = QDir::toNativeSeparators(QDir::cleanPath(QDir(path).absolutePath()));
    if (clean == path_) return;
    path_ = clean;
    refill();
    emit changed();
}

void FolderList::refill() {
    clear();
    // The chain from the root down to the current folder, indented by depth.
    QStringList chain;
    for (QDir dir(path_);;) {
        chain.prepend(QDir::toNativeSeparators(dir.absolutePath()));
        if (dir.isRoot() || !dir.cdUp()) break;
    }
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = depth == 0 ? folder : QDir(folder).dirName();
        auto* item =
            new QListWidgetItem(QString(depth, QLatin1Char(' ')) + shownName(name).text(), this);
        item->setData(Qt::UserRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);
    for (const QString& sub : listFolders(path_)) {
        auto* item =
            new QListWidgetItem(QString(depth, QLatin1Char(' ')) + shownName(sub).text(), this);
        item->setData(Qt::UserRole, QDir(path_).filePath(sub));
    }
}

void FileList::setPath(const QString& path) {
    path_ = QDir::toNativeSeparators(QDir::cleanPath(QDir(path).absolutePath()));
    // A name that is no UTF-8 shows with U+FFFD and keeps its address.
    QList<std::pair<ShownText, QString>> entries;
    for (const QByteArray& name : listFiles(path_)) {
        const QString decoded = QString::fromUtf8(name);
        entries.append({shownName(name),
                        decoded.toUtf8() == name ? decoded : ondrix::fileAddress(path_, name)});
    }
    setEntries(entries);
}

QString FileList::fileAddress() const {
    QString picked = pickedText();  // not const: returned by move
    if (picked.isEmpty() || picked.startsWith(QLatin1String("file://"))) return picked;
    return joinPath(path_, picked);
}

}  // namespace ondrix
