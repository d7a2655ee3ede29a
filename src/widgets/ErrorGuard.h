#pragma once

#include <exception>
#include <utility>

#include <QObject>
#include <QString>

#include "Messages.h"
#include "NembraError.h"

// Shows an error that no operation caught in the application's error box.
void showUncaughtError(const std::exception &error);

// Runs an event handler so that an error it throws ends only that handler:
// errors must never travel through Qt's event loop.
template<class Handler>
void guarded(Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception &error) {
        showUncaughtError(error);
    }
}

// Connects a control's signal to an event handler of the form, which gets the
// control as its sender and runs guarded.
template<class Sender, class Signal, class Form>
void connectHandler(Sender *sender, Signal signal, Form *form, void (Form::*handler)(QObject *))
{
    QObject::connect(sender, signal, form, [sender, form, handler] { guarded([&] { (form->*handler)(sender); }); });
}
