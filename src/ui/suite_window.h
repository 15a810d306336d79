#pragma once

#include <QStringList>
#include <QWidget>

#include "ui/control_table.h"
#include "ui/drag.h"
#include "ui/twips_position.h"
#include "ui/window_placement.h"

class QMouseEvent;

namespace ondrix {

class Dialogs;
class Shell;

// The keys every window answers the same way: F1 its help box, F12 exit,
// and F6 the vendor's web site in a window that offers it.
enum class SharedKey { None, Help, VendorSite, Exit };
SharedKey sharedKeyOf(int keyCode);

// What a window gives for its shared keys.
struct SharedKeys {
    Dialogs& dialogs;
    QStringList helpLines;
    Shell* vendorSite = nullptr;  // F6 opens the site through it; none: no F6
};

// What every window of the suite is: built to its table's size, colours and
// icons, placed in twips, dragged by its surface from the drag anchor,
// shown every key press first (key preview), answering the shared keys, and
// painting its table's lines.
class SuiteWindow : public QWidget, public virtual WindowPlacement {
    Q_OBJECT
  public:
    SuiteWindow(const WindowLayout& layout, SharedKeys keys, Qt::WindowFlags flags,
                QWidget* parent);

    // Start-up: reads what the window shows; a failure throws a RuntimeError.
    virtual void Form_Load() = 0;

    // A key press, seen before the focused control: with no modifier or
    // Ctrl alone, the shared keys, then the window's own.
    void Form_KeyDown(int keyCode, int shift);
    // Ends the program with status 0, once the window agreed to close.
    void exitProgram();
    // Shows the window, un-minimised, above the others and active.
    void bringToFront();
    // A pointer move over the surface, in twips: sets the anchor or drags.
    virtual void Form_MouseMove(int button, int shift, float x, float y);
    const DragAnchor& dragAnchor() const { return dragAnchor_; }

    double windowLeft() const override;
    double windowTop() const override;
    void setWindowLeft(double twips) override;
    void setWindowTop(double twips) override;

  protected:
    const WindowLayout& layout() const { return layout_; }
    // The window's own keys, past the shared ones.
    virtual void windowKeyDown(int /*keyCode*/) {}
    // F1 after its help box closed.
    virtual void helpShown() {}
    // Whether a move that reached the window is one over its surface; every
    // one is, unless the window says otherwise.
    virtual bool movesOverSurface(const QMouseEvent& event) const;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    const WindowLayout& layout_;
    SharedKeys keys_;
    DragAnchor dragAnchor_;
    TwipsPosition position_;
};

// The start-up every program's main() makes the same way: Form_Load, then the
// window shown. A failed start ends the program with the error's message box
// before the window is shown.
void startWindow(SuiteWindow& window);

}  // namespace ondrix
