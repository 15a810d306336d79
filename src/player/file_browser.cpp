#include "player/file_browser.h"

#include <QDir>
#include <QStorageInfo>
#include <algorithm>

#include "platform/outside_text.h"

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

QStringList listFiles(const QString& folder) {
    // Regular files only: a FIFO or a device would hang the player, and a
    // broken link plays nothing.
    return QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QStringList listFolders(const QString& folder) {
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    addItems(availableDrives());
    // Picking the drive already shown is no change.
    connect(this, &QComboBox::activated, this, [this](int) {
        if (currentText() == shown_) return;
        shown_ = currentText();
        emit changed();
    });
}

void DriveList::setDrive(const QString& drive) {
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
    shown_ = currentText();
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
    setEntries(listFiles(path_));
}

}  // namespace ondrix
