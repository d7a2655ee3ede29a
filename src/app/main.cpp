#include "About.h"
#include "DozadiRad.h"
#include "ListSelectDlg.h"
#include "NembraApplication.h"
#include "Ping5.h"

int main(int argc, char *argv[])
{
    NembraApplication app(argc, argv);
    PingInitialise();

    TForm1 form(NembraApplication::appDir());
    TListSelectDlg listSelect(&form);
    TFormAbout about(&form);
    form.setAboutBox(&about);

    if (!form.terminateRequested())
        form.show();
    const int exitCode = app.exec();
    PingFinalise();
    return exitCode;
}
