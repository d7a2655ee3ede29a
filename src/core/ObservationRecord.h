#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One taxon row of the record: the columns of the taxon grid.
struct TaxonRow {
    QString name;
    QString status;
    QString comment;
    QString count;

    bool operator==(const TaxonRow &) const = default;
};

// The record as the observation form holds it, read from its controls.
struct ObservationRecord {
    QList<TaxonRow> taxa;
    QStringList observers;    // the ticked observers, in list order
    QString date;             // Edit4
    QString locality;         // Edit3
    QString spatialReference; // Edit5
    QString systemText;       // text of ComboBox1
    QString radius;           // Edit2
    QString sampleTypeItem;   // stored item of the sample-type combo ("text|image"), empty when none
    QString gridReference;    // Edit6
    QString gridSystemText;   // text of ComboBox2
    QString description;      // Memo1, lines ending with CR LF
    QString altitude;         // Edit7

    bool operator==(const ObservationRecord &) const = default;
};
