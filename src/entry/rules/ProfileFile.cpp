#include "ProfileFile.h"

#include <optional>
#include <utility>

#include <QFile>

#include "AtomicFile.h"
#include "TextFile.h"

namespace {

// One line of the file with its own line end ("" for a last line without).
struct Line {
    QString text;
    QString end;
};

struct LoadedIni {
    QList<Line> lines;
    TextEncoding encoding = TextEncoding::Windows1252;
    bool exists = false;
    // Why a file that exists could not be read; it is then never written.
    QString unreadable;
};

// Far beyond any settings file; a larger one is not the program's.
constexpr qint64 MaxIniBytes = 16 * 1024 * 1024;

LoadedIni load(const QString &path)
{
    LoadedIni loaded;
    const ReadFile file = readRegularFile(path, MaxIniBytes);
    loaded.exists = file.exists;
    if (!file.ok) {
        loaded.unreadable = file.error;
        return loaded;
    }
    const DecodedText decoded = decodeText(file.bytes);
    loaded.encoding = decoded.encoding;
    const QString &text = decoded.text;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        const qsizetype endLength = (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
        loaded.lines.append({text.mid(start, i - start), text.mid(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < text.size())
        loaded.lines.append({text.mid(start), QString()});
    return loaded;
}

// The name of a section header line "[name]", or nothing.
std::optional<QString> sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    return (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
}

bool isComment(const QString &trimmed)
{
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<QString> keyOf(const QString &line)
{
    const QString t = line.trimmed();
    const qsizetype eq = t.indexOf(u'=');
    if (t.isEmpty() || isComment(t) || eq <= 0)
        return std::nullopt;
    return t.left(eq).trimmed();
}

// Names compare without regard to case and to blanks around them.
bool same(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// Index of the first section header of that name, or -1. Like the profile
// service, only the first section of a name counts.
qsizetype findSection(const QList<Line> &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (const auto name = sectionName(lines[i].text); name && same(*name, section))
            return i;
    return -1;
}

QString stripQuotes(QString value)
{
    // The profile service drops one pair of quotes that encloses the whole value.
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        return value.mid(1, value.size() - 2);
    return value;
}

bool hasControl(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

} // namespace

ProfileFile::ProfileFile(QString path)
    : path_(std::move(path))
{
}

QString ProfileFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const LoadedIni loaded = load(path_);
    const qsizetype header = findSection(loaded.lines, section);
    if (header >= 0) {
        for (qsizetype i = header + 1; i < loaded.lines.size() && !sectionName(loaded.lines[i].text); ++i) {
            const auto k = keyOf(loaded.lines[i].text);
            if (!k || !same(*k, key))
                continue;
            const QString &text = loaded.lines[i].text;
            const QString value = text.mid(text.indexOf(u'=') + 1).trimmed();
            return stripQuotes(value).left(MaxValueLength);
        }
    }
    return defaultValue.left(MaxValueLength);
}

bool ProfileFile::writeString(const QString &section, const QString &key, const QString &value, QString *error) const
{
    return writeStrings(section, {{key, value}}, error);
}

bool ProfileFile::writeStrings(const QString &section, const QList<std::pair<QString, QString>> &entries,
                               QString *error) const
{
    // A line break or a bracket in a name, or a control character anywhere,
    // would write something else into the file than the caller meant.
    bool valid = !section.trimmed().isEmpty() && !hasControl(section) && !section.contains(u']');
    for (const auto &[key, value] : entries)
        valid = valid && !key.trimmed().isEmpty() && !hasControl(key) && !key.contains(u'=')
            && !key.trimmed().startsWith(u'[') && !isComment(key.trimmed()) && !hasControl(value);
    if (!valid) {
        if (error)
            *error = QStringLiteral("Ungültiger Eintrag");
        return false;
    }

    LoadedIni loaded = load(path_);
    // A file that exists and cannot be read would be replaced by the keys
    // alone: every other setting and comment would be lost.
    if (loaded.exists && !loaded.unreadable.isEmpty()) {
        if (error)
            *error = QStringLiteral("Die Datei kann nicht gelesen werden: ") + loaded.unreadable;
        return false;
    }
    QList<Line> &lines = loaded.lines;
    // New lines end as the file's lines do; files by hand on Windows use CR LF.
    QString newline = QStringLiteral("\r\n");
    for (const Line &line : std::as_const(lines))
        if (!line.end.isEmpty()) {
            newline = line.end;
            break;
        }
    auto terminateLast = [&] {
        if (!lines.isEmpty() && lines.constLast().end.isEmpty())
            lines.last().end = newline;
    };

    for (const auto &[key, value] : entries) {
        const QString entry = key.trimmed() + u'=' + value;
        qsizetype header = findSection(lines, section);
        if (header < 0) {
            terminateLast();
            lines.append({u'[' + section.trimmed() + u']', newline});
            lines.append({entry, newline});
            continue;
        }
        qsizetype lastEntry = header;
        bool replaced = false;
        for (qsizetype i = header + 1; i < lines.size() && !sectionName(lines[i].text); ++i) {
            const auto k = keyOf(lines[i].text);
            if (k && same(*k, key)) {
                lines[i].text = entry;
                replaced = true;
                break;
            }
            if (!lines[i].text.trimmed().isEmpty())
                lastEntry = i;
        }
        if (replaced)
            continue;
        // A new key goes after the section's last line that is not blank.
        if (lines[lastEntry].end.isEmpty())
            lines[lastEntry].end = newline;
        lines.insert(lastEntry + 1, {entry, newline});
    }

    QString text;
    for (const Line &line : std::as_const(lines))
        text += line.text + line.end;
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
