#pragma once
// A panel that shows a one-line caption and may hold controls beside it. Callers
// talk through the caption (the digit-count window's prompt, the lines of the
// confirmation window), so it is kept as the panel's own text.

#include <QFrame>

class QHBoxLayout;
class QLabel;

namespace mivora {

class CaptionPanel : public QFrame {
    Q_OBJECT
  public:
    CaptionPanel(const QString& caption, Qt::Alignment alignment, QWidget* parent = nullptr);

    QString caption() const;
    void setCaption(const QString& caption);
    // Controls placed on the panel go after the caption.
    QHBoxLayout& row() { return *row_; }

  private:
    QLabel* label_;
    QHBoxLayout* row_;
};

} // namespace mivora
