#include "About.h"
#include "DozadiRad.h"
#include "KartenPunkte.h"
#include "ListSelectDlg.h"
#include "MapService.h"
#include "NembraApplication.h"
#include "Ping5.h"
#include "Wrappers.h"

int main(int argc, char *argv[])
{
    // The map page's schemes must be known before the application exists.
    MapService::registerSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    NembraApplication app(argc, argv);
    PingInitialise();
    // The classes page script may reach, before any window exists.
    registerWrappers(ClassMap());

    TForm1 form(NembraApplication::appDir());
    TListSelectDlg listSelect(&form);
    TForm2 picker(NembraApplication::appDir(), &form);
    TFormAbout about(&form);
    form.setAboutBox(&about);
    form.setMapPicker([&picker] { return picker.pickCoordinate(); });

    if (!form.terminateRequested())
        form.show();
    const int exitCode = app.exec();
    PingFinalise();
    return exitCode;
}
