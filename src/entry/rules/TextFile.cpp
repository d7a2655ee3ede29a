#include "TextFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

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

DecodedText decodeText(const QByteArray &bytes)
{
    if (startsWith(bytes, {0xFF, 0xFE}))
        return {decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2)), TextEncoding::Utf16LE};
    if (startsWith(bytes, {0xFE, 0xFF}))
        return {decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2)), TextEncoding::Utf16BE};
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return {decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3)), TextEncoding::Utf8Bom};
    if (!isAscii(bytes)) {
        QStringDecoder utf8(QStringConverter::Utf8,
                            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return {std::move(text), TextEncoding::Utf8};
    }
    QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    return {decoder.decode(bytes), TextEncoding::Windows1252};
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

bool loadListFile(const QString &path, QStringList &entries, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    entries = splitLines(decodeText(bytes).text);
    return true;
}
