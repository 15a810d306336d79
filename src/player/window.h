#pragma once

// The player window's code, by file:
//   layout.cpp    the controls and lines, as a table
//   window.cpp    building the window from it, painting, mouse events, SettingsHost
//   startup.cpp   Form_Load
//   stations.cpp  PlayStation, LabelR1..8, LabelPlay, LabelStop, Text1, label2
//   shuttle.cpp   Timer1 (status poller and shuttle play) and when it runs,
//                 File1, Random_Play, Drive1, Dir1; the walk's own state and
//                 steps are ShuttleWalk's (shuttle_walk.cpp)
//   clock.cpp     Timer3 (clock and second clock), lbltime
//   marquee.cpp   Timer2 (scrolling texts), their captions and places
//   commands.cpp  the keys past the shared ones, LabelRec, LabelExit
// The drag, the place in twips and the key preview are SuiteWindow's.

#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "media/media_engine.h"
#include "platform/local_time.h"
#include "platform/random_source.h"
#include "platform/shell.h"
#include "player/file_browser.h"
#include "player/media_widget.h"
#include "player/player_commands.h"
#include "player/settings/settings_files.h"
#include "player/shuttle_walk.h"
#include "ui/clickable_label.h"
#include "ui/control_table.h"
#include "ui/dialogs.h"
#include "ui/suite_window.h"

namespace ondrix {

class BuiltControls;
class MarqueeStrip;
class UnseenSleep;
class RuntimeError;

// What the player window is given to talk to the outside world.
struct WavelarkServices {
    MediaEngine& engine;
    Shell& shell;
    Clock& clock;
    RandomSource& random;
    Dialogs& dialogs;
};

// The player's surface in twips.
constexpr float kScaleLeft = 0;
constexpr float kScaleWidth = 10260;

// The most characters a scrolling text shows.
constexpr qsizetype kMarqueeLimit = 1024;

// Timer1's interval: the poller's tick runs when the engine reports a change,
// and this often besides.
constexpr int kSafetyPollMs = 1000;

// The radio and shuttle player window: owns its controls and all its state.
// Handlers are public so tests drive them as the events would.
class Wavelark : public SuiteWindow, public SettingsHost, public PlayerCommands {
    Q_OBJECT
  public:
    explicit Wavelark(WavelarkServices services, QWidget* parent = nullptr);
    ~Wavelark() override;

    // Start-up; a failure throws and the caller ends the program.
    void Form_Load() override;

    // Stations and playback.
    void PlayStation(int slot);
    void LabelR1_Click() { PlayStation(1); }
    void LabelR2_Click() { PlayStation(2); }
    void LabelR3_Click() { PlayStation(3); }
    void LabelR4_Click() { PlayStation(4); }
    void LabelR5_Click() { PlayStation(5); }
    void LabelR6_Click() { PlayStation(6); }
    void LabelR7_Click() { PlayStation(7); }
    void LabelR8_Click() { PlayStation(8); }
    void LabelPlay_Click();
    void LabelStop_Click();
    void Text1_Change();
    void label2_Click();

    // Status poller and shuttle play (shuttle.cpp).
    void Timer1_Timer();
    void File1_Click();
    void Random_Play_Click();
    void Drive1_Change();
    void Dir1_Change();

    // Scrolling texts (marquee.cpp).
    void Timer2_Timer();

    // Clock (clock.cpp).
    void Timer3_Timer();
    void lbltime_Click();

    // Recorder, exit; the keys are SuiteWindow's Form_KeyDown.
    void LabelRec_Click();
    void LabelExit_Click();

    // SettingsHost: captions, messages; the window's place is SuiteWindow's.
    void setStationCaption(int button, const QString& caption) override;
    void keepOnScreen() override;
    void showInformation(const QString& text, const QString& title) override;

    // PlayerCommands: what the desktop's media control may ask.
    PlayerState playerState() const override;
    void startStation(int slot) override { PlayStation(slot); }
    void playAgain() override { LabelPlay_Click(); }
    void stopPlaying() override { LabelStop_Click(); }
    void quitPlayer() override { LabelExit_Click(); }
    void bringToFront() override { SuiteWindow::bringToFront(); }
    void stepWalk(int direction) override;

    // Controls, under the names their handlers use.
    ClickableLabel* LabelR[StationTable::kButtonCount] = {};
    ClickableLabel* LabelRec = nullptr;
    ClickableLabel* LabelStop = nullptr;
    ClickableLabel* LabelPlay = nullptr;
    ClickableLabel* LabelExit = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    ClickableLabel* label2 = nullptr;
    QLabel* Label1 = nullptr;
    ClickableLabel* lbltime = nullptr;
    QLabel* lbltid2 = nullptr;
    QLabel* lbltid3 = nullptr;
    QLabel* lblScrollL2R = nullptr;
    QLabel* lblScrollR2L = nullptr;
    QLineEdit* Text1 = nullptr;
    DriveList* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    QCheckBox* Random_Play = nullptr;
    MediaPlayerWidget* WindowsMediaPlayer1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;

    // Window state.
    PlayerSettings& settings() { return settings_; }
    const QString& currentWebPage() const { return currentWebPage_; }
    std::int16_t marqueeStep() const { return marqueeStep_; }
    std::int16_t randomOrderFlag() const { return walk_.randomOrderFlag(); }
    std::int16_t shuttlePosition() const { return walk_.position(); }
    // Scrolling labels' left edges in twips (single precision, as moved).
    float scrollL2RLeft() const { return scrollL2RLeft_; }
    float scrollR2LLeft() const { return scrollR2LLeft_; }
    void setScrollLefts(float l2r, float r2l);

  protected:
    // F2 to F5 and F11; F1 re-reads the settings after its help box.
    void windowKeyDown(int keyCode) override;
    void helpShown() override;
    bool movesOverSurface(const QMouseEvent& event) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Makes one control of the player's own kinds; nullptr for the others.
    QWidget* createControl(const ControlLayout& control);
    void createControls();
    void bindControls(const BuiltControls& controls);
    void connectHandlers();
    void shellOpen(const QString& file, const QString& directory);
    // direction 1 goes on in the list's order, -1 goes back; a random walk
    // draws anew either way.
    void shuttleStep(int direction = 1);
    // Runs the poller's tick once the current handler has ended, if Timer1
    // is on then.
    void pollSoon();
    // Switches Timer1 on; a running poller keeps its rhythm.
    void enablePoller();
    // The texts stand where `ticks` more ticks of Timer2 would put them.
    void catchUpScrolling(std::int64_t ticks);
    // Timer2's steps done by the X server's strip while the window is seen;
    // false where it cannot.
    bool handScrollingToServer();
    // A scrolling label takes the width of its whole caption.
    void setScrollCaption(QLabel* label, const QString& caption);
    // What a reload read is shown as at start-up.
    void showReloadedMarquee();
    void showReloadedClock();
    void playSelectedFile();
    float labelWidthTwips(const QLabel* label) const;
    // Bare window surface: no control there, or the scrolling texts' strip
    // where neither text is.
    bool isSurface(QPoint pixel) const;
    // A settings operation after start-up: a failure is reported and the
    // program goes on with what was loaded.
    void runSettingsOperation(const std::function<void()>& operation);
    void reportFailure(const RuntimeError& error);

    WavelarkServices services_;
    PlayerSettings settings_{*this};
    MarqueeStrip* marquee_ = nullptr;
    UnseenSleep* unseen_ = nullptr;

    std::int16_t marqueeStep_ = 0;
    QString currentWebPage_;
    float scrollL2RLeft_ = 0;
    float scrollR2LLeft_ = 0;
    bool dragFromSurface_ = false;
    bool pollQueued_ = false;
    ShuttleWalk walk_;
};

// Pure rules of the handlers, tested on their own.
QString bitRateText(const QString& bitsPerSecond);
int secondClockHour(int localHour, int offset);
float scrollLeftToRight(float left, float width, float step);
float scrollRightToLeft(float left, float width, float step);
// Where a text at `left` stands after `ticks` ticks of a scrolling rule.
float scrollAfterTicks(const std::function<float(float)>& tick, float left, std::int64_t ticks);
QStringList playerHelpLines();

}  // namespace ondrix
