#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace ondrix {

// Delivers every key press aimed at a window (whichever of its controls has
// the focus) to a handler first; the key then goes on to the control.
class KeyPreview : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(int keyCode, int modifiers)>;
    KeyPreview(QWidget* window, Handler handler);
    ~KeyPreview() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
    Handler handler_;
    bool resending_ = false;
};

}  // namespace ondrix
