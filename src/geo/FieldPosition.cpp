#include "FieldPosition.h"

#include <QFileInfo>

#include "AtomicFile.h"
#include "GpxReader.h"
#include "PhotoPosition.h"

QString FieldPosition::pickedText() const
{
    return QString::number(latitude, 'f', 6) + QStringLiteral(", ") + QString::number(longitude, 'f', 6);
}

PositionRead readPositionFile(const QString &path)
{
    PositionRead out;
    const ReadFile head = readRegularFileHead(path, PhotoHeadBytes);
    if (!head.ok || !head.exists) {
        out.error = QStringLiteral("Die Datei kann nicht gelesen werden: %1")
                        .arg(head.exists ? head.error : QStringLiteral("Sie ist nicht vorhanden."));
        return out;
    }
    if (head.bytes.isEmpty()) {
        out.error = QStringLiteral("Die Datei ist leer.");
        return out;
    }
    if (head.bytes.startsWith("\xFF\xD8")) {
        const bool wholeFile = head.bytes.size() < PhotoHeadBytes;
        out = readPhotoPosition(head.bytes, wholeFile);
        for (FieldPosition &position : out.positions)
            position.name = QFileInfo(path).fileName();
        return out;
    }
    const ReadFile whole = head.bytes.size() < PhotoHeadBytes ? head : readRegularFile(path, MaxGpxBytes);
    if (!whole.ok) {
        out.error = QStringLiteral("Die Datei kann nicht gelesen werden: %1").arg(whole.error);
        return out;
    }
    return readGpx(whole.bytes);
}
