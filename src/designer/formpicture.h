#pragma once
// The picture of the blank form under the preview's labels, stretched to the size
// the preview gives it without keeping its proportions. The print run draws the
// same picture under the items.

#include <QImage>
#include <QWidget>

namespace mivora {

class FormPicture : public QWidget {
    Q_OBJECT
  public:
    explicit FormPicture(QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};

} // namespace mivora
