#include "ProfileFile.h"

#include <string>
#include <utility>

#include <QFile>

// Text is converted by Qt before SimpleIni sees it, as UTF-8.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "AtomicFile.h"
#include "TextFile.h"

namespace {

struct LoadedIni {
    CSimpleIniA ini{/*a_bIsUtf8=*/true, /*a_bMultiKey=*/false, /*a_bMultiLine=*/false};
    TextEncoding encoding = TextEncoding::Windows1252;
    bool exists = false;
};

void load(const QString &path, LoadedIni &loaded)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const DecodedText decoded = decodeText(file.readAll());
    loaded.exists = true;
    loaded.encoding = decoded.encoding;
    const QByteArray utf8 = decoded.text.toUtf8();
    loaded.ini.LoadData(utf8.constData(), size_t(utf8.size()));
    // Written back as "key=value", the way the Windows profile service writes.
    loaded.ini.SetSpaces(false);
}

QString stripQuotes(QString value)
{
    // The profile service drops one pair of quotes that encloses the whole value.
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

ProfileFile::ProfileFile(QString path)
    : path_(std::move(path))
{
}

QString ProfileFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    LoadedIni loaded;
    load(path_, loaded);
    const char *value = loaded.ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!value)
        return defaultValue.left(MaxValueLength);
    return stripQuotes(QString::fromUtf8(value).trimmed()).left(MaxValueLength);
}

bool ProfileFile::writeString(const QString &section, const QString &key, const QString &value, QString *error) const
{
    return writeStrings(section, {{key, value}}, error);
}

bool ProfileFile::writeStrings(const QString &section, const QList<std::pair<QString, QString>> &entries,
                               QString *error) const
{
    LoadedIni loaded;
    load(path_, loaded);
    loaded.ini.SetSpaces(false);
    const QByteArray sectionUtf8 = section.toUtf8();
    for (const auto &[key, value] : entries) {
        const QByteArray keyUtf8 = key.toUtf8();
        const QByteArray valueUtf8 = value.toUtf8();
        if (loaded.ini.SetValue(sectionUtf8.constData(), keyUtf8.constData(), valueUtf8.constData()) < 0) {
            if (error)
                *error = QStringLiteral("Ungültiger Eintrag");
            return false;
        }
    }
    std::string saved;
    loaded.ini.Save(saved, /*a_bAddSignature=*/false);
    // Files by hand on Windows end lines with CR LF; keep that convention.
    QString text = QString::fromUtf8(saved.data(), qsizetype(saved.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', QStringLiteral("\r\n"));

    bool lossy = false;
    QByteArray bytes = encodeText(text, loaded.encoding, &lossy);
    if (lossy)
        bytes = encodeText(text, TextEncoding::Utf8Bom);

    if (const auto failure = writeFileAtomically(path_, bytes)) {
        if (error)
            *error = *failure;
        return false;
    }
    return true;
}
