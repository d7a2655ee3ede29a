#include "WidgetTest.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>

QString focusedControl()
{
    QWidget *w = QApplication::focusWidget();
    if (w && qobject_cast<QComboBox *>(w->parentWidget()))
        w = w->parentWidget();
    return w ? w->objectName() : QString();
}

bool showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

void FormFixture::make(const QStringList &taxa, const QStringList &observers)
{
    app = std::make_unique<AppFolder>();
    app->writeTaxa(taxa);
    app->writeObservers(observers);
    QDir().mkpath(app->path() + QStringLiteral("Data"));
    msgs = std::make_unique<RecordingMessages>();
    form = std::make_unique<TForm1>(app->path());
    // Never the public tile host: a port on this machine where nothing listens.
    form->setTileProbe(QStringLiteral("127.0.0.1"), 9);
}

void FormFixture::fixToday(QDate today)
{
    form->setTodayProvider([today] { return today; });
}

void FormFixture::reset()
{
    form.reset();
    msgs.reset();
    app.reset();
}
