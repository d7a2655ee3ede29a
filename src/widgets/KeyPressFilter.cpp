#include "KeyPressFilter.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

#include "ErrorGuard.h"
#include "KeyCodes.h"

namespace {

QChar characterOf(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Enter;
    case Qt::Key_Escape:
        return KeyCode::Escape;
    case Qt::Key_Backspace:
        return KeyCode::Backspace;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return QChar(); // shortcuts such as Ctrl+V are no typed character
    const QString text = event->text();
    return text.size() == 1 && text[0].isPrint() ? text[0] : QChar();
}

} // namespace

KeyPressFilter::KeyPressFilter(QObject *control, Handler handler)
    : QObject(control)
    , handler_(std::move(handler))
{
    control->installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || resending_)
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    const QChar typed = characterOf(keyEvent);
    if (typed.isNull())
        return false;
    QChar key = typed;
    guarded([&] { handler_(watched, key); });
    if (key.isNull())
        return true;
    if (key != typed) {
        // The handler replaced the character: the control gets the new one.
        QKeyEvent replaced(QEvent::KeyPress, 0, keyEvent->modifiers(), QString(key));
        resending_ = true;
        QCoreApplication::sendEvent(watched, &replaced);
        resending_ = false;
        return true;
    }
    return false;
}

FocusFilter::FocusFilter(QObject *control, Handler onEnter, Handler onExit)
    : QObject(control)
    , onEnter_(std::move(onEnter))
    , onExit_(std::move(onExit))
{
    control->installEventFilter(this);
}

bool FocusFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
        return false;
    // A message box or menu that opens, or another window that becomes
    // active, takes the focus without the user moving between controls.
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    if (event->type() == QEvent::FocusIn && onEnter_)
        guarded([&] { onEnter_(watched); });
    else if (event->type() == QEvent::FocusOut && onExit_)
        guarded([&] { onExit_(watched); });
    return false;
}

KeyDownFilter::KeyDownFilter(QObject *control, Handler handler)
    : QObject(control)
    , control_(control)
    , handler_(std::move(handler))
{
    control->installEventFilter(this);
}

void KeyDownFilter::watch(QObject *other)
{
    other->installEventFilter(this);
}

bool KeyDownFilter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    int key = keyEvent->key();
    guarded([&] { handler_(control_, key, keyEvent->modifiers()); });
    return key == 0;
}

void focusNextControl(QWidget *from)
{
    QWidget *window = from->window();
    for (QWidget *w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
        if (from->isAncestorOf(w) || w->focusProxy() || !w->isVisibleTo(window) || !w->isEnabled()
            || !(w->focusPolicy() & Qt::TabFocus) || w->window() != window)
            continue;
        w->setFocus(Qt::TabFocusReason);
        return;
    }
}
