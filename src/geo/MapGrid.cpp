#include "MapGrid.h"

#include <cmath>
#include <memory>

#include <QRegularExpression>

#include <proj.h>

namespace MapGrid {

namespace {

constexpr double DegToRad = M_PI / 180.0;
constexpr double RadToDeg = 180.0 / M_PI;

// Sheet 6926 has its south-west corner at 49° N, 10° E (DHDN); a sheet is
// 6' high and 10' wide, rows counted southwards, columns eastwards.
constexpr double SheetHeight = 0.1;
constexpr double SheetWidth = 1.0 / 6.0;
constexpr int BaseRow = 69;
constexpr int BaseColumn = 26;
constexpr double BaseSouth = 49.0;
constexpr double BaseWest = 10.0;

// The published seven parameters (EPSG:1777, position vector) from DHDN to
// WGS84, and the NTv2 grid of the same step.
const char *const GridPipeline = "+proj=hgridshift +grids=BETA2007.gsb";
const char
    *const HelmertPipeline = "+proj=pipeline +step +proj=cart +ellps=bessel "
                             "+step +proj=helmert +x=598.1 +y=73.7 +z=418.2 +rx=0.202 +ry=0.045 +rz=-2.455 +s=6.7 "
                             "+convention=position_vector +step +inv +proj=cart +ellps=WGS84";

struct ProjDeleter {
    void operator()(PJ *p) const { proj_destroy(p); }
};
using ProjPtr = std::unique_ptr<PJ, ProjDeleter>;

// One context and the transformations, made at the first use.
struct Proj {
    PJ_CONTEXT *context = nullptr;
    ProjPtr grid;    // DHDN -> ETRS89 (taken as WGS84), may be missing
    ProjPtr helmert; // DHDN -> WGS84
    ProjPtr strips[4];

    Proj()
    {
        context = proj_context_create();
        // The grid lies in PROJ's own search path (Debian: /usr/share/proj);
        // nothing is ever fetched from the network.
        proj_context_set_enable_network(context, 0);
        proj_log_level(context, PJ_LOG_NONE);
        grid.reset(proj_create(context, GridPipeline));
        helmert.reset(proj_create(context, HelmertPipeline));
        for (int strip = 2; strip <= 5; ++strip) {
            const QByteArray definition = QStringLiteral(
                                              "+proj=tmerc +lat_0=0 +lon_0=%1 +k=1 +x_0=%2 +y_0=0 +ellps=bessel")
                                              .arg(3 * strip)
                                              .arg(strip * 1000000 + 500000)
                                              .toLatin1();
            strips[strip - 2].reset(proj_create(context, definition.constData()));
        }
    }
    ~Proj()
    {
        grid.reset();
        helmert.reset();
        for (ProjPtr &s : strips)
            s.reset();
        proj_context_destroy(context);
    }
};

Proj &proj()
{
    static Proj p;
    return p;
}

std::optional<PJ_COORD> run(PJ *operation, PJ_DIRECTION direction, double x, double y)
{
    if (!operation)
        return std::nullopt;
    proj_errno_reset(operation);
    const PJ_COORD out = proj_trans(operation, direction, proj_coord(x, y, 0, 0));
    if (proj_errno(operation) != 0 || !std::isfinite(out.xy.x) || !std::isfinite(out.xy.y) || out.xy.x == HUGE_VAL
        || out.xy.y == HUGE_VAL)
        return std::nullopt;
    return out;
}

std::optional<LatLng> shift(const LatLng &p, PJ_DIRECTION direction)
{
    if (!std::isfinite(p.lat) || !std::isfinite(p.lng) || std::abs(p.lat) > 90 || std::abs(p.lng) > 180)
        return std::nullopt;
    Proj &pr = proj();
    // Outside the grid's area the seven parameters take over.
    for (PJ *operation : {pr.grid.get(), pr.helmert.get()})
        if (auto out = run(operation, direction, p.lng * DegToRad, p.lat * DegToRad))
            return LatLng{out->lp.phi * RadToDeg, out->lp.lam * RadToDeg};
    return std::nullopt;
}

struct Cell {
    int row = 0;
    int column = 0;
};

std::optional<Cell> sheetOf(const LatLng &dhdn)
{
    const int row = BaseRow - int(std::floor((dhdn.lat - BaseSouth) / SheetHeight + 1e-12));
    const int column = BaseColumn + int(std::floor((dhdn.lng - BaseWest) / SheetWidth + 1e-12));
    if (row < 1 || row > 99 || column < 1 || column > 99)
        return std::nullopt;
    return Cell{row, column};
}

Bounds sheetBounds(const Cell &sheet)
{
    Bounds b;
    b.south = BaseSouth + (BaseRow - sheet.row) * SheetHeight;
    b.north = b.south + SheetHeight;
    b.west = BaseWest + (sheet.column - BaseColumn) * SheetWidth;
    b.east = b.west + SheetWidth;
    return b;
}

// The quarter of b with the number 1 (north-west) to 4 (south-east).
Bounds quarter(const Bounds &b, int number)
{
    const double midLat = (b.south + b.north) / 2, midLng = (b.west + b.east) / 2;
    Bounds q = b;
    if (number <= 2)
        q.south = midLat;
    else
        q.north = midLat;
    if (number % 2 == 1)
        q.east = midLng;
    else
        q.west = midLng;
    return q;
}

int quarterOf(const Bounds &b, const LatLng &p)
{
    const bool north = p.lat >= (b.south + b.north) / 2;
    const bool west = p.lng < (b.west + b.east) / 2;
    return north ? (west ? 1 : 2) : (west ? 3 : 4);
}

// Minute field of a quadrant: 3 rows of 1' counted from the north, 5
// columns of 1' counted from the west.
Bounds minuteField(const Bounds &quadrant, int row, int column)
{
    Bounds f;
    f.north = quadrant.north - (row - 1) / 60.0;
    f.south = f.north - 1 / 60.0;
    f.west = quadrant.west + (column - 1) / 60.0;
    f.east = f.west + 1 / 60.0;
    return f;
}

int clampIndex(double value, int count)
{
    return std::clamp(int(std::floor(value)), 0, count - 1);
}

QString sheetText(const Cell &sheet)
{
    return QStringLiteral("%1%2").arg(sheet.row, 2, 10, QLatin1Char('0')).arg(sheet.column, 2, 10, QLatin1Char('0'));
}

double parseNumber(QString text, bool *ok)
{
    text.replace(u',', u'.');
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]+(\\.[0-9]{1,5})?$"));
    *ok = plain.match(text).hasMatch();
    return *ok ? text.toDouble(ok) : 0;
}

} // namespace

Datum datum()
{
    return proj().grid ? Datum::Beta2007 : Datum::SevenParameters;
}

double toleranceMetres()
{
    // PROJ rates the grid at 1 m and the parameters at 3 m (west) and more
    // in the east; twice that, so a correct pair is never questioned.
    return datum() == Datum::Beta2007 ? 2.0 : 10.0;
}

std::optional<LatLng> toDhdn(const LatLng &wgs84)
{
    return shift(wgs84, PJ_INV);
}

std::optional<LatLng> toWgs84(const LatLng &dhdn)
{
    return shift(dhdn, PJ_FWD);
}

std::optional<QString> cellOf(const LatLng &wgs84, Notation notation)
{
    const auto dhdn = toDhdn(wgs84);
    if (!dhdn)
        return std::nullopt;
    const auto sheet = sheetOf(*dhdn);
    if (!sheet)
        return std::nullopt;
    const Bounds bounds = sheetBounds(*sheet);
    const int quadrant = quarterOf(bounds, *dhdn);
    const Bounds q = quarter(bounds, quadrant);
    if (notation == Notation::QQQ) {
        const int sixteenth = quarterOf(q, *dhdn);
        const Bounds s = quarter(q, sixteenth);
        const int sixtyFourth = quarterOf(s, *dhdn);
        return QStringLiteral("%1/%2%3%4").arg(sheetText(*sheet)).arg(quadrant).arg(sixteenth).arg(sixtyFourth);
    }
    const int row = 1 + clampIndex((q.north - dhdn->lat) * 60.0, 3);
    const int column = 1 + clampIndex((dhdn->lng - q.west) * 60.0, 5);
    return QStringLiteral("%1/%2%3%4").arg(sheetText(*sheet)).arg(quadrant).arg(row).arg(column);
}

std::optional<Bounds> cellBounds(const QString &reference, Notation notation)
{
    static const QRegularExpression qqq(QStringLiteral("^([0-9]{2})([0-9]{2})(?:/([1-4]?)([1-4]?)([1-4]?))?$"));
    static const QRegularExpression qyx(QStringLiteral("^([0-9]{2})([0-9]{2})(?:/(?:([1-4])(?:([1-3])([1-5]))?)?)?$"));
    const QRegularExpressionMatch m = (notation == Notation::QQQ ? qqq : qyx).match(reference.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const Cell sheet{m.captured(1).toInt(), m.captured(2).toInt()};
    if (sheet.row < 1 || sheet.column < 1)
        return std::nullopt;
    Bounds b = sheetBounds(sheet);
    if (notation == Notation::QQQ) {
        // Each level only after the one before it ("5408/13" is 1 then 3).
        for (int level = 3; level <= 5 && !m.captured(level).isEmpty(); ++level)
            b = quarter(b, m.captured(level).toInt());
        return b;
    }
    if (!m.captured(3).isEmpty())
        b = quarter(b, m.captured(3).toInt());
    if (!m.captured(4).isEmpty())
        b = minuteField(b, m.captured(4).toInt(), m.captured(5).toInt());
    return b;
}

std::optional<std::array<LatLng, 4>> cellCorners(const QString &reference, Notation notation)
{
    const auto b = cellBounds(reference, notation);
    if (!b)
        return std::nullopt;
    std::array<LatLng, 4> corners;
    const LatLng dhdn[4] = {{b->south, b->west}, {b->south, b->east}, {b->north, b->east}, {b->north, b->west}};
    for (int i = 0; i < 4; ++i) {
        const auto w = toWgs84(dhdn[i]);
        if (!w)
            return std::nullopt;
        corners[size_t(i)] = *w;
    }
    return corners;
}

std::optional<double> metresOutside(const LatLng &wgs84, const QString &reference, Notation notation)
{
    const auto b = cellBounds(reference, notation);
    const auto p = toDhdn(wgs84);
    if (!b || !p)
        return std::nullopt;
    // Within a cell a few kilometres wide, degrees scale to metres as on a
    // sphere of the earth's mean radius (far below the tolerance's size).
    constexpr double MetresPerDegree = 6371000.0 * DegToRad;
    const double dLat = std::max({b->south - p->lat, 0.0, p->lat - b->north});
    const double dLng = std::max({b->west - p->lng, 0.0, p->lng - b->east});
    return std::hypot(dLat * MetresPerDegree, dLng * MetresPerDegree * std::cos(p->lat * DegToRad));
}

std::optional<QString> gaussKrueger(const LatLng &wgs84, int strip)
{
    if (strip < 2 || strip > 5)
        return std::nullopt;
    const auto p = toDhdn(wgs84);
    if (!p || std::abs(p->lng - 3 * strip) > 3.0 || p->lat < 46.0 || p->lat > 56.0)
        return std::nullopt;
    const auto out = run(proj().strips[strip - 2].get(), PJ_FWD, p->lng * DegToRad, p->lat * DegToRad);
    if (!out)
        return std::nullopt;
    const QString x = QString::number(out->xy.x, 'f', 2).replace(u'.', u',');
    const QString y = QString::number(out->xy.y, 'f', 2).replace(u'.', u',');
    // The form's notation: seven-digit whole parts, the strip digit first.
    if (x.indexOf(u',') != 7 || y.indexOf(u',') != 7 || x.front() != QChar(u'0' + strip))
        return std::nullopt;
    return x + u';' + y;
}

std::optional<LatLng> fromGaussKrueger(const QString &text, int strip)
{
    if (strip < 2 || strip > 5)
        return std::nullopt;
    const QStringList parts = text.trimmed().split(u';');
    if (parts.size() != 2)
        return std::nullopt;
    bool okX = false, okY = false;
    const double x = parseNumber(parts[0], &okX);
    const double y = parseNumber(parts[1], &okY);
    auto wholeDigits = [](const QString &s) { return s.split(QRegularExpression(QStringLiteral("[,.]"))).first(); };
    if (!okX || !okY || wholeDigits(parts[0]).size() != 7 || wholeDigits(parts[1]).size() != 7
        || parts[0].front() != QChar(u'0' + strip))
        return std::nullopt;
    const auto out = run(proj().strips[strip - 2].get(), PJ_INV, x, y);
    if (!out)
        return std::nullopt;
    return toWgs84({out->lp.phi * RadToDeg, out->lp.lam * RadToDeg});
}

std::optional<LatLng> fromLtln(const QString &text)
{
    static const QRegularExpression ltln(
        QStringLiteral("^([0-9]{1,2}(?:,[0-9]{1,5})?)([NS]);([0-9]{1,3}(?:,[0-9]{1,5})?)([EW])$"));
    const QRegularExpressionMatch m = ltln.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    bool okLat = false, okLng = false;
    double lat = parseNumber(m.captured(1), &okLat);
    double lng = parseNumber(m.captured(3), &okLng);
    if (!okLat || !okLng || lat >= 90 || lng >= 180)
        return std::nullopt;
    if (m.captured(2) == QLatin1String("S"))
        lat = -lat;
    if (m.captured(4) == QLatin1String("W"))
        lng = -lng;
    return LatLng{lat, lng};
}

} // namespace MapGrid
