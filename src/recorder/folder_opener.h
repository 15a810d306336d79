#pragma once

#include <QString>

namespace ondrix {

// Shows a folder in the desktop's file manager; never waits for it.
class FolderOpener {
  public:
    virtual ~FolderOpener() = default;
    virtual void openFolder(const QString& path) = 0;
};

// The desktop's opener, xdg-open, started detached.
class DesktopFolderOpener : public FolderOpener {
  public:
    void openFolder(const QString& path) override;
};

}  // namespace ondrix
