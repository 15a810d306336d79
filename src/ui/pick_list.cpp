#include "ui/pick_list.h"

#include <QMouseEvent>
#include <QSignalBlocker>

namespace ondrix {

PickList::PickList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) emit picked();
    });
}

QString PickList::pickedText() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->text() : QString();
}

void PickList::setListIndex(int index) {
    if (index == currentRow()) {
        // Same entry again: no row change, but selecting still counts.
        if (index >= 0) emit picked();
        return;
    }
    setCurrentRow(index);
}

void PickList::setEntries(const QStringList& entries) {
    const QSignalBlocker quiet(this);
    clear();
    addItems(entries);
    setCurrentRow(-1);
}

void PickList::mousePressEvent(QMouseEvent* event) {
    const int before = currentRow();
    QListWidget::mousePressEvent(event);
    const QListWidgetItem* hit = itemAt(event->position().toPoint());
    // The row did not change, so only the click itself tells of the pick.
    if (hit && row(hit) == before && event->button() == Qt::LeftButton) emit picked();
}

}  // namespace ondrix
