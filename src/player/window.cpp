#include "player/window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include "platform/runtime_error.h"
#include "ui/cached_text_label.h"
#include "ui/fonts.h"
#include "ui/key_command.h"
#include "ui/key_preview.h"
#include "ui/surface_widget.h"
#include "ui/twips.h"

namespace ondrix {

namespace {

const QString kTahoma = QStringLiteral("Tahoma");
const QString kSansSerif = QStringLiteral("MS Sans Serif");

struct FrameLine {
    int x1, y1, x2, y2, width;
};

// Frame and column lines, in twips; painted, so they take no pointer input.
constexpr FrameLine kLines[] = {
    {0, 0, 10200, 0, 5},        // Line6, top edge
    {0, 2880, 10200, 2880, 5},  // Line5, bottom edge
    {0, 0, 0, 2760, 5},         // Line1, left edge
    {10200, 0, 10200, 2880, 5}, // Line4, right edge
    {0, 480, 10200, 480, 3},    // Line7, under the title row
    {0, 2520, 10200, 2520, 3},  // Line8, above the bottom strip
    {3000, 0, 3000, 2520, 3},   // Line2, left | middle column
    {6600, 0, 6600, 2520, 3},   // Line3, middle | right column
};

// Draws the lines as they fall on a widget whose corner lies at origin (in
// pixels of the window surface).
void paintLines(QPainter& painter, const QColor& colour, QPoint origin) {
    for (const FrameLine& line : kLines) {
        painter.setPen(QPen(colour, line.width, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(QPointF(line.x1 / double(kTwipsPerPixel) - origin.x(),
                                 line.y1 / double(kTwipsPerPixel) - origin.y()),
                         QPointF(line.x2 / double(kTwipsPerPixel) - origin.x(),
                                 line.y2 / double(kTwipsPerPixel) - origin.y()));
    }
}

// The bottom strip in which the two texts scroll. Their moves, 50 a second,
// then concern this opaque strip and its two labels alone, not every
// control of the window; the strip draws its piece of the surface and of
// the lines that cross it.
class ScrollStrip : public SurfaceWidget {
public:
    explicit ScrollStrip(QWidget* window) : SurfaceWidget(window) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    // Each move uncovers a few pixels; they are copied from an image of the
    // strip's surface, made again only when its size, place, colours or
    // screen change, rather than drawn line by line again. The painter is
    // clipped to the uncovered pixels.
    void paintEvent(QPaintEvent*) override {
        if (surface_.isNull() || surface_.devicePixelRatio() != devicePixelRatioF()) {
            const qreal ratio = devicePixelRatioF();
            surface_ = QPixmap(size() * ratio);
            surface_.setDevicePixelRatio(ratio);
            surface_.fill(palette().color(QPalette::Window));
            QPainter image(&surface_);
            paintLines(image, palette().color(QPalette::WindowText), pos());
        }
        QPainter(this).drawPixmap(0, 0, surface_);
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::PaletteChange) surface_ = QPixmap();
        QWidget::changeEvent(event);
    }
    void resizeEvent(QResizeEvent*) override { surface_ = QPixmap(); }
    void moveEvent(QMoveEvent*) override { surface_ = QPixmap(); }

private:
    QPixmap surface_;
};

void paint(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, background);
    palette.setColor(QPalette::ButtonText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor systemColor(QPalette::ColorRole role) { return QApplication::palette().color(role); }

}  // namespace

Wavelark::Wavelark(WavelarkServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), services_(services) {
    setObjectName(QStringLiteral("Wavelark"));
    setWindowTitle(QString());
    setFixedSize(twipsToPixels(kScaleWidth), twipsToPixels(kScaleHeight));
    paint(this, QColor(128, 128, 128), systemColor(QPalette::WindowText));
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/wavelark-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    setMouseTracking(true);
    createControls();
    connectHandlers();
    keyPreview_ = new KeyPreview(this, [this](int key, int shift) { Form_KeyDown(key, shift); });
    Timer1->start();
    Timer2->start();
    Timer3->start();
}

Wavelark::~Wavelark() = default;

void Wavelark::createControls() {
    auto commandLabel = [this](const char* name, const QString& caption, QRect twips,
                               QColor back, QColor fore, double points) {
        auto* label = new ClickableLabel(caption, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        label->setAlignment(Qt::AlignCenter);
        label->setFont(fontAt96Dpi(kTahoma, points, true));
        label->setCursor(Qt::PointingHandCursor);
        paint(label, back, fore);
        return label;
    };
    auto textLabel = [this](const char* name, const QString& caption, QRect twips, QColor back,
                            QColor fore, const QString& family, double points, bool bold,
                            Qt::Alignment align, const QString& tip, bool moving = false) {
        QWidget* parent = moving ? scrollStrip_ : static_cast<QWidget*>(this);
        ClickableLabel* label = moving ? new CachedTextLabel(caption, parent)
                                       : new ClickableLabel(caption, parent);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height())
                               .translated(-parent->mapTo(this, QPoint(0, 0))));
        label->setAlignment(align | Qt::AlignTop);
        label->setFont(fontAt96Dpi(family, points, bold));
        label->setToolTip(tip);
        paint(label, back, fore);
        return label;
    };

    // The media component first, so the status and clock labels lie over it.
    WindowsMediaPlayer1 = new MediaPlayerWidget(services_.engine, this);
    WindowsMediaPlayer1->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    WindowsMediaPlayer1->setGeometry(twipsRect(3000, 480, 3615, 1935));

    const QColor darkGrey(64, 64, 64), lilac(192, 192, 255), grey(128, 128, 128);
    static const int stationLeft[] = {120, 840, 1560, 2280};
    for (int i = 0; i < StationTable::kButtonCount; ++i) {
        const QByteArray name = "LabelR" + QByteArray::number(i + 1);
        LabelR[i] = commandLabel(name.constData(), QStringLiteral("R%1").arg(i + 1),
                                 QRect(stationLeft[i % 4], i < 4 ? 480 : 960, 615, 375),
                                 darkGrey, lilac, 12);
        LabelR[i]->setElideWhenWide(true);
    }
    LabelRec = commandLabel("LabelRec", QStringLiteral("REC"), QRect(120, 2040, 855, 375),
                            QColor(255, 128, 128), darkGrey, 12);
    LabelStop = commandLabel("LabelStop", QStringLiteral("Stop"), QRect(1080, 2040, 855, 375),
                             darkGrey, lilac, 12);
    LabelPlay = commandLabel("LabelPlay", QStringLiteral("Play"), QRect(2040, 2040, 855, 375),
                             darkGrey, lilac, 12);
    LabelExit = commandLabel("LabelExit", QStringLiteral("Exit"), QRect(8760, 2040, 1335, 375),
                             darkGrey, QColor(224, 224, 224), 11.25);

    Label5 = textLabel("Label5", QStringLiteral("VOSKE"), QRect(240, 120, 975, 255), grey,
                       QColor(255, 255, 0), kTahoma, 12, true, Qt::AlignLeft, QString());
    Label4 = textLabel("Label4", QStringLiteral("(F1=Help)"), QRect(3120, 120, 975, 255), grey,
                       QColor(255, 255, 192), kTahoma, 8.25, true, Qt::AlignLeft, QString());
    Label3 = textLabel("Label3", QStringLiteral("Wavelark Player"), QRect(6600, 120, 3495, 255),
                       grey, QColor(255, 255, 0), kTahoma, 12, true, Qt::AlignRight, QString());
    label2 = textLabel("label2", QStringLiteral("http://"), QRect(120, 1440, 2775, 255), lilac,
                       QColor(255, 255, 128), kSansSerif, 9.75, true, Qt::AlignLeft,
                       QStringLiteral("Click to go to web page"));
    label2->setCursor(Qt::PointingHandCursor);
    Label1 = textLabel("Label1", QStringLiteral("kbps"), QRect(5280, 480, 1335, 255),
                       QColor(0, 0, 0), QColor(255, 192, 255), kTahoma, 9.75, true,
                       Qt::AlignRight, QString());
    const QColor buttonText = systemColor(QPalette::ButtonText);
    lbltime = textLabel("lbltime", QStringLiteral("time"), QRect(3960, 720, 1815, 495),
                        buttonText, QColor(255, 255, 192), kTahoma, 18, true, Qt::AlignLeft,
                        QStringLiteral("Refresh files"));
    lbltid2 = textLabel("lbltid2", QStringLiteral("2"), QRect(3600, 1080, 735, 375), buttonText,
                        QColor(192, 255, 255), kTahoma, 11.25, true, Qt::AlignRight,
                        QStringLiteral("Click to hide window"));
    lbltid3 = textLabel("lbltid3", QStringLiteral("3"), QRect(4440, 1080, 975, 375), buttonText,
                        QColor(192, 255, 255), kTahoma, 11.25, true, Qt::AlignLeft,
                        QStringLiteral("Click to hide window"));
    lbltid2->hide();
    lbltid3->hide();
    const QColor buttonFace = systemColor(QPalette::Button);
    scrollStrip_ = new ScrollStrip(this);
    scrollStrip_->setGeometry(twipsRect(0, 2520, kScaleWidth, 240));
    lblScrollL2R = textLabel("lblScrollL2R", QStringLiteral("Left to Right"),
                             QRect(3120, 2520, 1035, 240), buttonFace, QColor(255, 128, 128),
                             kSansSerif, 9.75, false, Qt::AlignLeft, QString(), true);
    lblScrollR2L = textLabel("lblScrollR2L", QStringLiteral("Right to Left"),
                             QRect(5400, 2520, 1035, 240), buttonFace, QColor(128, 255, 128),
                             kSansSerif, 9.75, false, Qt::AlignLeft, QString(), true);
    for (QLabel* scroller : {lblScrollL2R, lblScrollR2L}) setScrollCaption(scroller, scroller->text());
    scrollL2RLeft_ = 3120;
    scrollR2LLeft_ = 5400;

    Text1 = new QLineEdit(QStringLiteral("Test URL"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(120, 1680, 2775, 285));
    Text1->setFont(fontAt96Dpi(kSansSerif, 9.75, true));
    Text1->setToolTip(QStringLiteral("Copy URL to here and click"));
    paint(Text1, buttonFace, QColor(0, 0, 255));

    const QColor light = systemColor(QPalette::Light), purple(128, 0, 128);
    Drive1 = new DriveList(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(twipsRect(8760, 480, 1335, 315));
    Drive1->setToolTip(QStringLiteral("Drives"));
    Dir1 = new FolderList(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(twipsRect(8760, 840, 1335, 1215));
    Dir1->setToolTip(QStringLiteral("Folders"));
    File1 = new FileList(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(twipsRect(6720, 480, 1935, 1650));
    File1->setToolTip(QStringLiteral("Files"));
    for (QWidget* list : std::initializer_list<QWidget*>{Drive1, Dir1, File1})
        list->setFont(fontAt96Dpi(kSansSerif, 8.25, true));
    paint(Drive1, light, purple);
    paint(Dir1, light, purple);
    paint(File1, QColor(224, 224, 224), purple);

    Random_Play = new QCheckBox(QStringLiteral("Shuttle Play"), this);
    Random_Play->setObjectName(QStringLiteral("Random_Play"));
    Random_Play->setGeometry(twipsRect(6720, 2160, 1935, 255));
    Random_Play->setFont(fontAt96Dpi(kSansSerif, 8.25, true));
    paint(Random_Play, buttonFace, QColor(192, 0, 192));

    // The lists start at the process's current directory, where the
    // settings files are read.
    const QString here = QDir::currentPath();
    Drive1->setDrive(driveOf(here, availableDrives()));
    Dir1->setPath(here);
    File1->setPath(here);

    for (QLabel* over : std::initializer_list<QLabel*>{Label1, lbltime, lbltid2, lbltid3}) over->raise();

    // The engine's changes run the poller at once (see pollSoon); its own
    // interval is only a safety net for a change no signal reports.
    Timer1 = new QTimer(this);
    Timer1->setInterval(kSafetyPollMs);
    Timer2 = new QTimer(this);
    Timer2->setInterval(20);
    Timer3 = new QTimer(this);
    Timer3->setInterval(500);
}

void Wavelark::connectHandlers() {
    void (Wavelark::*stationHandlers[])() = {
        &Wavelark::LabelR1_Click, &Wavelark::LabelR2_Click, &Wavelark::LabelR3_Click,
        &Wavelark::LabelR4_Click, &Wavelark::LabelR5_Click, &Wavelark::LabelR6_Click,
        &Wavelark::LabelR7_Click, &Wavelark::LabelR8_Click};
    for (int i = 0; i < StationTable::kButtonCount; ++i)
        connect(LabelR[i], &ClickableLabel::clicked, this, stationHandlers[i]);
    connect(LabelPlay, &ClickableLabel::clicked, this, &Wavelark::LabelPlay_Click);
    connect(LabelStop, &ClickableLabel::clicked, this, &Wavelark::LabelStop_Click);
    connect(LabelRec, &ClickableLabel::clicked, this, &Wavelark::LabelRec_Click);
    connect(LabelExit, &ClickableLabel::clicked, this, &Wavelark::LabelExit_Click);
    connect(label2, &ClickableLabel::clicked, this, &Wavelark::label2_Click);
    connect(lbltime, &ClickableLabel::clicked, this, &Wavelark::lbltime_Click);
    // The component's own Stop is the player's Stop: playback and the
    // shuttle end together, or the next file of the list would start.
    WindowsMediaPlayer1->setStopHandler([this] { LabelStop_Click(); });
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

double Wavelark::windowLeft() const { return pixelsToTwips(x()); }
double Wavelark::windowTop() const { return pixelsToTwips(y()); }
void Wavelark::setWindowLeft(double twips) { move(twipsToPixels(twips), y()); }
void Wavelark::setWindowTop(double twips) { move(x(), twipsToPixels(twips)); }

void Wavelark::setStationCaption(int button, const QString& caption) {
    if (button < 1 || button > StationTable::kButtonCount) return;
    ClickableLabel* label = LabelR[button - 1];
    label->setText(caption);
    // A name cut to fit its button is shown whole when the pointer rests on it.
    label->setToolTip(label->captionCut() ? plainToolTip(caption) : QString());
}

void Wavelark::showInformation(const QString& text, const QString& title) {
    services_.dialogs.message(this, text, title, MessageIcon::Information);
}

void Wavelark::reportFailure(const RuntimeError& error) {
    services_.dialogs.message(this, error.message(), QCoreApplication::applicationName(),
                              MessageIcon::Critical);
}

void Wavelark::shellOpen(const QString& file, const QString& directory) {
    services_.shell.open(static_cast<WindowHandle>(winId()), QStringLiteral("Open"), file,
                         QString(), directory, kShowNormal);
}

// Queued, not run inside the engine's signal: a station change stops the
// engine (Stopped) and gives it the new address in one handler, and a tick in
// between would start the shuttle. Changes that come together make one tick,
// and Timer1 switched off (Stop) keeps it from running.
void Wavelark::pollSoon() {
    if (pollQueued_) return;
    pollQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            pollQueued_ = false;
            if (Timer1->isActive()) Timer1_Timer();
        },
        Qt::QueuedConnection);
}

void Wavelark::enablePoller() {
    if (!Timer1->isActive()) Timer1->start();
}

void Wavelark::setScrollCaption(QLabel* label, const QString& caption) {
    label->setText(caption);
    // Sized to the whole caption, so a long text widens the label.
    label->resize(label->sizeHint().width(), label->height());
}

float Wavelark::labelWidthTwips(const QLabel* label) const {
    return static_cast<float>(pixelsToTwips(label->width()));
}

void Wavelark::setScrollLefts(float l2r, float r2l) {
    scrollL2RLeft_ = l2r;
    scrollR2LLeft_ = r2l;
    lblScrollL2R->move(twipsToPixels(l2r), lblScrollL2R->y());
    lblScrollR2L->move(twipsToPixels(r2l), lblScrollR2L->y());
}

void Wavelark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintLines(painter, palette().color(QPalette::WindowText), QPoint(0, 0));
}

bool Wavelark::isSurface(QPoint pixel) const {
    const QWidget* control = childAt(pixel);
    return control == nullptr || control == scrollStrip_;
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

void Wavelark::mouseMoveEvent(QMouseEvent* event) {
    const int buttons = buttonMask(event->buttons());
    const bool overSurface = isSurface(event->position().toPoint());
    if ((buttons == 0 && overSurface) || (buttons != 0 && dragFromSurface_)) {
        Form_MouseMove(buttons, modifierMask(event->modifiers()),
                       static_cast<float>(event->position().x() * kTwipsPerPixel),
                       static_cast<float>(event->position().y() * kTwipsPerPixel));
    }
    event->accept();
}

}  // namespace ondrix
