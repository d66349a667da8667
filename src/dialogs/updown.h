#pragma once
// A pair of arrow buttons that step the number in an associated edit box within
// a range, without wrapping around. The step starts from the number the box
// shows, so typing and stepping mix.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace mivora {

class UpDown : public QWidget {
    Q_OBJECT
  public:
    UpDown(QLineEdit& associate, int min, int max, QWidget* parent = nullptr);

    int position() const { return position_; }
    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

  private:
    void step(int delta);

    QLineEdit& associate_;
    int min_;
    int max_;
    int position_;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace mivora
