#pragma once

#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>

#include "ui/control_table.h"

namespace ondrix {

// The controls one window's table made, by name.
class BuiltControls {
  public:
    void add(const QString& name, QWidget* widget) { byName_.insert(name, widget); }
    // nullptr when the table has no control of that name and type.
    template <typename Control>
    Control* find(const QString& name) const {
        return qobject_cast<Control*>(byName_.value(name));
    }
    // Points a member at the table's control of that name; the member's
    // type says what the control must be. Checked at every start, release
    // builds too: a window without a control its handlers use must not run.
    template <typename Control>
    void bind(Control*& member, const QString& name) const {
        member = find<Control>(name);
        if (!member)
            qFatal("The window's table has no control %s of the kind bound", qPrintable(name));
    }

  private:
    QHash<QString, QWidget*> byName_;
};

// Makes a control of a program's own kind (its media component, its lists)
// as a child of window; nullptr leaves the kind to the builder.
using OwnControlMaker = std::function<QWidget*(const ControlLayout& control, QWidget* window)>;

// Makes every control of the table on the window, in the table's order:
// labels, command labels, text boxes, check boxes, pictures and file lists
// here, any kind first offered to makeOwn. One rule for all windows:
// - places and sizes in twips, fonts at 96 dpi, tool tips as plain text;
// - labels show plain text: command labels centred, others at the top, to
//   the left or right;
// - assistive tools know a control by its accessibleName, a picture by its
//   tool tip, anything else by its caption;
// - colours through setControlColours;
// - a control keeps the pointer's events to itself, except one the table
//   marks as surface, which lets them through to the window;
// - text boxes and lists take the keyboard in their tabIndex order, and the
//   table's focusAtStart has the focus.
BuiltControls buildControls(const WindowLayout& table, QWidget* window,
                            const OwnControlMaker& makeOwn = {});

// A control's colours: with a text colour it is painted whole (background
// and text for its surface, entry field and buttons); with a background
// alone, an entry (text box, list) colours its field and anything else
// fills its surface.
void setControlColours(QWidget* widget, const std::optional<QColor>& background,
                       const std::optional<QColor>& text, bool entry);

}  // namespace ondrix
