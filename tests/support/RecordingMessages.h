#pragma once

#include <functional>

#include <QList>
#include <QString>

#include "Messages.h"

// Keeps every box the program shows and answers as the test programmed; the
// save dialog returns the programmed path. Installed for its lifetime.
class RecordingMessages : public Messages {
public:
    struct Shown {
        Kind kind;
        QString caption;
        QString text;
        Buttons buttons; // of a question: what its buttons say, which is the default
    };

    RecordingMessages();
    ~RecordingMessages() override;

    using Messages::show;
    Answer show(Kind kind, const QString &caption, const QString &text) override;
    Answer ask(const QString &text, const Buttons &buttons) override;
    QString getSaveFileName(const SaveDialog &dialog) override;
    QString getOpenFileName(const OpenDialog &dialog) override;

    QList<Shown> shown;
    QList<SaveDialog> saveDialogs;
    // Answers given to the next boxes, in order; Ok/Yes by default.
    QList<Answer> answers;
    // Path the save dialog returns; empty means cancelled.
    QString savePath;
    QList<OpenDialog> openDialogs;
    // Path the open dialog returns; empty means cancelled.
    QString openPath;
    // Runs while a box is "open", e.g. to look at the focus at that moment.
    std::function<void(const Shown &)> onShow;

    QStringList texts() const;
};
