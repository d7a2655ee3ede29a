#include "KeyPressFilter.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include "ErrorGuard.h"
#include "KeyCodes.h"

namespace {

// The text a key press types: Enter, Esc and Backspace as their codes, else
// the printable characters the control would insert. Ctrl or Meta alone make
// a shortcut (Ctrl+V), but Ctrl+Alt is AltGr on some keyboards (€, @).
QString typedText(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QString(KeyCode::Enter);
    case Qt::Key_Escape:
        return QString(KeyCode::Escape);
    case Qt::Key_Backspace:
        return QString(KeyCode::Backspace);
    default:
        break;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool altGr = (mods & Qt::ControlModifier) && (mods & Qt::AltModifier);
    if ((mods & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier)) && !altGr)
        return QString();
    const QString text = event->text();
    for (QChar c : text)
        if (!c.isPrint() && !c.isSurrogate())
            return QString();
    return text;
}

} // namespace

KeyPressFilter::KeyPressFilter(QObject *control, Handler handler)
    : QObject(control)
    , handler_(std::move(handler))
{
    control->installEventFilter(this);
}

QString KeyPressFilter::filter(QObject *watched, const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character beyond the first plane goes to the handler as its first
        // half; swallowed, both halves go.
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        QChar key = text[i];
        guarded([&] { handler_(watched, key); });
        if (!key.isNull())
            out += (pair && key == text[i]) ? text.mid(i, 2) : QString(key);
        if (pair)
            ++i;
    }
    return out;
}

bool KeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (resending_)
        return false;
    if (event->type() == QEvent::InputMethod) {
        // Dead keys and compose sequences arrive as committed text.
        auto *im = static_cast<QInputMethodEvent *>(event);
        if (im->commitString().isEmpty())
            return false;
        const QString kept = filter(watched, im->commitString());
        if (kept == im->commitString())
            return false;
        if (kept.isEmpty())
            QApplication::beep();
        QInputMethodEvent replaced(im->preeditString(), im->attributes());
        replaced.setCommitString(kept, im->replacementStart(), im->replacementLength());
        resending_ = true;
        QCoreApplication::sendEvent(watched, &replaced);
        resending_ = false;
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    // Alt with a letter that no mnemonic took types nothing.
    const Qt::KeyboardModifiers mods = keyEvent->modifiers();
    if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !keyEvent->text().isEmpty()
        && keyEvent->text()[0].isPrint()) {
        QApplication::beep();
        return true;
    }
    const QString typed = typedText(keyEvent);
    if (typed.isEmpty())
        return false;
    const QString kept = filter(watched, typed);
    if (kept.isEmpty()) {
        // A printable key that the field does not take: the user hears it.
        if (typed.size() > 1 || typed[0].unicode() >= 0x20)
            QApplication::beep();
        return true;
    }
    if (kept != typed) {
        // The handler replaced the character: the control gets the new one.
        QKeyEvent replaced(QEvent::KeyPress, 0, keyEvent->modifiers() & ~(Qt::ControlModifier | Qt::AltModifier), kept);
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

namespace {

class EnterPressesButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->modifiers() & ~Qt::KeypadModifier)
            return false;
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (!button || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};

} // namespace

void enterPressesButtons(QWidget *window)
{
    auto *filter = new EnterPressesButton(window);
    for (QPushButton *button : window->findChildren<QPushButton *>())
        button->installEventFilter(filter);
    // A tool button (the map button) is a button to the keyboard too.
    for (QToolButton *button : window->findChildren<QToolButton *>())
        button->installEventFilter(filter);
}
