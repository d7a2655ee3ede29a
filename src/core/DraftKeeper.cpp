#include "DraftKeeper.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "AtomicFile.h"

namespace {

// Far beyond any draft a form can hold.
constexpr qint64 MaxDraftBytes = 64 * 1024 * 1024;

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

// A lock held while the copy runs: flock() on a hidden file of the draft's,
// which the system releases when the copy ends, however it ends.
class DraftLock {
public:
    explicit DraftLock(int fd)
        : fd_(fd)
    {
    }
    ~DraftLock() { ::close(fd_); }
    DraftLock(const DraftLock &) = delete;
    DraftLock &operator=(const DraftLock &) = delete;

private:
    int fd_;
};

namespace {

std::unique_ptr<DraftLock> lockOf(const QString &draftDir, int slot)
{
    const QString name = slot == 1 ? QStringLiteral(".Nembra-Entwurf.lock")
                                   : QStringLiteral(".Nembra-Entwurf-%1.lock").arg(slot);
    const int fd = ::open(QFile::encodeName(draftDir + name).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<DraftLock>(fd);
}

} // namespace

DraftKeeper::DraftKeeper(const QString &draftDir, Capture capture, QObject *parent)
    : QObject(parent)
    , draftDir_(draftDir)
    , capture_(std::move(capture))
{
    timer_.setSingleShot(true);
    timer_.setInterval(DelayMs);
    connect(&timer_, &QTimer::timeout, this, [this] { write(); });
    // The first draft no running copy holds; where no lock can be made (a
    // folder without rights), the first, whose writes then fail and say so.
    for (int slot = 1; slot <= MaxCopies && !lock_; ++slot)
        if ((lock_ = lockOf(draftDir_, slot)))
            slot_ = slot;
}

DraftKeeper::~DraftKeeper() = default;

QString DraftKeeper::slotPath(int slot) const
{
    return draftDir_
        + (slot == 1 ? QLatin1String(Draft::FileName) : QStringLiteral("Nembra-Entwurf-%1.json").arg(slot));
}

QString DraftKeeper::path() const
{
    return slotPath(slot_);
}

void DraftKeeper::changed()
{
    if (!timer_.isActive())
        timer_.start();
}

std::optional<QString> DraftKeeper::write()
{
    timer_.stop();
    RecordDraft draft = capture_();
    std::optional<QString> failed;
    if (draft == empty_) {
        if (QFile::exists(path()) && !QFile::remove(path()))
            failed = QStringLiteral("Der alte Entwurf kann nicht entfernt werden.");
    } else {
        draft.savedTo = savingTo_;
        draft.savedSha256 = savingSha256_;
        failed = writeFileAtomically(path(), Draft::toBytes(draft));
    }
    const bool wasFailing = failure_.has_value();
    failure_ = failed;
    if (failed && !wasFailing)
        emit protectionLost(*failed);
    return failed;
}

void DraftKeeper::saving(const QString &csvPath, const QByteArray &bytes)
{
    savingTo_ = QFileInfo(csvPath).absoluteFilePath();
    savingSha256_ = sha256(bytes);
    write();
    savingTo_.clear();
    savingSha256_.clear();
}

void DraftKeeper::saved()
{
    timer_.stop();
    QFile::remove(path());
    failure_.reset();
}

void DraftKeeper::keepAside(Left &left, const QString &stem)
{
    const KeptFile kept = keepUnderFreeName(left.path, draftDir_, stem, QStringLiteral(".json"));
    left.keptAs = kept.path;
    left.error = kept.error;
}

QList<DraftKeeper::Left> DraftKeeper::takeLeft()
{
    QList<Left> found;
    QList<int> order{slot_};
    for (int slot = 1; slot <= MaxCopies; ++slot)
        if (slot != slot_)
            order.append(slot);
    for (int slot : order) {
        if (!QFileInfo::exists(slotPath(slot)))
            continue;
        // Another copy's draft only when that copy no longer runs.
        std::unique_ptr<DraftLock> held;
        if (slot != slot_ && !(held = lockOf(draftDir_, slot)))
            continue;
        Left left;
        left.path = slotPath(slot);
        left.written = QFileInfo(left.path).lastModified();
        const ReadFile file = readRegularFile(left.path, MaxDraftBytes);
        const std::optional<RecordDraft> draft = file.ok ? Draft::fromBytes(file.bytes) : std::nullopt;
        if (!draft) {
            left.kind = Left::Kind::Unreadable;
            const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
            keepAside(left, QStringLiteral("Nembra-Entwurf-unlesbar-%1").arg(stamp));
        } else if (!draft->savedTo.isEmpty()) {
            const ReadFile csv = readRegularFile(draft->savedTo, MaxDraftBytes);
            if (csv.ok && sha256(csv.bytes) == draft->savedSha256) {
                left.kind = Left::Kind::Saved;
                keepAside(left, QStringLiteral("Nembra-Entwurf-gespeichert"));
            }
        }
        if (draft)
            left.draft = *draft;
        found.append(left);
    }
    return found;
}

void DraftKeeper::adopt(const Left &left)
{
    if (left.path == path())
        return;
    // The other copy's file becomes this copy's, so it is not offered twice.
    if (!QFile::exists(path()) && QFile::rename(left.path, path()))
        return;
    // Written here first: the other file goes only once the record is safe.
    if (!write())
        QFile::remove(left.path);
}

void DraftKeeper::putAside(Left &left)
{
    keepAside(left, QStringLiteral("Nembra-Entwurf-verworfen"));
}
