#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "ObservationRecord.h"

// An unsaved record as the form holds it, kept in a file so that a crash, a
// power cut or a slip of the title-bar close loses nothing.
struct RecordDraft {
    QDateTime saved;
    // Text of each field and combo box, by the control's objectName.
    QMap<QString, QString> texts;
    int sampleType = -1;   // index of the sample-type combo
    QStringList observers; // the ticked observers
    QList<TaxonRow> taxa;  // the grid's rows below the header
    // Written just before the record goes into its CSV file: that file and
    // the SHA-256 of its bytes (hex). A draft left with them whose file holds
    // exactly these bytes was saved; only the draft's removal was missed.
    QString savedTo;
    QString savedSha256;

    bool operator==(const RecordDraft &other) const
    {
        return texts == other.texts && sampleType == other.sampleType && observers == other.observers
            && taxa == other.taxa;
    }
};

namespace Draft {

inline constexpr auto FileName = "Nembra-Entwurf.json";

QByteArray toBytes(const RecordDraft &draft);
// Nothing when the bytes are no draft this program wrote.
std::optional<RecordDraft> fromBytes(const QByteArray &bytes);

} // namespace Draft
