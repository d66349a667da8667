#include "widgets/composition.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QLineEdit>

#include <utility>

namespace mivora {

namespace {

// The text of the composition a guard settled last, for as long as the input
// method may still send it; empty when nothing is awaited.
QString& settledComposition() {
    static QString text;
    return text;
}

bool closed(const QWidget& widget) {
    return !widget.isVisible() || widget.window()->isHidden();
}

// Focus that goes to another window, or to a list that drops down, comes back to
// the box with the composition still open.
bool leavesTheBox(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

} // namespace

bool isLeftOverComposition(const QInputMethodEvent& event) {
    QString& settled = settledComposition();
    if (!event.preeditString().isEmpty())
        settled.clear();
    if (settled.isEmpty() || event.commitString() != settled)
        return false;
    settled.clear();
    return true;
}

CompositionGuard::CompositionGuard(QLineEdit& edit, QWidget& holder)
    : QObject(&edit), edit_(edit), holder_(holder) {
    edit.installEventFilter(this);
    if (&holder != &edit)
        holder.installEventFilter(this);
}

void CompositionGuard::guard(QLineEdit& edit, QWidget* holder) {
    if (!of(edit))
        new CompositionGuard(edit, holder ? *holder : edit);
}

CompositionGuard* CompositionGuard::of(const QWidget& widget) {
    return widget.findChild<CompositionGuard*>(QString(), Qt::FindDirectChildrenOnly);
}

void CompositionGuard::commit() {
    settle(composition_);
}

void CompositionGuard::drop() {
    settle(QString());
}

// Ends the composition in the box as the input method would, keeping taken, then
// has the input method forget it.
void CompositionGuard::settle(QString taken) {
    if (composition_.isEmpty())
        return;
    const QString composed = std::exchange(composition_, QString());
    QInputMethodEvent ending;
    ending.setCommitString(taken);
    ending_ = true;
    QCoreApplication::sendEvent(&edit_, &ending);
    ending_ = false;
    settledComposition() = composed;
    QGuiApplication::inputMethod()->reset();
}

bool CompositionGuard::eventFilter(QObject* watched, QEvent* event) {
    if ((watched != &edit_ && watched != &holder_) || ending_)
        return false;
    switch (event->type()) {
    case QEvent::InputMethod: {
        const auto& input = static_cast<const QInputMethodEvent&>(*event);
        if (isLeftOverComposition(input) || closed(edit_))
            return true;
        composition_ = input.preeditString();
        break;
    }
    case QEvent::FocusOut:
        if (closed(edit_))
            drop();
        else if (leavesTheBox(static_cast<const QFocusEvent&>(*event)))
            commit();
        break;
    case QEvent::Hide:
        drop();
        break;
    default:
        break;
    }
    return false;
}

} // namespace mivora
