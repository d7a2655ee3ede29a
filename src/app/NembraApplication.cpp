#include "NembraApplication.h"

#include <QLibraryInfo>
#include <QTranslator>

NembraApplication::NembraApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Nembra"));
    setApplicationDisplayName(QStringLiteral("Nembra"));
    setApplicationVersion(QStringLiteral(NEMBRA_VERSION_TEXT));

    // Buttons and texts of Qt's own dialogs (file dialog, message boxes) in German.
    auto *translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

QString NembraApplication::appDir()
{
    return applicationDirPath() + u'/';
}
