#include <QDate>
#include <QDesktopServices>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include "UrlCatcher.h"
#include <QUrl>

#include "About.h"
#include "AppVersion.h"
#include "WidgetTest.h"

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void firstLineShowsVersionAndStartDate_data();
    void firstLineShowsVersionAndStartDate();
    void okClosesAndTextsStay();
    void linkLabelsOpenTheirTarget();
};

void TestAbout::firstLineShowsVersionAndStartDate_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("expectedHead");
    QTest::newRow("program version") << GetAppVersion() << "Nembra Version 1.0.0.13 (";
    QTest::newRow("no version information") << QString() << "Nembra Version  (";
}

void TestAbout::firstLineShowsVersionAndStartDate()
{
    QFETCH(QString, version);
    QFETCH(QString, expectedHead);
    appVersionText() = version;
    TFormAbout about;
    // German, whatever the locale of the test (C here).
    const QString date = QLocale(QLocale::German, QLocale::Germany)
                             .toString(QDate::currentDate(), QLocale::ShortFormat);
    QVERIFY(date.contains(u'.'));
    QCOMPARE(controlOf<QLabel>(about, "Label1")->text(), expectedHead + date + u')');
    QCOMPARE(about.windowTitle(), QStringLiteral("Über Nembra"));
    QVERIFY(controlOf<QLabel>(about, "Label2")
                ->text()
                .startsWith(QStringLiteral("Einfache Dateneingabe für Artbeobachtungen")));
}

void TestAbout::okClosesAndTextsStay()
{
    appVersionText() = GetAppVersion();
    TFormAbout about;
    const QString first = controlOf<QLabel>(about, "Label1")->text();
    for (int i = 0; i < 2; ++i) {
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // By mouse, then by Enter on the focused button.
        if (i == 0) {
            QTest::mouseClick(controlOf<QPushButton>(about, "Button1"), Qt::LeftButton);
        } else {
            controlOf<QPushButton>(about, "Button1")->setFocus();
            QTest::keyClick(controlOf<QPushButton>(about, "Button1"), Qt::Key_Return);
        }
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QCOMPARE(controlOf<QLabel>(about, "Label1")->text(), first);
    }
}

void TestAbout::linkLabelsOpenTheirTarget()
{
    UrlCatcher catcher;
    for (const char *scheme : {"http", "https", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    TFormAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    const struct {
        const char *label;
        const char *text;
        const char *target;
    } links[] = {{"Label10", "Google Maps", "https://maps.google.com/"},
                 {"Label11", "GeoNames", "https://www.geonames.org/"},
                 {"Label4", "entwicklung@nembra.de", "mailto:entwicklung@nembra.de"}};
    for (const auto &link : links) {
        auto *label = controlOf<QLabel>(about, link.label);
        QCOMPARE(label->text(), QString::fromUtf8(link.text));
        QVERIFY(label->font().underline());
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(catcher.opened.constLast(), QUrl(QString::fromUtf8(link.target)));
    }
    // Four credit links, each with its target in its tooltip.
    for (const char *name : {"Label6", "Label7", "Label8", "Label9"}) {
        const qsizetype before = catcher.opened.size();
        auto *label = controlOf<QLabel>(about, name);
        QVERIFY(label->toolTip().startsWith(QStringLiteral("https://")));
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(catcher.opened.size(), before + 1);
    }
    // A plain label opens nothing.
    const qsizetype before = catcher.opened.size();
    QTest::mouseClick(controlOf<QLabel>(about, "Label3"), Qt::LeftButton);
    QCOMPARE(catcher.opened.size(), before);
    for (const char *scheme : {"http", "https", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
