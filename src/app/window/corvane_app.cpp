#include "app/window/corvane_app.h"

#include "app/version.h"
#include "app/window/corvane_dlg.h"
#include "app/window/window_icon.h"

#include <clocale>

namespace tsl {

CCorvaneApp::CCorvaneApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // Qt has set the C library's locale from the environment; numbers in
    // files and in the log are written with a point whatever it says.
    std::setlocale(LC_NUMERIC, "C");
}

bool CCorvaneApp::InitInstance(const std::vector<std::string>& files)
{
    // The settings key names where settings would live; nothing is ever
    // stored under it.
    setOrganizationName("Local AppWizard-Generated Applications");
    setApplicationName("Tessaloom");
    setApplicationVersion(QString::fromUtf8(programVersion().data(), static_cast<qsizetype>(programVersion().size())));
    setWindowIcon(tessaloomIcon());

    CCorvaneDlg dialog;
    dialog.openAtStart(files);
    dialog.exec();
    return false;
}

} // namespace tsl
