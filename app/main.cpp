// orvant-x80-pro: the configuration utility's entry point.

#include "app/PrivateFont.h"
#include "app/StartUp.h"
#include "dui/WindowMessages.h"

int main(int argc, char** argv)
{
    // The host toolkit's application object comes first: windows, fonts and the message loop need it.
    dui::InitApplication(argc, argv);
    SetFontRegistrar(SkinFontRegistrar());
    CStartUp startUp;
    return startUp.Run();
}
