#include "DraftKeeper.h"

#include <QDateTime>
#include <QFile>

#include "AtomicFile.h"

DraftKeeper::DraftKeeper(const QString &draftDir, Capture capture, QObject *parent)
    : QObject(parent)
    , draftDir_(draftDir)
    , capture_(std::move(capture))
{
    timer_.setSingleShot(true);
    timer_.setInterval(DelayMs);
    connect(&timer_, &QTimer::timeout, this, &DraftKeeper::write);
}

QString DraftKeeper::path() const
{
    return draftDir_ + QLatin1String(Draft::FileName);
}

void DraftKeeper::changed()
{
    if (!timer_.isActive())
        timer_.start();
}

void DraftKeeper::write()
{
    timer_.stop();
    const RecordDraft draft = capture_();
    if (draft == empty_) {
        QFile::remove(path());
        return;
    }
    // A draft that cannot be written is no reason to interrupt the user
    // every second; the save itself reports its failures.
    writeFileAtomically(path(), Draft::toBytes(draft));
}

void DraftKeeper::saved()
{
    timer_.stop();
    QFile::remove(path());
}

DraftKeeper::Left DraftKeeper::takeLeft()
{
    Left left;
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly))
        return left;
    const std::optional<RecordDraft> draft = Draft::fromBytes(file.readAll());
    file.close();
    if (draft) {
        left.kind = Left::Kind::Draft;
        left.draft = *draft;
        return left;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    left.kind = Left::Kind::Unreadable;
    left.keptAs = draftDir_ + QStringLiteral("Nembra-Entwurf-unlesbar-%1.json").arg(stamp);
    QFile::rename(path(), left.keptAs);
    return left;
}

void DraftKeeper::putAside()
{
    const QString aside = draftDir_ + QStringLiteral("Nembra-Entwurf-verworfen.json");
    QFile::remove(aside);
    QFile::rename(path(), aside);
}
