#include "app/window/corvane_app.h"

#include "app/window/corvane_dlg.h"
#include "app/window/window_icon.h"

namespace tsl {

CCorvaneApp::CCorvaneApp(int& argc, char** argv) : QApplication(argc, argv) {}

bool CCorvaneApp::InitInstance()
{
    // The settings key names where settings would live; nothing is ever
    // stored under it.
    setOrganizationName("Local AppWizard-Generated Applications");
    setApplicationName("Tessaloom");
    setApplicationVersion("1.1");
    setWindowIcon(tessaloomIcon());

    CCorvaneDlg dialog;
    dialog.exec();
    return false;
}

} // namespace tsl
