#pragma once
// The scrolled preview of the form. It takes the keyboard focus, for the arrow
// keys that move the current item, and shows that it has it by its frame in the
// highlight colour; the frame keeps its width either way, so nothing inside moves.

#include <QScrollArea>

namespace mivora {

class PreviewArea : public QScrollArea {
    Q_OBJECT
  public:
    explicit PreviewArea(QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;
};

} // namespace mivora
