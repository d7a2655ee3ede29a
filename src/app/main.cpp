#include "About.h"
#include "DozadiRad.h"
#include "ListSelectDlg.h"
#include "NembraApplication.h"

int main(int argc, char *argv[])
{
    NembraApplication app(argc, argv);

    TForm1 form(NembraApplication::appDir());
    TListSelectDlg listSelect(&form);
    TFormAbout about(&form);
    form.setAboutBox(&about);

    if (!form.terminateRequested())
        form.show();
    return app.exec();
}
