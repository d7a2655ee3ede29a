#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A program folder in dir with the bundled sample lists and settings, as the
// program runs beside its files.
inline QString sampleAppFolder(QTemporaryDir &dir)
{
    const QString app = dir.path() + u'/';
    QDir().mkpath(app + QStringLiteral("RefList"));
    const QString sample = QStringLiteral(NEMBRA_SAMPLE_DIR);
    for (const char *f : {"RefList/TaxList.txt", "RefList/QuarnelList.txt", "Nembra.ini"})
        QFile::copy(sample + QLatin1String(f), app + QLatin1String(f));
    return app;
}
