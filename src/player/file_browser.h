#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QList>
#include <QListWidget>
#include <QStringList>

#include "ui/pick_list.h"

namespace ondrix {

// The drives a user may pick: "/" and the volumes mounted under /media,
// /mnt and /run/media/USER (on Windows, the drive roots).
QStringList availableDrives();
// The drive (from drives) whose folder holds path: the longest prefix.
QString driveOf(const QString& path, const QStringList& drives);
// What opens a file of the folder by its real name: the joined path, or,
// for a name that is no UTF-8, a file URL that carries its bytes.
QString fileAddress(const QString& folder, const QByteArray& name);
// The sub-folders of a folder, hidden ones left out, in name order
// regardless of case.
QStringList listFolders(const QString& folder);

// Drive list: a combo box of drives; changed() when the user picks another.
// A volume's mount point carries its label, which is outside text: each entry
// shows it visibly and keeps the real path beside it.
class DriveList : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveList(QWidget* parent = nullptr);
    QString drive() const { return currentData().toString(); }
    void setDrive(const QString& drive);

  signals:
    void changed();

  private:
    QString shown_;  // the drive the lists show
};

// Folder list: the chain of folders from the root down to the current one,
// then its sub-folders; activating an entry makes it the current folder.
class FolderList : public QListWidget {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent = nullptr);
    QString path() const { return path_; }
    // Raises changed() when the path differs from the current one.
    void setPath(const QString& path);

  signals:
    void changed();

  private:
    void refill();
    QString path_;
};

// File list: the files of one folder, picked as a PickList.
class FileList : public PickList {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr) : PickList(parent) {}
    QString path() const { return path_; }
    // Shows the folder's files with none selected: a new folder plays nothing.
    void setPath(const QString& path);
    QString fileName() const { return pickedText(); }
    // What opens the picked file by its real name; empty when none is picked.
    QString fileAddress() const;

  private:
    QString path_;
};

}  // namespace ondrix
