#include "PhotoPosition.h"

#include <cmath>
#include <memory>

#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

namespace {

const QString Damaged = QStringLiteral("Das Foto ist unvollständig oder beschädigt.");

// The EXIF block ("Exif\0\0" and the TIFF structure) of a JPEG's APP1
// segment: found, none before the image data, or a file that breaks off.
struct ExifBlock {
    enum class Outcome {
        Found,
        None,
        Damaged
    } outcome = Outcome::None;
    QByteArrayView bytes;
};

ExifBlock findExifBlock(QByteArrayView jpeg, bool wholeFile)
{
    const auto byte = [&](qsizetype i) { return quint8(jpeg[i]); };
    // Reaching the end of what was read is damage only when it is the file's end.
    const ExifBlock endReached{wholeFile ? ExifBlock::Outcome::Damaged : ExifBlock::Outcome::None, {}};
    qsizetype at = 2;
    for (;;) {
        if (at >= jpeg.size())
            return endReached;
        if (byte(at) != 0xFF)
            return {ExifBlock::Outcome::Damaged, {}};
        while (at < jpeg.size() && byte(at) == 0xFF)
            ++at; // fill bytes
        if (at >= jpeg.size())
            return endReached;
        const quint8 marker = byte(at++);
        if (marker == 0xD9 || marker == 0xDA) // end of image, start of the image data
            return {};
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue; // no length
        if (at + 2 > jpeg.size())
            return endReached;
        const qsizetype length = (qsizetype(byte(at)) << 8) | byte(at + 1);
        if (length < 2)
            return {ExifBlock::Outcome::Damaged, {}};
        if (at + length > jpeg.size())
            return endReached;
        const QByteArrayView payload = jpeg.sliced(at + 2, length - 2);
        if (marker == 0xE1 && payload.startsWith(QByteArrayView("Exif\0\0", 6)))
            return {ExifBlock::Outcome::Found, payload};
        at += length;
    }
}

struct ExifDataFree {
    void operator()(ExifData *data) const { exif_data_unref(data); }
};

class Exif {
public:
    explicit Exif(QByteArrayView block)
        : data_(exif_data_new())
    {
        if (!data_)
            return;
        // As the camera wrote it: nothing added, nothing "corrected".
        exif_data_unset_option(data_.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
        exif_data_unset_option(data_.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
        exif_data_load_data(data_.get(), reinterpret_cast<const unsigned char *>(block.data()), unsigned(block.size()));
        order_ = exif_data_get_byte_order(data_.get());
    }

    ExifEntry *entry(ExifIfd ifd, int tag, ExifFormat format, unsigned long components) const
    {
        if (!data_)
            return nullptr;
        ExifEntry *e = exif_content_get_entry(data_->ifd[ifd], ExifTag(tag));
        if (!e || e->format != format || e->components < components || !e->data
            || e->size < components * exif_format_get_size(format))
            return nullptr;
        return e;
    }

    std::optional<double> rational(ExifIfd ifd, int tag, unsigned long index = 0, unsigned long components = 1) const
    {
        const ExifEntry *e = entry(ifd, tag, EXIF_FORMAT_RATIONAL, components);
        if (!e)
            return std::nullopt;
        const ExifRational r = exif_get_rational(e->data + 8 * index, order_);
        if (r.denominator == 0)
            return std::nullopt;
        return double(r.numerator) / double(r.denominator);
    }

    // Degrees, minutes and seconds as three rationals.
    std::optional<double> degrees(int tag) const
    {
        const auto d = rational(EXIF_IFD_GPS, tag, 0, 3);
        const auto m = rational(EXIF_IFD_GPS, tag, 1, 3);
        const auto s = rational(EXIF_IFD_GPS, tag, 2, 3);
        if (!d || !m || !s)
            return std::nullopt;
        return *d + *m / 60 + *s / 3600;
    }

    char letter(int tag) const
    {
        const ExifEntry *e = entry(EXIF_IFD_GPS, tag, EXIF_FORMAT_ASCII, 1);
        return e ? char(e->data[0]) : '\0';
    }

    std::optional<quint8> byteValue(int tag) const
    {
        const ExifEntry *e = entry(EXIF_IFD_GPS, tag, EXIF_FORMAT_BYTE, 1);
        if (!e)
            return std::nullopt;
        return quint8(e->data[0]);
    }

    QString ascii(ExifIfd ifd, int tag) const
    {
        const ExifEntry *e = entry(ifd, tag, EXIF_FORMAT_ASCII, 1);
        if (!e)
            return QString();
        const auto *text = reinterpret_cast<const char *>(e->data);
        return QString::fromLatin1(text, qsizetype(qstrnlen(text, uint(e->size))));
    }

private:
    std::unique_ptr<ExifData, ExifDataFree> data_;
    ExifByteOrder order_ = EXIF_BYTE_ORDER_MOTOROLA;
};

} // namespace

PositionRead readPhotoPosition(const QByteArray &jpeg, bool wholeFile)
{
    PositionRead out;
    if (jpeg.size() < 2 || quint8(jpeg[0]) != 0xFF || quint8(jpeg[1]) != 0xD8) {
        out.error = QStringLiteral("Die Datei ist kein JPEG-Foto.");
        return out;
    }
    const ExifBlock block = findExifBlock(jpeg, wholeFile);
    if (block.outcome == ExifBlock::Outcome::Damaged) {
        out.error = Damaged;
        return out;
    }
    if (block.outcome == ExifBlock::Outcome::None) {
        out.error = QString::fromUtf8(NoPhotoPosition);
        return out;
    }
    const Exif exif(block.bytes);
    const auto lat = exif.degrees(EXIF_TAG_GPS_LATITUDE);
    const auto lon = exif.degrees(EXIF_TAG_GPS_LONGITUDE);
    const char latRef = exif.letter(EXIF_TAG_GPS_LATITUDE_REF);
    const char lonRef = exif.letter(EXIF_TAG_GPS_LONGITUDE_REF);
    // Without its reference a value names no hemisphere: no position.
    if (!lat || !lon || (latRef != 'N' && latRef != 'S') || (lonRef != 'E' && lonRef != 'W')) {
        out.error = QString::fromUtf8(NoPhotoPosition);
        return out;
    }
    if (!std::isfinite(*lat) || !std::isfinite(*lon) || *lat > 90 || *lon > 180) {
        out.error = QStringLiteral("Die Position im Foto ist ungültig.");
        return out;
    }
    FieldPosition position;
    position.latitude = latRef == 'S' ? -*lat : *lat;
    position.longitude = lonRef == 'W' ? -*lon : *lon;
    if (const auto altitude = exif.rational(EXIF_IFD_GPS, EXIF_TAG_GPS_ALTITUDE)) {
        // Reference 1 is below sea level; no reference is above.
        const auto ref = exif.byteValue(EXIF_TAG_GPS_ALTITUDE_REF);
        position.altitude = ref && *ref == 1 ? -*altitude : *altitude;
    }
    position.horizontalError = exif.rational(EXIF_IFD_GPS, EXIF_TAG_GPS_H_POSITIONING_ERROR);
    // A camera's clock: local time without a zone.
    const QDateTime taken = QDateTime::fromString(exif.ascii(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL).left(19),
                                                  QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    if (taken.isValid())
        position.time = taken;
    out.positions.append(position);
    return out;
}
