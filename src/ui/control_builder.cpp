#include "ui/control_builder.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <algorithm>

#include "ui/clickable_label.h"
#include "ui/fonts.h"
#include "ui/pick_list.h"
#include "ui/plain_text.h"
#include "ui/twips.h"

namespace ondrix {

namespace {

bool isEntry(ControlKind kind) {
    switch (kind) {
        case ControlKind::TextBox:
        case ControlKind::FileList:
        case ControlKind::DriveList:
        case ControlKind::FolderList:
            return true;
        default:
            return false;
    }
}

QWidget* makeStandard(const ControlLayout& control, QWidget* window) {
    switch (control.kind) {
        case ControlKind::Label:
        case ControlKind::CommandLabel:
            return new ClickableLabel(control.caption, window);
        case ControlKind::Picture: {
            auto* picture = new ClickableLabel(QString(), window);
            picture->setPixmap(QPixmap(control.caption));
            picture->setScaledContents(true);
            return picture;
        }
        case ControlKind::TextBox:
            return new QLineEdit(control.caption, window);
        case ControlKind::FileList:
            return new PickList(window);
        case ControlKind::CheckBox:
            return new QCheckBox(control.caption, window);
        case ControlKind::DriveList:
        case ControlKind::FolderList:
        case ControlKind::MediaPlayer:
        case ControlKind::LevelBar:
            break;
    }
    return nullptr;
}

void setLabelRules(const ControlLayout& control, ClickableLabel* label) {
    label->setAlignment(control.kind == ControlKind::CommandLabel
                            ? Qt::AlignCenter
                            : (control.rightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                                  Qt::AlignTop);
    label->setElideWhenWide(control.elideWhenWide);
    label->setWordWrap(control.wordWrap);
}

}  // namespace

void setControlColours(QWidget* widget, const std::optional<QColor>& background,
                       const std::optional<QColor>& text, bool entry) {
    if (!background && !text) return;
    QPalette palette = widget->palette();
    if (text) {
        if (background)
            for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
                palette.setColor(role, *background);
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, *text);
    } else if (background) {
        palette.setColor(entry ? QPalette::Base : QPalette::Window, *background);
    }
    widget->setPalette(palette);
    if (text || (background && !entry)) widget->setAutoFillBackground(true);
}

BuiltControls buildControls(const WindowLayout& table, QWidget* window,
                            const OwnControlMaker& makeOwn) {
    BuiltControls built;
    std::vector<std::pair<int, QWidget*>> keyboardOrder;
    for (const ControlLayout& control : table.controls) {
        QWidget* widget = makeOwn ? makeOwn(control, window) : nullptr;
        if (widget == nullptr) widget = makeStandard(control, window);
        if (widget == nullptr) continue;
        widget->setObjectName(control.name);
        auto* label = qobject_cast<ClickableLabel*>(widget);
        if (label && control.kind != ControlKind::Picture) setLabelRules(control, label);
        // A maker may put a control on a strip of the window: the table's
        // places are the window's.
        widget->setGeometry(twipsRect(control.left, control.top, control.width, control.height)
                                .translated(-widget->parentWidget()->mapTo(window, QPoint(0, 0))));
        if (!control.fontFamily.isEmpty())
            widget->setFont(fontAt96Dpi(control.fontFamily, control.fontPoints, control.bold));
        if (!control.toolTip.isEmpty()) setPlainToolTip(widget, control.toolTip);
        const QString& accessibleName =
            control.kind == ControlKind::Picture && control.accessibleName.isEmpty()
                ? control.toolTip
                : control.accessibleName;
        if (!accessibleName.isEmpty()) widget->setAccessibleName(accessibleName);
        if (control.handCursor) widget->setCursor(Qt::PointingHandCursor);
        const std::optional<QColor> background =
            control.systemBackground
                ? std::optional<QColor>(QApplication::palette().color(*control.systemBackground))
                : control.background;
        setControlColours(widget, background, control.textColor, isEntry(control.kind));
        widget->setAttribute(control.surface ? Qt::WA_TransparentForMouseEvents
                                             : Qt::WA_NoMousePropagation);
        if (!control.visible) widget->hide();
        if (control.tabIndex >= 0 && isEntry(control.kind))
            keyboardOrder.emplace_back(control.tabIndex, widget);
        built.add(control.name, widget);
    }
    std::sort(keyboardOrder.begin(), keyboardOrder.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < keyboardOrder.size(); ++i)
        QWidget::setTabOrder(keyboardOrder[i - 1].second, keyboardOrder[i].second);
    if (QWidget* first = built.find<QWidget>(table.focusAtStart)) first->setFocus();
    return built;
}

}  // namespace ondrix
