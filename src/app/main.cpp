#include <cstdio>
#include <cstring>

#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include "About.h"
#include "AppPaths.h"
#include "DozadiRad.h"
#include "ErrorGuard.h"
#include "KartenPunkte.h"
#include "ListSelectDlg.h"
#include "MapService.h"
#include "NembraApplication.h"
#include "Ping5.h"
#include "Wrappers.h"

namespace {

constexpr int WarmUpDelayMs = 1500;

bool hasArgument(int argc, char *argv[], std::initializer_list<const char *> names)
{
    for (int i = 1; i < argc; ++i)
        for (const char *name : names)
            if (std::strcmp(argv[i], name) == 0)
                return true;
    return false;
}

// --help and --version answer on the terminal, without a window (and so
// without a display).
int answerOnTerminal(int argc, char *argv[])
{
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Nembra – Dateneingabe für Artbeobachtungen: ein Erfassungsereignis mit seinen Sippen, "
                       "gespeichert als CSV-Datei für den Import in Quarnel 6."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Zeigt diese Hilfe an."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Zeigt die Versionsnummer an."));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(core.arguments())) {
        std::fprintf(stderr, "nembra: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(version)) {
        std::printf("Nembra %s\n", NEMBRA_VERSION_TEXT);
        return 0;
    }
    QString text = parser.helpText();
    text.replace(QStringLiteral("Usage:"), QStringLiteral("Aufruf:"))
        .replace(QStringLiteral("[options]"), QStringLiteral("[Optionen]"))
        .replace(QStringLiteral("Options:"), QStringLiteral("Optionen:"));
    std::printf("%s", qPrintable(text));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (hasArgument(argc, argv, {"-h", "--help", "-v", "--version", "-?"}))
        return answerOnTerminal(argc, argv);
    // Without a display Qt would end with a stack of English messages.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "Nembra kann nicht starten: keine grafische Anzeige gefunden (DISPLAY ist nicht gesetzt).\n");
        return 1;
    }

    // The map page's schemes must be known before the application exists.
    MapService::registerSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    NembraApplication app(argc, argv);
    PingInitialise();
    // The classes page script may reach, before any window exists.
    registerWrappers(ClassMap());

    const AppPaths paths = AppPaths::detect(NembraApplication::appDir());
    if (paths.installed)
        paths.makeFolders();
    TForm1 form(paths);
    TListSelectDlg listSelect(&form);
    TForm2 picker(paths.settingsDir, &form);
    TFormAbout about(&form);
    form.setAboutBox(&about);
    form.setMapPicker([&picker](const MapPickRequest &r) { return picker.pickCoordinate(r); });

    if (!form.terminateRequested()) {
        form.show();
        // The browser engine takes a while to start; it starts once the form
        // is up and idle, so the first map opens without that wait.
        QTimer::singleShot(WarmUpDelayMs, &picker, [&picker] { guarded([&picker] { picker.warmUp(); }); });
    }
    const int exitCode = app.exec();
    PingFinalise();
    return exitCode;
}
