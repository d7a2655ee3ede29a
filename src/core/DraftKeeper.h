#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "RecordDraft.h"

class DraftLock;

// Keeps the unsaved record of the form in its draft file: written at most
// DelayMs after each change and at once when the window closes, removed once
// the record is saved or the form is back to empty, and offered back at the
// next start. The form hands over its record through capture() and takes a
// draft back from what was left; the questions it asks are its own.
//
// Each running copy of the program keeps its own draft: the first copy
// "Nembra-Entwurf.json", a second one started meanwhile
// "Nembra-Entwurf-2.json" and so on, each held by a lock file while the copy
// runs. At the start a copy offers its own draft and those of copies that no
// longer run.
class DraftKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int DelayMs = 1000;
    static constexpr int MaxCopies = 9;
    using Capture = std::function<RecordDraft()>;

    // draftDir ends with a separator.
    DraftKeeper(const QString &draftDir, Capture capture, QObject *parent = nullptr);
    ~DraftKeeper() override;

    // This copy's draft file.
    QString path() const;
    // The record of the untouched form: a draft equal to it is no draft.
    void setEmpty(const RecordDraft &empty) { empty_ = empty; }

    // The record changed: it is written within DelayMs.
    void changed();
    bool pending() const { return timer_.isActive(); }
    // Writes the record now (or removes the file when the form is empty).
    // The reason when the draft could not be written.
    std::optional<QString> write();
    // Why the last write failed, while the record is not protected.
    const std::optional<QString> &failure() const { return failure_; }

    // Just before the record goes into csvPath: the draft says so, with the
    // file's bytes, so that a draft left by a kill between the save and the
    // draft's removal is known as saved at the next start.
    void saving(const QString &csvPath, const QByteArray &bytes);
    // The record is in its file: nothing is left to restore.
    void saved();

    // What earlier sessions left.
    struct Left {
        enum class Kind {
            Draft,      // a record to offer
            Saved,      // saved to its CSV file already; kept as keptAs
            Unreadable, // no draft of this program; kept as keptAs
        };
        Kind kind = Kind::Draft;
        QString path; // the draft file
        RecordDraft draft;
        QDateTime written; // the file's time, for a draft without its own
        QString keptAs;    // where it was put aside
        QString error;     // why it could not be put aside
    };
    // This copy's draft first, then those of copies that no longer run. Saved
    // and unreadable ones are put aside at once, under names of their own,
    // and never deleted.
    QList<Left> takeLeft();
    // The user took this draft back: it becomes this copy's.
    void adopt(const Left &left);
    // The user declined it: kept as "Nembra-Entwurf-verworfen.json" (or -2,
    // -3, … when that name is taken), in case the answer was a slip.
    void putAside(Left &left);

signals:
    // The draft could not be written, after it could be (or at the first
    // try): the record is not protected until a write succeeds again.
    void protectionLost(const QString &reason);

private:
    QString slotPath(int slot) const;
    void keepAside(Left &left, const QString &stem);

    QString draftDir_;
    Capture capture_;
    RecordDraft empty_;
    QTimer timer_;
    int slot_ = 1;
    std::unique_ptr<DraftLock> lock_;
    std::optional<QString> failure_;
    QString savingTo_;
    QString savingSha256_;
};
