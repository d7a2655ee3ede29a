#pragma once

#include <QApplication>

// The program's application object: German standard dialogs and the
// program's name. Errors are caught where each handler starts (guarded), so
// that none ever unwinds through Qt's own frames.
class NembraApplication : public QApplication {
public:
    NembraApplication(int &argc, char **argv);

    // The folder of the executable, with a trailing separator.
    static QString appDir();
};
