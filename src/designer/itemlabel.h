#pragma once
// The label of one item in the preview: its text on an opaque white ground, sized
// to the text. A press selects the item; dragging it further than a click would
// moves the label with the mouse, and the release reports how far it went.

#include <QLabel>
#include <QPoint>

namespace mivora {

class ItemLabel : public QLabel {
    Q_OBJECT
  public:
    ItemLabel(int number, QWidget* parent = nullptr);

    int number() const { return number_; }

  signals:
    void pressed(int number);
    // The distance in preview pixels from where the label stood at the press.
    void dropped(int number, QPoint distance);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int number_;
    bool pressing_ = false;
    bool dragging_ = false;
    QPoint pressAt_;   // the mouse, in global coordinates
    QPoint startedAt_; // the label's position at the press
};

} // namespace mivora
