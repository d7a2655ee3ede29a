#include "TaxonUse.h"

#include <algorithm>

#include <QFile>

#include "AtomicFile.h"

namespace TaxonUse {

namespace {

QString pathIn(const QString &settingsDir)
{
    return settingsDir + QLatin1String(FileName);
}

} // namespace

Counts fromBytes(const QByteArray &bytes)
{
    Counts counts;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int count = line.left(tab).toInt(&ok);
        const QString name = QString::fromUtf8(line.mid(tab + 1)).trimmed();
        if (ok && count > 0 && !name.isEmpty())
            counts[name] = count;
    }
    return counts;
}

QByteArray toBytes(const Counts &counts)
{
    QStringList names = counts.keys();
    std::sort(names.begin(), names.end());
    QByteArray out;
    for (const QString &name : std::as_const(names))
        out += QByteArray::number(counts.value(name)) + '\t' + name.toUtf8() + '\n';
    return out;
}

Counts read(const QString &settingsDir)
{
    const ReadFile file = readRegularFile(pathIn(settingsDir), MaxBytes);
    return file.ok ? fromBytes(file.bytes) : Counts();
}

std::optional<QString> add(const QString &settingsDir, Counts &counts, const QStringList &taxa)
{
    for (const QString &taxon : taxa) {
        const QString name = taxon.trimmed();
        if (!name.isEmpty() && !name.contains(u'\n') && !name.contains(u'\t'))
            counts[name] = qMin(counts.value(name), 1000000000 - 1) + 1;
    }
    return writeFileAtomically(pathIn(settingsDir), toBytes(counts));
}

std::optional<QString> reset(const QString &settingsDir)
{
    QFile file(pathIn(settingsDir));
    if (!file.exists() || file.remove())
        return std::nullopt;
    return QStringLiteral("Die Datei \"%1\" kann nicht gelöscht werden.").arg(file.fileName());
}

} // namespace TaxonUse
