#pragma once
// A Japanese input method composes a text (the reading, then its conversion) in the
// box that has the focus and shows it there, but the box's text holds it only once
// the input method commits it. Whatever is stored from a box must be what the clerk
// saw in it, once: the guard of a box settles a composition the input method left
// open. Leaving the box (a click elsewhere, Tab, a button) commits it; the box being
// hidden (its window closed with the close box or キャンセル, a cell's editor closed
// with Esc) drops it. Either way the input method is told to forget it, and whatever
// it still sends of it, or sends to a box whose window has closed, changes nothing.

#include <QObject>
#include <QString>

class QInputMethodEvent;
class QLineEdit;
class QWidget;

namespace mivora {

class CompositionGuard : public QObject {
    Q_OBJECT
  public:
    // Guards edit from now on; the guard lives as long as the edit. Its focus and
    // what the input method sends come to holder: the edit itself, or the list box
    // whose edit it is.
    static void guard(QLineEdit& edit, QWidget* holder = nullptr);
    // The guard of a widget, or nullptr when it has none.
    static CompositionGuard* of(const QWidget& widget);

    // Takes the composition into the box's text, as if the input method had
    // committed it.
    void commit();
    // Drops the composition; the box's text stays as it was.
    void drop();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CompositionGuard(QLineEdit& edit, QWidget& holder);
    void settle(QString taken); // a copy: the composition is emptied first

    QLineEdit& edit_;
    QWidget& holder_;
    QString composition_; // what the box shows beyond its text
    bool ending_ = false; // the guard's own event ending the composition is on its way
};

// Whether an input method event only repeats the commit of a composition a guard
// settled (an input method that commits what it is told to forget, or commits it
// late, into whatever has the focus then): such an event must change nothing. A
// new composition beginning ends the wait for it.
bool isLeftOverComposition(const QInputMethodEvent& event);

} // namespace mivora
