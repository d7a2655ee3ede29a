#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "../../support/Immutable.h"
#include "AppSettings.h"
#include "ProfileFile.h"

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void usrSetting_data();
    void usrSetting();
    void readsWithoutRegardToCase();
    void missingFileSectionOrKeyGiveDefault();
    void valuesAreCutAt2047Characters();
    void writeCreatesMissingFile();
    void writeKeepsCommentsAndOtherSections();
    void failedWriteLeavesOldFileAndReportsIt();
    void failedReplaceKeepsTheOldFile();
    void mapStartLocationRoundTrip();
    void writeChangesOnlyItsLines_data();
    void writeChangesOnlyItsLines();
    void controlCharactersAreRefused();
    void startLocationMustBePlainNumbers_data();
    void startLocationMustBePlainNumbers();
    void unreadableFileIsNeverReplaced_data();
    void unreadableFileIsNeverReplaced();

private:
    QString iniPath() const { return dir_->filePath(QStringLiteral("Nembra.ini")); }
    QString appDir() const { return dir_->path() + u'/'; }
    void writeIni(const QByteArray &bytes) const;
    QByteArray readIni() const;

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestProfileFile::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
}

void TestProfileFile::writeIni(const QByteArray &bytes) const
{
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray TestProfileFile::readIni() const
{
    QFile file(iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestProfileFile::usrSetting_data()
{
    QTest::addColumn<QByteArray>("ini"); // empty: no file
    QTest::addColumn<bool>("required");

    QTest::newRow("no file") << QByteArray() << true;
    QTest::newRow("FALSE") << QByteArray("[Settings]\r\nUSR=FALSE\r\n") << false;
    QTest::newRow("blanks around FALSE removed") << QByteArray("[Settings]\r\nUSR =  FALSE  \r\n") << false;
    QTest::newRow("TRUE") << QByteArray("[Settings]\r\nUSR=TRUE\r\n") << true;
    QTest::newRow("false") << QByteArray("[Settings]\r\nUSR=false\r\n") << true;
    QTest::newRow("False") << QByteArray("[Settings]\r\nUSR=False\r\n") << true;
    QTest::newRow("0") << QByteArray("[Settings]\r\nUSR=0\r\n") << true;
    QTest::newRow("no") << QByteArray("[Settings]\r\nUSR=no\r\n") << true;
    QTest::newRow("empty value") << QByteArray("[Settings]\r\nUSR=\r\n") << true;
    QTest::newRow("section and key in other case") << QByteArray("[settings]\r\nusr=FALSE\r\n") << false;
    QTest::newRow("key in another section") << QByteArray("[Map]\r\nUSR=FALSE\r\n") << true;
    QTest::newRow("LF line ends") << QByteArray("[Settings]\nUSR=FALSE\n") << false;
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF[Settings]\r\nUSR=FALSE\r\n") << false;
}

void TestProfileFile::usrSetting()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, required);
    if (!ini.isEmpty())
        writeIni(ini);
    QCOMPARE(AppSettings::uncertaintyRadiusRequired(appDir()), required);
}

void TestProfileFile::readsWithoutRegardToCase()
{
    writeIni("; comment\r\n[MAP]\r\nstartinglocationlat = 50.1 \r\nStartingLocationLong=\"7.2\"\r\n"
             "[Namen]\r\nOrt=K\xF6ln\r\n");
    const ProfileFile profile(iniPath());
    QCOMPARE(profile.readString("Map", "StartingLocationLat", "x"), QStringLiteral("50.1"));
    QCOMPARE(profile.readString("map", "STARTINGLOCATIONLONG", "x"), QStringLiteral("7.2"));
    // Without a byte-order mark the file is Windows-1252.
    QCOMPARE(profile.readString("namen", "ort", "x"), QStringLiteral("Köln"));
}

void TestProfileFile::missingFileSectionOrKeyGiveDefault()
{
    QCOMPARE(ProfileFile(iniPath()).readString("Map", "StartingLocationLat", "d1"), QStringLiteral("d1"));
    writeIni("[Settings]\r\nUSR=TRUE\r\n");
    const ProfileFile profile(iniPath());
    QCOMPARE(profile.readString("Map", "StartingLocationLat", "d2"), QStringLiteral("d2"));
    QCOMPARE(profile.readString("Settings", "Other", "d3"), QStringLiteral("d3"));
    const AppSettings::MapLocation start = AppSettings::readStartLocation(appDir());
    QCOMPARE(start.lat, QStringLiteral("49.451870"));
    QCOMPARE(start.lng, QStringLiteral("6.6607189"));
}

void TestProfileFile::valuesAreCutAt2047Characters()
{
    writeIni("[S]\r\nK=" + QByteArray(3000, 'x') + "\r\n");
    QCOMPARE(ProfileFile(iniPath()).readString("S", "K", "").size(), 2047);
}

void TestProfileFile::writeCreatesMissingFile()
{
    QString error;
    QVERIFY(ProfileFile(iniPath()).writeString("Map", "StartingLocationLat", "51.5", &error));
    QCOMPARE(ProfileFile(iniPath()).readString("Map", "StartingLocationLat", ""), QStringLiteral("51.5"));
}

void TestProfileFile::writeKeepsCommentsAndOtherSections()
{
    writeIni("; Einstellungen\r\n[Settings]\r\n; Radius optional?\r\nUSR=FALSE\r\n\r\n"
             "[Map]\r\nstartinglocationlat=1\r\nStartingLocationLong=2\r\n[Fremd]\r\nA=\xE4\r\n");
    QVERIFY(ProfileFile(iniPath()).writeString("Map", "StartingLocationLat", "49.5"));
    const QByteArray after = readIni();
    QVERIFY2(after.contains("; Einstellungen"), after.constData());
    QVERIFY2(after.contains("; Radius optional?"), after.constData());
    QVERIFY(after.contains("USR=FALSE") || after.contains("USR = FALSE"));
    QVERIFY(!after.contains("startinglocationlat=1"));
    QVERIFY(after.indexOf("[Settings]") < after.indexOf("[Map]"));
    QVERIFY(after.indexOf("[Map]") < after.indexOf("[Fremd]"));
    const ProfileFile profile(iniPath());
    QCOMPARE(profile.readString("Map", "StartingLocationLat", ""), QStringLiteral("49.5"));
    QCOMPARE(profile.readString("Map", "StartingLocationLong", ""), QStringLiteral("2"));
    // Still Windows-1252: the umlaut stays one byte.
    QCOMPARE(profile.readString("Fremd", "A", ""), QStringLiteral("ä"));
    QVERIFY(!after.startsWith("\xEF\xBB\xBF"));
    QVERIFY(!AppSettings::uncertaintyRadiusRequired(appDir()));
}

void TestProfileFile::failedWriteLeavesOldFileAndReportsIt()
{
    // As root no permission stops a write, so the folder of the target is a
    // plain file here.
    const QString notAFolder = dir_->filePath(QStringLiteral("plain"));
    {
        QFile f(notAFolder);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    QString error;
    QVERIFY(!ProfileFile(notAFolder + QStringLiteral("/Nembra.ini")).writeString("Map", "A", "1", &error));
    QVERIFY(!error.isEmpty());

    // A target that cannot be replaced (here a folder in its place) stays as
    // it was, and no temporary file is left beside it.
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("sub/Nembra.ini")));
    QVERIFY(!ProfileFile(dir_->filePath(QStringLiteral("sub/Nembra.ini"))).writeString("Map", "A", "1", &error));
    QVERIFY(QFileInfo(dir_->filePath(QStringLiteral("sub/Nembra.ini"))).isDir());
    QCOMPARE(QDir(dir_->filePath(QStringLiteral("sub"))).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestProfileFile::failedReplaceKeepsTheOldFile()
{
    const QByteArray old = "; Notiz\r\n[Map]\r\nStartingLocationLat=1\r\n";
    writeIni(old);
    ImmutableFile locked(iniPath());
    if (!locked.ok())
        QSKIP("chattr +i is not available here");
    QString error;
    QVERIFY(!ProfileFile(iniPath()).writeString("Map", "StartingLocationLat", "50.1", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readIni(), old);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Nembra.ini"});
}

void TestProfileFile::mapStartLocationRoundTrip()
{
    writeIni("[Settings]\r\nUSR=FALSE\r\n");
    QVERIFY(AppSettings::writeStartLocation(appDir(), {QStringLiteral("52.52"), QStringLiteral("13.405")}));
    const AppSettings::MapLocation start = AppSettings::readStartLocation(appDir());
    QCOMPARE(start.lat, QStringLiteral("52.52"));
    QCOMPARE(start.lng, QStringLiteral("13.405"));
    QVERIFY(!AppSettings::uncertaintyRadiusRequired(appDir()));
}

void TestProfileFile::writeChangesOnlyItsLines_data()
{
    QTest::addColumn<QByteArray>("before"); // empty: no file
    QTest::addColumn<QByteArray>("after");
    const QByteArray mark = "\xEF\xBB\xBF";
    QTest::newRow("no file") << QByteArray()
                             << QByteArray("[Map]\r\nStartingLocationLat=1\r\nStartingLocationLong=2\r\n");
    QTest::newRow("keys replaced in place, comments and odd lines kept")
        << QByteArray("; Kopf\r\n[Map] ; Karte\r\n# Notiz\r\nstartinglocationlat = 9 \r\nohne Gleichheitszeichen\r\n"
                      "\r\nStartingLocationLong=8\r\n\r\n[Settings]\r\nUSR=FALSE\r\n")
        << QByteArray("; Kopf\r\n[Map] ; Karte\r\n# Notiz\r\nStartingLocationLat=1\r\nohne Gleichheitszeichen\r\n"
                      "\r\nStartingLocationLong=2\r\n\r\n[Settings]\r\nUSR=FALSE\r\n");
    QTest::newRow("missing keys appended to the section, before its blank lines")
        << QByteArray("[Map]\r\nGeoNamesUser=feld\r\n\r\n[Settings]\r\nUSR=FALSE\r\n")
        << QByteArray("[Map]\r\nGeoNamesUser=feld\r\nStartingLocationLat=1\r\nStartingLocationLong=2\r\n\r\n"
                      "[Settings]\r\nUSR=FALSE\r\n");
    QTest::newRow("missing section appended, last line ended first")
        << QByteArray("[Settings]\nUSR=FALSE")
        << QByteArray("[Settings]\nUSR=FALSE\n[Map]\nStartingLocationLat=1\n"
                      "StartingLocationLong=2\n");
    QTest::newRow("second section of the name in other case stays")
        << QByteArray("[Map]\r\nStartingLocationLat=7\r\n[MAP]\r\nStartingLocationLong=5\r\n")
        << QByteArray(
               "[Map]\r\nStartingLocationLat=1\r\nStartingLocationLong=2\r\n[MAP]\r\nStartingLocationLong=5\r\n");
    QTest::newRow("UTF-8 with mark stays")
        << mark + "[Map]\r\nOrt=K\xC3\xB6ln\r\nStartingLocationLat=7\r\n"
        << mark + "[Map]\r\nOrt=K\xC3\xB6ln\r\nStartingLocationLat=1\r\nStartingLocationLong=2\r\n";
    QTest::newRow("UTF-8 without mark stays")
        << QByteArray("; \xC3\xBC\n[Map]\nStartingLocationLat=7\n")
        << QByteArray("; \xC3\xBC\n[Map]\nStartingLocationLat=1\nStartingLocationLong=2\n");
    QTest::newRow("Windows-1252 stays") << QByteArray("; K\xF6ln\r\n[Map]\r\n")
                                        << QByteArray("; K\xF6ln\r\n[Map]\r\nStartingLocationLat=1\r\n"
                                                      "StartingLocationLong=2\r\n");
}

void TestProfileFile::writeChangesOnlyItsLines()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        writeIni(before);
    QVERIFY(AppSettings::writeStartLocation(appDir(), {QStringLiteral("1"), QStringLiteral("2")}));
    QCOMPARE(readIni(), after);
}

void TestProfileFile::controlCharactersAreRefused()
{
    const QByteArray old = "[Settings]\r\nUSR=TRUE\r\n";
    writeIni(old);
    QString error;
    QVERIFY(!AppSettings::writeStartLocation(appDir(), {QStringLiteral("1\r\n[Settings]\r\nUSR=FALSE"), "2"}, &error));
    QCOMPARE(error, QStringLiteral("Ungültiger Eintrag"));
    QVERIFY(!ProfileFile(iniPath()).writeString("Map\n", "A", "1"));
    // Found by fuzzing: blanks around a name do not make another key.
    QVERIFY(ProfileFile(iniPath()).writeString(" Neu ", "Schluessel ", "x"));
    QCOMPARE(ProfileFile(iniPath()).readString("neu", " schluessel", "d"), QStringLiteral("x"));
    writeIni(old);
    QVERIFY(!ProfileFile(iniPath()).writeString("Map", "A\tB", "1"));
    QCOMPARE(readIni(), old);
}

QTEST_APPLESS_MAIN(TestProfileFile)
// A settings file that exists and cannot be read is not "no file": writing
// the map keys would replace every other setting and comment.
void TestProfileFile::unreadableFileIsNeverReplaced_data()
{
    QTest::addColumn<bool>("writeOnly"); // mode 0200, else a folder of that name
    QTest::addColumn<QString>("reason");
    QTest::newRow("write-only file") << true << "Zugriff verweigert.";
    QTest::newRow("a folder") << false << "Es ist keine gewöhnliche Datei.";
}

void TestProfileFile::unreadableFileIsNeverReplaced()
{
    QFETCH(bool, writeOnly);
    QFETCH(QString, reason);
    const QByteArray content = "; von Hand\r\n[Settings]\r\nUSR=FALSE\r\n[Map]\r\nGeoNamesUser=feld\r\n";
    if (writeOnly) {
        if (::geteuid() == 0)
            QSKIP("root reads every file; runs as a normal user in tst_profilefile_user");
        writeIni(content);
        QVERIFY(QFile::setPermissions(iniPath(), QFile::WriteOwner));
    } else {
        QVERIFY(QDir().mkdir(iniPath()));
    }
    QString error;
    QVERIFY(!AppSettings::writeStartLocation(appDir(), {QStringLiteral("52.52"), QStringLiteral("13.405")}, &error));
    QCOMPARE(error, "Die Datei kann nicht gelesen werden: " + reason);
    if (writeOnly) {
        QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(readIni(), content);
    } else {
        QVERIFY(QFileInfo(iniPath()).isDir());
    }
    QCOMPARE(QDir(appDir()).entryList(QDir::Files | QDir::Hidden),
             writeOnly ? QStringList{"Nembra.ini"} : QStringList());
}

#include "tst_profilefile.moc"

void TestProfileFile::startLocationMustBePlainNumbers_data()
{
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lng");
    QTest::addColumn<QString>("readLat"); // empty: the default pair
    QTest::addColumn<QString>("readLng");
    QTest::newRow("as the page reports them") << "49.451870"
                                              << "-6.6607189"
                                              << "49.451870"
                                              << "-6.6607189";
    QTest::newRow("whole degrees") << "90"
                                   << "-180"
                                   << "90"
                                   << "-180";
    QTest::newRow("a hair from the equator") << "1.2345e-7"
                                             << "0"
                                             << "0.000000123"
                                             << "0";
    QTest::newRow("script") << "49.4);alert(1);//"
                            << "6.6"
                            << ""
                            << "";
    QTest::newRow("comma") << "49,45"
                           << "6.6"
                           << ""
                           << "";
    QTest::newRow("blank") << "49 45"
                           << "6.6"
                           << ""
                           << "";
    QTest::newRow("out of range") << "91"
                                  << "6.6"
                                  << ""
                                  << "";
    QTest::newRow("longitude out of range") << "49"
                                            << "180.5"
                                            << ""
                                            << "";
    QTest::newRow("infinity") << "Infinity"
                              << "6.6"
                              << ""
                              << "";
    QTest::newRow("empty") << ""
                           << "6.6"
                           << ""
                           << "";
}

void TestProfileFile::startLocationMustBePlainNumbers()
{
    QFETCH(QString, lat);
    QFETCH(QString, lng);
    QFETCH(QString, readLat);
    QFETCH(QString, readLng);
    const bool valid = !readLat.isEmpty();
    // Stored by hand (or by an older program): read back or the default.
    writeIni(("[Map]\r\nStartingLocationLat=" + lat + "\r\nStartingLocationLong=" + lng + "\r\n").toLatin1());
    const AppSettings::MapLocation start = AppSettings::readStartLocation(appDir());
    QCOMPARE(start.lat, valid ? readLat : QStringLiteral("49.451870"));
    QCOMPARE(start.lng, valid ? readLng : QStringLiteral("6.6607189"));
    // Given by the page: stored as read, or refused with the file unchanged.
    const QByteArray before = readIni();
    QString error;
    QCOMPARE(AppSettings::writeStartLocation(appDir(), {lat, lng}, &error), valid);
    if (valid)
        QCOMPARE(AppSettings::readStartLocation(appDir()).lat, readLat);
    else
        QCOMPARE(readIni(), before);
}
