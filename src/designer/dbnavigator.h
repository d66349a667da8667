#pragma once
// The record navigator of a data source: first, prior, next, last and insert. After
// a button has acted, the controls of the source show the record and clicked()
// tells the window which button it was.

#include <QWidget>

#include <array>

class QToolButton;

namespace mivora {

class DataSource;

class DBNavigator : public QWidget {
    Q_OBJECT
  public:
    enum Button { nbFirst, nbPrior, nbNext, nbLast, nbInsert };

    DBNavigator(DataSource& source, QWidget* parent = nullptr);

    // What pressing the button does, for the window and for tests.
    void BtnClick(Button button);
    QToolButton* button(Button button) const { return buttons_[button]; }

  signals:
    // Before a button acts: what is still being typed belongs to the record left.
    void aboutToAct();
    void clicked(mivora::DBNavigator::Button button);
    // The table refused the move (a failed store of the record left).
    void failed(const QString& message);

  private:
    void act(Button button);

    DataSource& source_;
    std::array<QToolButton*, 5> buttons_{};
};

} // namespace mivora
