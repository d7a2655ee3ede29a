#include "NembraApplication.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

NembraApplication::NembraApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Nembra"));
    setApplicationDisplayName(QStringLiteral("Nembra"));
    setApplicationVersion(QStringLiteral(NEMBRA_VERSION_TEXT));
    Q_INIT_RESOURCE(app);
    setWindowIcon(QIcon(QStringLiteral(":/app/nembra.svg")));

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
