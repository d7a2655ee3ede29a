#include "AppFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "TextFile.h"

AppFolder::AppFolder() = default;

void AppFolder::write(const QString &relativePath, const QByteArray &bytes) const
{
    const QString full = path() + relativePath;
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(full));
    file.write(bytes);
}

void AppFolder::writeTaxa(const QStringList &taxa) const
{
    write(QStringLiteral("RefList/TaxList.txt"),
          encodeText(taxa.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), TextEncoding::Utf8Bom));
}

void AppFolder::writeObservers(const QStringList &names) const
{
    write(QStringLiteral("RefList/QuarnelList.txt"),
          encodeText(names.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), TextEncoding::Windows1252));
}

void AppFolder::writeIni(const QByteArray &content) const
{
    write(QStringLiteral("Nembra.ini"), content);
}

void AppFolder::writeDefaultLists() const
{
    writeTaxa({QStringLiteral("Abies alba"), QStringLiteral("Achillea millefolium ssp. sudetica")});
    writeObservers({QStringLiteral("Müller, Hans"), QStringLiteral("Schäfer, Jürgen"), QStringLiteral("Böhm, Käthe")});
}
