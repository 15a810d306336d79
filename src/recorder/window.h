#pragma once

#include <QLabel>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/local_time.h"
#include "recorder/capture.h"
#include "recorder/folder_opener.h"
#include "recorder/level_meter.h"
#include "recorder/recording.h"
#include "ui/control_builder.h"
#include "ui/dialogs.h"
#include "ui/suite_window.h"

namespace ondrix {

class ClickableLabel;
class LevelBar;

// "0:01:05" for a recording of that many bytes of sound.
QString elapsedText(qint64 dataBytes);
// The lines of the recorder's help box.
QStringList recorderHelpLines();

// The recorder's window: it records from the moment it opens, shows the
// folder, file, time, size and level, records again into a new file after
// Stop, and finishes the file however it is closed.
class formWRec : public SuiteWindow {
    Q_OBJECT
  public:
    // makeSource() and folder() are called on the recording thread.
    formWRec(CaptureFactory makeSource, std::function<RecordFolder()> folder, const Clock& clock,
             Dialogs& dialogs, FolderOpener& opener, QWidget* parent = nullptr);

    void Form_Load() override;
    // Stop while recording, Record (a new file) while stopped.
    void LabelStop_Click();
    void LabelOpen_Click();
    void LabelExit_Click();

    // The table's label of that name; nullptr for a name it does not hold.
    QLabel* label(const QString& name) const { return controls_.find<QLabel>(name); }
    LevelBar* levelBar() const { return level_; }
    // The folder recordings go to; empty until the recording thread named it.
    QString folderPath() const { return folderPath_; }
    // The file being written or last written; empty before it exists.
    QString filePath() const { return filePath_; }
    bool isRecording() const { return recording_.isRunning(); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void bindControls();
    void startRecording();
    void onFolderChosen(const QString& path, bool isMusicFolder);
    void onFileStarted(const QString& path);
    void onProgress(qint64 dataBytes, double peak);
    void showLevels();
    void onFinished(const QString& message);

    Dialogs& dialogs_;
    FolderOpener& opener_;
    Recording recording_;
    LevelMeter meter_;
    const BuiltControls controls_;
    QLabel* LabelFolder = nullptr;
    QLabel* LabelFile = nullptr;
    QLabel* LabelTime = nullptr;
    QLabel* LabelSize = nullptr;
    QLabel* LabelLevel = nullptr;
    QLabel* LabelState = nullptr;
    ClickableLabel* LabelStop = nullptr;
    LevelBar* level_ = nullptr;
    QString folderPath_;
    QString filePath_;
    bool closing_ = false;
};

}  // namespace ondrix
