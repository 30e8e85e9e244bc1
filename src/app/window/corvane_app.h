#pragma once

#include <QApplication>

namespace tsl {

// The application: one main window, run modally; the process ends with it.
class CCorvaneApp : public QApplication {
    Q_OBJECT
public:
    CCorvaneApp(int& argc, char** argv);

    // Creates the main window and runs it until it is closed. Returns false,
    // so that the caller ends the process rather than entering a loop of its own.
    bool InitInstance();
};

} // namespace tsl
