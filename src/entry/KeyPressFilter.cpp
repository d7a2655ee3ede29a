#include "KeyPressFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "ErrorGuard.h"

namespace {

QChar characterOf(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Backspace:
        return QChar(8);
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
    if (event->type() == QEvent::FocusIn && onEnter_)
        guarded([&] { onEnter_(watched); });
    else if (event->type() == QEvent::FocusOut && onExit_)
        guarded([&] { onExit_(watched); });
    return false;
}
