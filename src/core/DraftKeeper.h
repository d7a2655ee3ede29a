#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QTimer>

#include "RecordDraft.h"

// Keeps the unsaved record of the form in its draft file: written at most
// DelayMs after each change and at once when the window closes, removed once
// the record is saved or the form is back to empty, and offered back at the
// next start. The form hands over its record through capture() and takes a
// draft back from what was left; the questions it asks are its own.
class DraftKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int DelayMs = 1000;
    using Capture = std::function<RecordDraft()>;

    // draftDir ends with a separator.
    DraftKeeper(const QString &draftDir, Capture capture, QObject *parent = nullptr);

    QString path() const;
    // The record of the untouched form: a draft equal to it is no draft.
    void setEmpty(const RecordDraft &empty) { empty_ = empty; }

    // The record changed: it is written within DelayMs.
    void changed();
    bool pending() const { return timer_.isActive(); }
    // Writes the record now (or removes the file when the form is empty).
    void write();
    // The record is in its file: nothing is left to restore.
    void saved();

    // What the last session left in the draft file.
    struct Left {
        enum class Kind {
            Nothing,
            Draft,      // a record to offer
            Unreadable, // no draft of this program; kept as keptAs
        };
        Kind kind = Kind::Nothing;
        RecordDraft draft;
        QString keptAs;
    };
    // Reads the draft file; one that cannot be read is put aside at once,
    // under a name of its own, and never deleted.
    Left takeLeft();
    // The user declined the draft: it is kept, in case the answer was a slip.
    void putAside();

private:
    QString draftDir_;
    Capture capture_;
    RecordDraft empty_;
    QTimer timer_;
};
