#pragma once

#include <functional>

#include <QChar>
#include <QObject>

// Routes the characters typed into a control to a key-press handler that may
// swallow a character by setting it to code 0. Enter arrives as 13, Esc as 27
// and Backspace as 8; keys without a character (arrows, Tab) are not routed.
class KeyPressFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QObject *sender, QChar &key)>;

    KeyPressFilter(QObject *control, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler handler_;
    bool resending_ = false;
};

// Routes focus-in and focus-out of a control to handlers (either may be empty).
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
