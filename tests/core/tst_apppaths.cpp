#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
