#pragma once

#include <QApplication>

// The program's application object: German standard dialogs, the program's
// name, and a last guard that keeps an error no handler caught from ending
// the program.
class NembraApplication : public QApplication {
public:
    NembraApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // The folder of the executable, with a trailing separator.
    static QString appDir();
};
