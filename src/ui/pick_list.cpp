#include "ui/pick_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "platform/outside_text.h"

namespace ondrix {

namespace {

// Marks the list's own selecting for as long as one of its handlers runs.
class SelectingHere {
  public:
    explicit SelectingHere(bool& flag) : flag_(flag), before_(std::exchange(flag, true)) {}
    ~SelectingHere() { flag_ = before_; }
    SelectingHere(const SelectingHere&) = delete;
    SelectingHere& operator=(const SelectingHere&) = delete;

  private:
    bool& flag_;
    bool before_;
};

}  // namespace

PickList::PickList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PickList::selectionChangedAround);
}

// A selection that none of the list's own handlers made is an assistive
// tool's: it selects an entry without making it current, and means a click.
void PickList::selectionChangedAround() {
    if (selectingHere_ || selectedIndexes().size() != 1) return;
    // Picked once the tool has its answer, as a label it presses is clicked:
    // a handler that opens a message box would keep the tool waiting.
    QMetaObject::invokeMethod(this, &PickList::pickSelected, Qt::QueuedConnection);
}

void PickList::pickSelected() {
    const QModelIndexList selected = selectedIndexes();
    if (selected.size() == 1) setListIndex(selected.constFirst().row());
}

QString PickList::pickedText() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void PickList::setListIndex(int index) {
    const SelectingHere here(selectingHere_);
    if (index != currentRow()) setCurrentRow(index);
    // Setting the entry already selected still counts as a pick.
    if (index >= 0 && index == currentRow()) emit picked();
}

QByteArray PickList::pickedName() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->data(Qt::UserRole).toByteArray() : QByteArray();
}

void PickList::setEntries(const QList<QByteArray>& names) {
    const SelectingHere here(selectingHere_);
    const QSignalBlocker quiet(this);
    clear();
    for (const QByteArray& name : names) {
        auto* item = new QListWidgetItem(shownName(name).text(), this);
        item->setData(Qt::UserRole, name);
    }
    setCurrentRow(-1);
}

void PickList::setEntries(const QList<std::pair<ShownText, QString>>& entries) {
    const SelectingHere here(selectingHere_);
    const QSignalBlocker quiet(this);
    clear();
    for (const auto& [shown, text] : entries) {
        auto* item = new QListWidgetItem(shown.text(), this);
        item->setData(Qt::UserRole, text);
    }
    setCurrentRow(-1);
}

void PickList::mousePressEvent(QMouseEvent* event) {
    // Only the left button picks; the others leave the selection alone.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const SelectingHere here(selectingHere_);
    QListWidget::mousePressEvent(event);
    if (itemAt(event->position().toPoint()) && currentRow() >= 0) emit picked();
}

void PickList::mouseMoveEvent(QMouseEvent* event) {
    // Dragging over the entries would select them one by one without a pick.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QListWidget::mouseMoveEvent(event);
}

void PickList::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click is not a second pick.
    event->accept();
}

void PickList::keyPressEvent(QKeyEvent* event) {
    const SelectingHere here(selectingHere_);
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (currentRow() >= 0 && currentRow() != before) emit picked();
            break;
        default:
            break;
    }
}

void PickList::keyboardSearch(const QString& search) {
    const SelectingHere here(selectingHere_);
    const int before = currentRow();
    QListWidget::keyboardSearch(search);
    if (currentRow() >= 0 && currentRow() != before) emit picked();
}

void PickList::focusInEvent(QFocusEvent* event) {
    // Qt makes the first entry current when a list without one gets the
    // focus; here the focus alone chooses nothing.
    const SelectingHere here(selectingHere_);
    const bool hadCurrent = currentIndex().isValid();
    QListWidget::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid()) {
        const QSignalBlocker quiet(selectionModel());
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    }
}

}  // namespace ondrix
