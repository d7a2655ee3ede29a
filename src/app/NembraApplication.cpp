#include "NembraApplication.h"

#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include "FormFont.h"

NembraApplication::NembraApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Nembra"));
    // The window belongs to its menu entry: docks and task bars show the
    // entry's name and icon (Wayland's app id, the desktop file's id).
    setDesktopFileName(QStringLiteral("de.nembra.Nembra"));
    // No display name: window captions stay exactly the program's own.
    setApplicationVersion(QStringLiteral(NEMBRA_VERSION_TEXT));
    Q_INIT_RESOURCE(app);
    setWindowIcon(QIcon(QStringLiteral(":/app/nembra.svg")));
    // One font everywhere, message boxes and menus included.
    const QFont font = formFont(8);
    setFont(font);
    for (const char *kind : {"QMenu", "QMenuBar", "QMessageBox", "QFileDialog"})
        setFont(font, kind);

    // Buttons and texts of Qt's own dialogs (file dialog, message boxes) and
    // of the browser engine (its dialogs and messages) in German.
    for (const char *catalogue : {"qtbase", "qtwebengine"}) {
        auto *translator = new QTranslator(this);
        if (translator->load(QLocale(QLocale::German, QLocale::Germany), QString::fromLatin1(catalogue),
                             QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            installTranslator(translator);
        else
            delete translator;
    }
}

QString NembraApplication::appDir()
{
    return applicationDirPath() + u'/';
}
