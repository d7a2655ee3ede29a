#pragma once

#include <memory>

#include <QDate>
#include <QStringList>
#include <QTest>

#include "AppFolder.h"
#include "DozadiRad.h"
#include "NembraApplication.h"
#include "RecordingMessages.h"

// The main of a widget test: the program's application object (German
// dialogs, the last guard), then the test object.
#define NEMBRA_WIDGET_TEST_MAIN(TestClass)                                                                             \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        NembraApplication app(argc, argv);                                                                             \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }

// The control of a window by its objectName: the one lookup of the tests. A
// missing control (a renamed one in the .ui file, say) ends the test run with
// the window, the name and the class that was looked for.
template<class T = QWidget>
T *controlOf(const QWidget &window, const char *name)
{
    T *w = window.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("window \"%s\" has no control \"%s\" of class %s", qPrintable(window.objectName()), name,
               T::staticMetaObject.className());
    return w;
}

// The objectName of the control that has the focus (an editable combo box
// for its line edit), empty when none has it.
QString focusedControl();

// Shows a window and waits until it is the active one. False when it did not
// become active in time.
bool showActive(QWidget &window);

// The observation form of a test: a temporary application folder with both
// lists and a data folder, the recording message seam, and the form.
struct FormFixture {
    std::unique_ptr<AppFolder> app;
    std::unique_ptr<RecordingMessages> msgs;
    std::unique_ptr<TForm1> form;

    // Writes the lists, installs the recorder and makes the form (not shown).
    void make(const QStringList &taxa, const QStringList &observers);
    // Today as the form's checks see it.
    void fixToday(QDate today);
    // Form first, then the recorder and the folder.
    void reset();
};
