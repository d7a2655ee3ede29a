#pragma once

#include <functional>

#include <QEventLoop>
#include <QObject>
#include <QTimer>

// Every wait of the program for a signal, an answer or a state: a local event
// loop that runs until a condition holds, and never longer than its limit.
//
// The limit is stated once, when the wait is made, and holds for the whole
// wait however often it wakes. The input rule is stated once too:
// - Input::Excluded: timers, sockets and painting go on, but no key or click
//   reaches the program meanwhile; a network lookup the user waits for must
//   not let the user start a second one inside the first.
// - Input::Allowed: every event is processed, user input included, as the
//   map picker's waits for its page do; each says at its place why.
//
// The condition is asked before the first round and after each wake-up (a
// signal named with wakeOn, a call of wake(), the poll interval). until()
// returns whether it held at the end; false means the limit passed first.
class BoundedWait : public QObject {
    Q_OBJECT
public:
    enum class Input {
        Excluded,
        Allowed
    };

    BoundedWait(int limitMs, Input input);

    template<class Sender, class Signal>
    BoundedWait &wakeOn(const Sender *sender, Signal signal)
    {
        connect(sender, signal, this, &BoundedWait::wake);
        return *this;
    }
    // Wakes every intervalMs as well, for a state that no signal announces.
    BoundedWait &pollEvery(int intervalMs);

    bool until(const std::function<bool()> &done);

public slots:
    void wake();

private:
    QEventLoop loop_;
    QTimer limit_;
    QTimer poll_;
    bool expired_ = false;
    QEventLoop::ProcessEventsFlags flags_;
};
