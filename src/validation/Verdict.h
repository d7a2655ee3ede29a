#pragma once

#include <QString>

// What a validator found: valid, or the message of its fault. convertErrors
// counts the numbers that could not be converted on the way; each of them
// shows "Fehler: EConvertError" before the verdict.
struct Verdict {
    bool ok = true;
    QString message;
    int convertErrors = 0;

    static Verdict fault(QString text, int convertErrors = 0) { return {false, std::move(text), convertErrors}; }
};
