#pragma once

#include <optional>

#include <QByteArray>
#include <QList>

// Position files made here: GPX documents as receivers write them, and
// photos as cameras write them, a JPEG whose APP1 segment holds an EXIF block
// with the GPS tags and DateTimeOriginal that a test asks for.
namespace PositionFixture {

inline QByteArray gpx11(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"Test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        + body + "</gpx>\n";
}

// Three waypoints; the second at 49.5° N 7° E, 312.4 m, on 1 June 2026 at
// 22:30 UTC.
inline QByteArray threeWaypoints()
{
    return gpx11("<metadata><name>Saar</name></metadata>\n"
                 "<wpt lat=\"49.451870\" lon=\"6.660719\"><ele>181.6</ele><time>2026-06-01T08:15:30Z</time>"
                 "<name>001</name><sym>Flag</sym></wpt>\n"
                 "<wpt lat=\"49.500000\" lon=\"7.000000\"><ele>312.4</ele><time>2026-06-01T22:30:00Z</time>"
                 "<name>002 Hang</name></wpt>\n"
                 "<wpt lat=\"-12.5\" lon=\"-45.25\"><name>003</name></wpt>\n");
}

struct Rational {
    quint32 numerator = 0;
    quint32 denominator = 1;
};

struct Tags {
    bool bigEndian = false;
    std::optional<QList<Rational>> latitude, longitude; // degrees, minutes, seconds
    QByteArray latitudeRef, longitudeRef;               // "N", "S", "E", "W"; empty: no tag
    std::optional<Rational> altitude;
    std::optional<quint8> altitudeRef;
    std::optional<Rational> horizontalError;
    QByteArray dateTimeOriginal; // "YYYY:MM:DD HH:MM:SS"; empty: no tag
};

namespace detail {

struct Entry {
    quint16 tag;
    quint16 type; // 1 BYTE, 2 ASCII, 4 LONG, 5 RATIONAL
    quint32 count;
    QByteArray value;
};

class Writer {
public:
    explicit Writer(bool bigEndian)
        : big_(bigEndian)
    {
    }
    QByteArray u16(quint16 v) const
    {
        QByteArray b(2, '\0');
        for (int i = 0; i < 2; ++i)
            b[big_ ? 1 - i : i] = char(v >> (8 * i));
        return b;
    }
    QByteArray u32(quint32 v) const
    {
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[big_ ? 3 - i : i] = char(v >> (8 * i));
        return b;
    }
    QByteArray rationals(const QList<Rational> &values) const
    {
        QByteArray b;
        for (const Rational &r : values)
            b += u32(r.numerator) + u32(r.denominator);
        return b;
    }
    static qsizetype sizeOf(const QList<Entry> &entries)
    {
        qsizetype size = 2 + 12 * entries.size() + 4;
        for (const Entry &e : entries)
            if (e.value.size() > 4)
                size += e.value.size() + (e.value.size() & 1);
        return size;
    }
    // The directory at offset, its long values right behind it.
    QByteArray ifd(const QList<Entry> &entries, quint32 offset) const
    {
        QByteArray head = u16(quint16(entries.size()));
        QByteArray data;
        quint32 dataAt = offset + quint32(2 + 12 * entries.size() + 4);
        for (const Entry &e : entries) {
            head += u16(e.tag) + u16(e.type) + u32(e.count);
            if (e.value.size() <= 4) {
                head += e.value + QByteArray(4 - e.value.size(), '\0');
            } else {
                head += u32(dataAt + quint32(data.size()));
                data += e.value;
                if (e.value.size() & 1)
                    data += '\0';
            }
        }
        return head + u32(0) + data;
    }

private:
    bool big_;
};

} // namespace detail

// "Exif\0\0" and the TIFF structure.
inline QByteArray exifBlock(const Tags &tags)
{
    using detail::Entry;
    const detail::Writer w(tags.bigEndian);
    QList<Entry> gps{{0x0000, 1, 4, QByteArray("\x02\x03\x00\x00", 4)}};
    const auto ascii = [](quint16 tag, const QByteArray &text) {
        return Entry{tag, 2, quint32(text.size() + 1), text + '\0'};
    };
    if (!tags.latitudeRef.isEmpty())
        gps.append(ascii(0x0001, tags.latitudeRef));
    if (tags.latitude)
        gps.append({0x0002, 5, quint32(tags.latitude->size()), w.rationals(*tags.latitude)});
    if (!tags.longitudeRef.isEmpty())
        gps.append(ascii(0x0003, tags.longitudeRef));
    if (tags.longitude)
        gps.append({0x0004, 5, quint32(tags.longitude->size()), w.rationals(*tags.longitude)});
    if (tags.altitudeRef)
        gps.append({0x0005, 1, 1, QByteArray(1, char(*tags.altitudeRef))});
    if (tags.altitude)
        gps.append({0x0006, 5, 1, w.rationals({*tags.altitude})});
    if (tags.horizontalError)
        gps.append({0x001f, 5, 1, w.rationals({*tags.horizontalError})});
    QList<Entry> exif;
    if (!tags.dateTimeOriginal.isEmpty())
        exif.append(ascii(0x9003, tags.dateTimeOriginal));

    QList<Entry> ifd0{{0x8769, 4, 1, {}}, {0x8825, 4, 1, {}}};
    const quint32 exifAt = 8 + quint32(detail::Writer::sizeOf(ifd0));
    const quint32 gpsAt = exifAt + quint32(detail::Writer::sizeOf(exif));
    ifd0[0].value = w.u32(exifAt);
    ifd0[1].value = w.u32(gpsAt);
    QByteArray tiff = tags.bigEndian ? QByteArray("MM") : QByteArray("II");
    tiff += w.u16(42) + w.u32(8);
    tiff += w.ifd(ifd0, 8) + w.ifd(exif, exifAt) + w.ifd(gps, gpsAt);
    return QByteArray("Exif\0\0", 6) + tiff;
}

inline QByteArray segment(quint8 marker, const QByteArray &payload)
{
    const int length = int(payload.size()) + 2;
    return QByteArray("\xFF", 1) + char(marker) + char(length >> 8) + char(length & 0xFF) + payload;
}

// SOI, JFIF, the EXIF block (when given), a quantisation table, the image
// data's start and a few bytes of it, EOI.
inline QByteArray jpeg(const std::optional<Tags> &tags)
{
    QByteArray out("\xFF\xD8", 2);
    out += segment(0xE0, QByteArray("JFIF\0\x01\x01\x00\x00\x01\x00\x01\x00\x00", 14));
    if (tags)
        out += segment(0xE1, exifBlock(*tags));
    out += segment(0xDB, QByteArray(65, '\x01'));
    out += segment(0xDA, QByteArray("\x01\x01\x00\x00\x3F\x00", 6));
    out += QByteArray(32, '\x55') + QByteArray("\xFF\xD9", 2);
    return out;
}

// The tags of a photo taken at Merzig: 49°27'06.720"N 6°39'38.560"E, 312.4 m,
// 4.2 m horizontal error, on 1 June 2026 at 14:05:09.
inline Tags merzig()
{
    Tags t;
    t.latitude = QList<Rational>{{49, 1}, {27, 1}, {6720, 1000}};
    t.latitudeRef = "N";
    t.longitude = QList<Rational>{{6, 1}, {39, 1}, {38560, 1000}};
    t.longitudeRef = "E";
    t.altitude = Rational{3124, 10};
    t.altitudeRef = 0;
    t.horizontalError = Rational{42, 10};
    t.dateTimeOriginal = "2026:06:01 14:05:09";
    return t;
}

} // namespace PositionFixture
