#pragma once

#include <functional>

#include <QChar>
#include <QObject>

// Routes the characters typed into a control to a key-press handler that may
// swallow a character by setting it to code 0. Enter arrives as 13, Esc as 27
// and Backspace as 8; keys without a character (arrows, Tab) are not routed.
// Text committed by the input method (dead keys, compose) and AltGr
// characters pass the same handler, one character at a time; a swallowed
// printable key beeps.
class KeyPressFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QObject *sender, QChar &key)>;

    KeyPressFilter(QObject *control, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The characters of text that the handler keeps, as it changed them.
    QString filter(QObject *watched, const QString &text);

    Handler handler_;
    bool resending_ = false;
};

// Routes the focus entering and leaving a control, as the user moves between
// the controls of its window, to handlers (either may be empty).
class FocusFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QObject *sender)>;

    FocusFilter(QObject *control, Handler onEnter, Handler onExit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler onEnter_;
    Handler onExit_;
};

// Routes key-down events (with the key code and the modifiers) of a control
// to a handler, before the control handles them; a key set to 0 is consumed.
// Tab and Shift+Tab arrive here too.
class KeyDownFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QObject *sender, int &key, Qt::KeyboardModifiers shift)>;

    KeyDownFilter(QObject *control, Handler handler);
    // Also watches another object that receives the control's keys, such as
    // the line edit of an editable combo box.
    void watch(QObject *other);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QObject *control_;
    Handler handler_;
};

class QWidget;
// Moves the focus to the control after `from` in the window's tab order.
void focusNextControl(QWidget *from);

// Enter and Return on a focused push or tool button of window press it, as
// Space does.
void enterPressesButtons(QWidget *window);
