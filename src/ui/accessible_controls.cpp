#include "ui/accessible_controls.h"

#include <QAccessibleWidget>
#include <QMetaObject>

#include "ui/clickable_label.h"
#include "ui/suite_window.h"

namespace ondrix {

namespace {

class AccessibleClickableLabel : public QAccessibleWidget {
  public:
    explicit AccessibleClickableLabel(ClickableLabel* label) : QAccessibleWidget(label) {}

    QAccessible::Role role() const override {
        return label()->isButton() ? QAccessible::Button : QAccessible::StaticText;
    }

    // Named by the caption as the screen shows it, unless the window named
    // it (a picture has no caption).
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (label()->isButton()) names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& name) override {
        if (name != pressAction() || !label()->isButton()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        // Clicked once the tool has its answer, as Qt's own buttons are: a
        // handler that opens a message box would keep the tool waiting.
        QMetaObject::invokeMethod(label(), &ClickableLabel::click, Qt::QueuedConnection);
    }

  private:
    ClickableLabel* label() const { return static_cast<ClickableLabel*>(widget()); }
};

// Asked for each class of an object, the object's own first.
QAccessibleInterface* suiteInterface(const QString& className, QObject* object) {
    if (className == QLatin1String(ClickableLabel::staticMetaObject.className()))
        if (auto* label = qobject_cast<ClickableLabel*>(object))
            return new AccessibleClickableLabel(label);
    // A window without the desktop's frame is still a window, not a pane.
    if (className == QLatin1String(SuiteWindow::staticMetaObject.className()))
        if (auto* window = qobject_cast<SuiteWindow*>(object))
            return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

}  // namespace

void installAccessibleControls() {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(suiteInterface);
        return true;
    }();
}

}  // namespace ondrix
