#pragma once

#include <QListWidget>

namespace ondrix {

// A list whose entries are picked: picked() is raised once each time an
// entry is selected, whether by a click, the arrow keys or setListIndex(),
// and also when the entry already selected is clicked or set again. It is
// raised before the selecting call returns.
class PickList : public QListWidget {
    Q_OBJECT
public:
    explicit PickList(QWidget* parent = nullptr);
    // The picked entry's text; empty when none is.
    QString pickedText() const;
    int listIndex() const { return currentRow(); }
    void setListIndex(int index);
    int listCount() const { return count(); }
    // Replaces the entries without picking any.
    void setEntries(const QStringList& entries);

signals:
    void picked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace ondrix
