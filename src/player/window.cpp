#include "player/window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>

#include "platform/outside_text.h"
#include "platform/runtime_error.h"
#include "player/layout.h"
#include "player/marquee_strip.h"
#include "ui/control_builder.h"
#include "ui/fonts.h"
#include "ui/key_command.h"
#include "ui/on_screen.h"
#include "ui/plain_text.h"
#include "ui/twips.h"
#include "ui/unseen_sleep.h"

namespace ondrix {

namespace {

// The left and top of a fresh start, as the default settings give them.
constexpr double kFreshStartTwips = 1500;

// The strip along the bottom edge in which the two texts scroll, in twips.
constexpr int kScrollStripTop = 2520;
constexpr int kScrollStripHeight = 240;

}  // namespace

Wavelark::Wavelark(WavelarkServices services, QWidget* parent)
    : SuiteWindow(wavelarkWindowLayout(), {services.dialogs, playerHelpLines(), &services.shell},
                  Qt::Window | Qt::FramelessWindowHint, parent),
      services_(services) {
    setObjectName(QStringLiteral("Wavelark"));
    setWindowTitle(QString());
    createControls();
    // No title bar shows a title, the title row does: assistive tools name
    // the window by it.
    setAccessibleName(Label3->text());
    connectHandlers();
    Timer1->start();
    Timer2->start();
    Timer3->start();
}

// The sleeper's calls reach into this window, whose members are gone by the
// time the base class hides it: it must not see that hide.
Wavelark::~Wavelark() {
    delete unseen_;
}

QWidget* Wavelark::createControl(const ControlLayout& control) {
    switch (control.kind) {
        case ControlKind::MediaPlayer:
            return new MediaPlayerWidget(services_.engine, this);
        case ControlKind::DriveList:
            return new DriveList(this);
        case ControlKind::FolderList:
            return new FolderList(this);
        case ControlKind::FileList:
            return new FileList(this);
        case ControlKind::Label:
            if (!control.scrolls) return nullptr;
            if (!marquee_) {
                marquee_ = new MarqueeStrip(this, wavelarkWindowLayout().lines);
                marquee_->setGeometry(twipsRect(0, kScrollStripTop, static_cast<int>(kScaleWidth),
                                                kScrollStripHeight));
            }
            return marquee_->addText(control.caption);
        default:
            return nullptr;
    }
}

void Wavelark::createControls() {
    bindControls(buildControls(
        wavelarkWindowLayout(), this,
        [this](const ControlLayout& control, QWidget*) { return createControl(control); }));

    for (QLabel* scroller : {lblScrollL2R, lblScrollR2L})
        setScrollCaption(scroller, scroller->text());
    scrollL2RLeft_ = static_cast<float>(pixelsToTwips(lblScrollL2R->x()));
    scrollR2LLeft_ = static_cast<float>(pixelsToTwips(lblScrollR2L->x()));

    // The lists start at the process's current directory, where the
    // settings files are read.
    const QString here = QDir::currentPath();
    Drive1->setDrive(driveOf(here, availableDrives()));
    Dir1->setPath(here);
    File1->setPath(here);

    for (QLabel* over : std::initializer_list<QLabel*>{Label1, lbltime, lbltid2, lbltid3})
        over->raise();

    // The engine's changes run the poller at once (see pollSoon); its own
    // interval is only a safety net for a change no signal reports.
    Timer1 = new QTimer(this);
    Timer1->setInterval(kSafetyPollMs);
    Timer2 = new QTimer(this);
    Timer2->setInterval(20);
    Timer3 = new QTimer(this);
    Timer3->setInterval(500);
    // The scrolling texts and the clocks change only pixels: out of sight
    // they sleep, and on return the texts move on by the ticks missed and
    // the clocks read the time afresh.
    unseen_ = new UnseenSleep(this, [this] { return services_.clock.steadyMs(); });
    unseen_->add(Timer2, [this](std::int64_t ticks) { catchUpScrolling(ticks); });
    unseen_->add(Timer3, [this](std::int64_t) { Timer3_Timer(); });
}

void Wavelark::bindControls(const BuiltControls& controls) {
    controls.bind(WindowsMediaPlayer1, QStringLiteral("WindowsMediaPlayer1"));
    for (int i = 0; i < StationTable::kButtonCount; ++i)
        controls.bind(LabelR[i], QStringLiteral("LabelR%1").arg(i + 1));
    controls.bind(LabelRec, QStringLiteral("LabelRec"));
    controls.bind(LabelStop, QStringLiteral("LabelStop"));
    controls.bind(LabelPlay, QStringLiteral("LabelPlay"));
    controls.bind(LabelExit, QStringLiteral("LabelExit"));
    controls.bind(Label5, QStringLiteral("Label5"));
    controls.bind(Label4, QStringLiteral("Label4"));
    controls.bind(Label3, QStringLiteral("Label3"));
    controls.bind(label2, QStringLiteral("label2"));
    controls.bind(Label1, QStringLiteral("Label1"));
    controls.bind(lbltime, QStringLiteral("lbltime"));
    controls.bind(lbltid2, QStringLiteral("lbltid2"));
    controls.bind(lbltid3, QStringLiteral("lbltid3"));
    controls.bind(lblScrollL2R, QStringLiteral("lblScrollL2R"));
    controls.bind(lblScrollR2L, QStringLiteral("lblScrollR2L"));
    controls.bind(Text1, QStringLiteral("Text1"));
    controls.bind(Drive1, QStringLiteral("Drive1"));
    controls.bind(Dir1, QStringLiteral("Dir1"));
    controls.bind(File1, QStringLiteral("File1"));
    controls.bind(Random_Play, QStringLiteral("Random_Play"));
}

void Wavelark::connectHandlers() {
    void (Wavelark::*stationHandlers[])() = {&Wavelark::LabelR1_Click, &Wavelark::LabelR2_Click,
                                             &Wavelark::LabelR3_Click, &Wavelark::LabelR4_Click,
                                             &Wavelark::LabelR5_Click, &Wavelark::LabelR6_Click,
                                             &Wavelark::LabelR7_Click, &Wavelark::LabelR8_Click};
    for (int i = 0; i < StationTable::kButtonCount; ++i)
        connect(LabelR[i], &ClickableLabel::clicked, this, stationHandlers[i]);
    connect(LabelPlay, &ClickableLabel::clicked, this, &Wavelark::LabelPlay_Click);
    connect(LabelStop, &ClickableLabel::clicked, this, &Wavelark::LabelStop_Click);
    connect(LabelRec, &ClickableLabel::clicked, this, &Wavelark::LabelRec_Click);
    connect(LabelExit, &ClickableLabel::clicked, this, &Wavelark::LabelExit_Click);
    connect(label2, &ClickableLabel::clicked, this, &Wavelark::label2_Click);
    connect(lbltime, &ClickableLabel::clicked, this, &Wavelark::lbltime_Click);
    // The component's own Stop and Play are the player's: playback and the
    // poller stop and start together, or the next file of the list would
    // start, or the status would freeze.
    WindowsMediaPlayer1->setStopHandler([this] { LabelStop_Click(); });
    WindowsMediaPlayer1->setPlayHandler([this] { LabelPlay_Click(); });
    connect(Text1, &QLineEdit::textChanged, this, &Wavelark::Text1_Change);
    connect(File1, &FileList::picked, this, &Wavelark::File1_Click);
    connect(Random_Play, &QCheckBox::clicked, this, &Wavelark::Random_Play_Click);
    connect(Drive1, &DriveList::changed, this, &Wavelark::Drive1_Change);
    connect(Dir1, &FolderList::changed, this, &Wavelark::Dir1_Change);
    connect(&services_.engine, &MediaEngine::playStateChanged, this, &Wavelark::pollSoon);
    connect(&services_.engine, &MediaEngine::bitRateChanged, this, &Wavelark::pollSoon);
    connect(Timer1, &QTimer::timeout, this, &Wavelark::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Wavelark::Timer2_Timer);
    connect(Timer3, &QTimer::timeout, this, &Wavelark::Timer3_Timer);
}

void Wavelark::keepOnScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.append(screen->geometry());
    // Where the default settings put a fresh start, on the primary screen.
    const QPoint fresh = primary->availableGeometry().topLeft() +
                         QPoint(twipsToPixels(kFreshStartTwips), twipsToPixels(kFreshStartTwips));
    const QPoint place = placeOnScreen(geometry(), screens, fresh);
    if (place != pos()) move(place);
}

void Wavelark::setStationCaption(int button, const QString& caption) {
    if (button < 1 || button > StationTable::kButtonCount) return;
    ClickableLabel* label = LabelR[button - 1];
    const ShownText shown = shownTitle(caption);
    showText(label, shown);
    // Every named button tells its whole name, as a cut one must.
    setPlainToolTip(label, shown);
}

void Wavelark::showInformation(const QString& text, const QString& title) {
    services_.dialogs.message(this, text, title, MessageIcon::Information);
}

void Wavelark::reportFailure(const RuntimeError& error) {
    services_.dialogs.message(this, error.message(), QCoreApplication::applicationName(),
                              MessageIcon::Critical);
}

void Wavelark::shellOpen(const QString& file, const QString& directory) {
    services_.shell.open(static_cast<WindowHandle>(winId()), file, directory);
}

bool Wavelark::isSurface(QPoint pixel) const {
    const QWidget* control = childAt(pixel);
    // The scrolling texts are controls of their own, as labels are.
    return control == nullptr ||
           (control == marquee_ && !marquee_->showsText(marquee_->mapFrom(this, pixel)));
}

// Only the bare surface moves the window: a press that reached the window
// through a control (one that let the event pass) starts no drag.
void Wavelark::mousePressEvent(QMouseEvent* event) {
    dragFromSurface_ = isSurface(event->position().toPoint());
    event->accept();
}

void Wavelark::mouseReleaseEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton) dragFromSurface_ = false;
    event->accept();
}

bool Wavelark::movesOverSurface(const QMouseEvent& event) const {
    if (buttonMask(event.buttons()) == 0) return isSurface(event.position().toPoint());
    return dragFromSurface_;
}

}  // namespace ondrix
