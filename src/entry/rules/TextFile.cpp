#include "TextFile.h"

#include <optional>

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include "AtomicFile.h"

namespace {

bool startsWith(const QByteArray &bytes, std::initializer_list<unsigned char> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char b : mark)
        if (static_cast<unsigned char>(bytes[i++]) != b)
            return false;
    return true;
}

bool isAscii(const QByteArray &bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    // The mark was taken off already; a second one is part of the text.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

} // namespace

namespace {

// UTF-16 without a mark: zeros in every second place of the first bytes (the
// high bytes of Latin text) and none in the others.
std::optional<QStringConverter::Encoding> utf16WithoutMark(const QByteArray &bytes)
{
    const qsizetype n = qMin<qsizetype>(bytes.size(), 4096) & ~qsizetype(1);
    if (n < 4 || bytes.size() % 2 != 0)
        return std::nullopt;
    qsizetype evenZeros = 0, oddZeros = 0;
    for (qsizetype i = 0; i < n; i += 2) {
        evenZeros += bytes[i] == '\0';
        oddZeros += bytes[i + 1] == '\0';
    }
    const qsizetype pairs = n / 2;
    if (evenZeros == 0 && oddZeros * 10 >= pairs * 4)
        return QStringConverter::Utf16LE;
    if (oddZeros == 0 && evenZeros * 10 >= pairs * 4)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

bool validUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    // The line end after it, so that a sequence cut off at the end counts.
    // (decode() converts only when its result is taken as a text.)
    const QString text = utf8.decode(bytes.toByteArray() + '\n');
    return !utf8.hasError();
}

// The first line (from 1) of bytes that is no valid UTF-8, when some other
// part of the file holds a UTF-8 character beyond ASCII; else 0.
int firstLineNotUtf8(const QByteArray &bytes)
{
    int first = 0;
    bool utf8Seen = false;
    int line = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        const QByteArrayView text = QByteArrayView(bytes).sliced(start, i - start);
        if (!validUtf8(text))
            first = first ? first : line;
        else if (!isAscii(text.toByteArray()))
            utf8Seen = true;
        if (i < bytes.size() && bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
        ++line;
    }
    return utf8Seen ? first : 0;
}

} // namespace

DecodedText decodeText(const QByteArray &bytes)
{
    if (startsWith(bytes, {0xFF, 0xFE}))
        return {decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2)), TextEncoding::Utf16LE};
    if (startsWith(bytes, {0xFE, 0xFF}))
        return {decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2)), TextEncoding::Utf16BE};
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return {decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3)), TextEncoding::Utf8Bom};
    if (const auto utf16 = utf16WithoutMark(bytes))
        return {decodeWith(*utf16, bytes),
                *utf16 == QStringConverter::Utf16LE ? TextEncoding::Utf16LE : TextEncoding::Utf16BE};
    if (!isAscii(bytes)) {
        QStringDecoder utf8(QStringConverter::Utf8,
                            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return {std::move(text), TextEncoding::Utf8};
    }
    QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    DecodedText out{decoder.decode(bytes), TextEncoding::Windows1252};
    if (!isAscii(bytes))
        out.notUtf8Line = firstLineNotUtf8(bytes);
    return out;
}

QByteArray encodeText(const QString &text, TextEncoding encoding, bool *lossy)
{
    // Each encoder is built in place: a moved QStringEncoder loses its error
    // state in Qt 6.4, and that state is how lost characters are noticed.
    auto encodeWith = [&](QStringEncoder &&encoder, QByteArray out) {
        out += encoder.encode(text);
        if (lossy)
            *lossy = encoder.hasError();
        return out;
    };
    constexpr auto stateless = QStringConverter::Flag::Stateless;
    switch (encoding) {
    case TextEncoding::Utf8:
        return encodeWith(QStringEncoder(QStringConverter::Utf8, stateless), QByteArray());
    case TextEncoding::Utf8Bom:
        return encodeWith(QStringEncoder(QStringConverter::Utf8, stateless), QByteArray("\xEF\xBB\xBF", 3));
    case TextEncoding::Utf16LE:
        return encodeWith(QStringEncoder(QStringConverter::Utf16LE, stateless), QByteArray("\xFF\xFE", 2));
    case TextEncoding::Utf16BE:
        return encodeWith(QStringEncoder(QStringConverter::Utf16BE, stateless), QByteArray("\xFE\xFF", 2));
    case TextEncoding::Windows1252:
        break;
    }
    return encodeWith(QStringEncoder("windows-1252", stateless), QByteArray());
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    const qsizetype n = text.size();
    const QChar *data = text.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(QString(data + start, i - start));
        if (c == u'\r' && i + 1 < n && data[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(QString(data + start, n - start));
    return lines;
}

ListFile readListFile(const QString &path)
{
    ListFile list;
    const ReadFile file = readRegularFile(path, MaxListBytes);
    if (!file.exists) {
        list.error = QStringLiteral("Die Datei existiert nicht.");
        return list;
    }
    if (!file.ok) {
        list.outcome = ListFile::Outcome::Unreadable;
        list.error = file.error;
        return list;
    }
    list.outcome = ListFile::Outcome::Read;
    const DecodedText decoded = decodeText(file.bytes);
    list.entries = splitLines(decoded.text);
    // "Abies\0alba" is "Abies alba", never "Abiesalba".
    for (QString &entry : list.entries)
        for (QChar &c : entry)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                c = u' ';
    if (decoded.notUtf8Line)
        list.warning = QStringLiteral("Die Datei \"%1\" enthält UTF-8-Zeichen, aber Zeile %2 ist kein UTF-8.\n\r"
                                      "Die Datei wurde deshalb als Windows-1252 gelesen; bitte prüfen Sie die "
                                      "Einträge und speichern Sie die Datei als UTF-8.")
                           .arg(path)
                           .arg(decoded.notUtf8Line);
    return list;
}

bool loadListFile(const QString &path, QStringList &entries, QString *error)
{
    ListFile list = readListFile(path);
    if (list.outcome != ListFile::Outcome::Read) {
        if (error)
            *error = list.error;
        return false;
    }
    entries = std::move(list.entries);
    return true;
}
