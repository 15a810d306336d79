#pragma once

#include <QByteArray>
#include <QList>
#include <QListWidget>
#include <utility>

#include "platform/outside_text.h"

namespace ondrix {

// A list whose entries are picked the way a user picks them: picked() is
// raised for a left click on an entry, for the arrow, Home, End and Page
// keys (and typing an entry's first letters) while the list has the focus,
// and for setListIndex(); also when the entry already selected is clicked
// or set again. It is raised before the selecting call returns. An entry an
// assistive tool selects (its Toggle action) is picked too, once the tool
// has its answer. Getting the focus, a right or middle click and a drag
// picks nothing, and a list opens with no entry current.
class PickList : public QListWidget {
    Q_OBJECT
  public:
    explicit PickList(QWidget* parent = nullptr);
    // The picked entry's name as given, not as shown; empty when none is.
    QString pickedText() const;
    // The same as bytes: a file name listed by its bytes comes back whole.
    QByteArray pickedName() const;
    int listIndex() const { return currentRow(); }
    void setListIndex(int index);
    int listCount() const { return count(); }
    // Replaces the entries without picking any. Each is a file's name by
    // its bytes, listed in its visible form (a byte that is no UTF-8 as
    // U+FFFD) and picked as its bytes.
    void setEntries(const QList<QByteArray>& names);
    // The same, each entry shown as given and picked as its text.
    void setEntries(const QList<std::pair<ShownText, QString>>& entries);

  signals:
    void picked();

  protected:
    void keyboardSearch(const QString& search) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void selectionChangedAround();
    void pickSelected();
    // While the list's own input or calls change the selection, which pick
    // by their own rules.
    bool selectingHere_ = false;
};

}  // namespace ondrix
