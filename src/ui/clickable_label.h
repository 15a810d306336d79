#pragma once

#include <QLabel>

namespace ondrix {

// A label that takes the pointer: used as a button, it emits clicked() once
// per left click released inside it; the second press of a double-click is
// not a click. Its caption is always plain text, never markup.
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ClickableLabel(const QString& text, QWidget* parent = nullptr);

    // A caption wider than the label is drawn cut at its end with "…";
    // text() stays the whole caption.
    void setElideWhenWide(bool on);
    bool captionCut() const;

    // Whether anything handles its clicks: then assistive tools see a
    // button, else a text.
    bool isButton() const;
    // Clicks it as the pointer does; how assistive tools press it.
    void click();

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool pressed_ = false;
    bool elide_ = false;
};

}  // namespace ondrix
