#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "AppPaths.h"

namespace {
void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}
} // namespace

// Which layout applies, and where each file is then.
class TestAppPaths : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void besideTheExecutable();
    void installed();
    void listsFromTheUserThenTheSamples();
    void layoutFollowsTheFolder_data();
    void layoutFollowsTheFolder();
    void readOnlyProgramFolderKeepsItsLists();
};

void TestAppPaths::besideTheExecutable()
{
    QTemporaryDir exe;
    QDir(exe.path()).mkdir("RefList");
    const AppPaths p = AppPaths::detect(exe.path());
    QVERIFY(!p.installed);
    const QString dir = exe.path() + '/';
    QCOMPARE(p.settingsFile(), dir + "Nembra.ini");
    QCOMPARE(p.listFile("TaxList.txt"), dir + "RefList/TaxList.txt");
    QCOMPARE(p.dataDir, dir + "Data/");
    QCOMPARE(p.draftDir, dir);
}

void TestAppPaths::installed()
{
    // No RefList/ beside the executable (as in /usr/bin): the user's folders.
    QTemporaryDir exe;
    const AppPaths p = AppPaths::detect(exe.path());
    QVERIFY(p.installed);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + '/';
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + '/';
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + '/';
    QCOMPARE(p.settingsFile(), config + "Nembra.ini");
    QCOMPARE(p.listDirs, QStringList({data + "RefList/", AppPaths::systemListDir()}));
    QVERIFY(AppPaths::systemListDir().endsWith("/share/nembra/RefList/"));
    QCOMPARE(p.dataDir, docs + "Nembra/");
    QCOMPARE(p.draftDir, data);
}

void TestAppPaths::listsFromTheUserThenTheSamples()
{
    QTemporaryDir root;
    const QString r = root.path() + '/';
    const AppPaths p = AppPaths::installedLayout(r + "config", r + "data", r + "docs", r + "share/RefList");
    touch(r + "share/RefList/TaxList.txt");
    touch(r + "share/RefList/QuarnelList.txt");
    touch(r + "data/RefList/QuarnelList.txt");
    QCOMPARE(p.listFile("TaxList.txt"), r + "share/RefList/TaxList.txt");
    QCOMPARE(p.listFile("QuarnelList.txt"), r + "data/RefList/QuarnelList.txt");
    QCOMPARE(p.listFile("Fehlt.txt"), r + "data/RefList/Fehlt.txt");
    QVERIFY(p.makeFolders());
    QVERIFY(QFileInfo(r + "config").isDir() && QFileInfo(r + "docs/Nembra").isDir() && QFileInfo(r + "data").isDir());
}

void TestAppPaths::layoutFollowsTheFolder_data()
{
    QTest::addColumn<bool>("lists");       // RefList/ beside the executable
    QTest::addColumn<bool>("iniBeside");   // Nembra.ini beside it
    QTest::addColumn<bool>("writable");    // the user may write to its folder
    QTest::addColumn<QString>("settings"); // "exe" or "user"
    QTest::addColumn<QString>("firstList");
    QTest::addColumn<bool>("seeded");
    QTest::newRow("portable") << true << true << true << "exe"
                              << "exe/RefList/" << false;
    QTest::newRow("lists beside a read-only program") << true << true << false << "user"
                                                      << "exe/RefList/" << true;
    QTest::newRow("read-only, no settings beside") << true << false << false << "user"
                                                   << "exe/RefList/" << false;
    QTest::newRow("installed") << false << true << true << "user"
                               << "data/RefList/" << false;
    QTest::newRow("installed, read-only") << false << false << false << "user"
                                          << "data/RefList/" << false;
}

void TestAppPaths::layoutFollowsTheFolder()
{
    QFETCH(bool, lists);
    QFETCH(bool, iniBeside);
    QFETCH(bool, writable);
    QFETCH(QString, settings);
    QFETCH(QString, firstList);
    QFETCH(bool, seeded);
    QTemporaryDir root;
    const QString r = root.path() + '/';
    if (lists)
        touch(r + "exe/RefList/TaxList.txt");
    if (iniBeside) {
        QDir().mkpath(r + "exe");
        QFile ini(r + "exe/Nembra.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings]\r\nUSR=FALSE\r\n");
    }
    const AppPaths p = AppPaths::forExecutable(r + "exe", writable, r + "config", r + "data", r + "docs", r + "share");
    QCOMPARE(p.settingsDir, settings == "exe" ? r + "exe/" : r + "config/");
    QCOMPARE(p.listDirs.value(0), r + firstList);
    if (lists)
        QCOMPARE(p.listFile("TaxList.txt"), r + "exe/RefList/TaxList.txt");
    QCOMPARE(p.draftDir, settings == "exe" ? r + "exe/" : r + "data/");
    QCOMPARE(p.dataDir, settings == "exe" ? r + "exe/Data/" : r + "docs/Nembra/");
    QCOMPARE(!p.settingsSeed.isEmpty(), seeded);
    if (settings == "user") {
        QVERIFY(p.makeFolders());
        QCOMPARE(QFileInfo::exists(p.settingsFile()), seeded);
        if (seeded) {
            // The user's own copy from now on, the shared one untouched.
            QFile own(p.settingsFile());
            QVERIFY(own.open(QIODevice::ReadWrite));
            QCOMPARE(own.readAll(), QByteArray("[Settings]\r\nUSR=FALSE\r\n"));
        }
    }
}

// A shared installation the user may not write to, as a normal user sees it.
void TestAppPaths::readOnlyProgramFolderKeepsItsLists()
{
    if (::geteuid() == 0)
        QSKIP("root may write to any folder; runs as a normal user in tst_apppaths_user");
    QTemporaryDir exe;
    touch(exe.path() + "/RefList/TaxList.txt");
    touch(exe.path() + "/RefList/QuarnelList.txt");
    QVERIFY(QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    const AppPaths p = AppPaths::detect(exe.path());
    QVERIFY(QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(p.installed);
    QCOMPARE(p.listFile("TaxList.txt"), exe.path() + "/RefList/TaxList.txt");
    QCOMPARE(p.listFile("QuarnelList.txt"), exe.path() + "/RefList/QuarnelList.txt");
    QVERIFY(!p.settingsFile().startsWith(exe.path()));
    QVERIFY(!p.dataDir.startsWith(exe.path()));
    QVERIFY(!p.draftDir.startsWith(exe.path()));
}

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
