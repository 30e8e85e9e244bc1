#pragma once

#include <QApplication>

#include <string>
#include <vector>

namespace tsl {

// The application: one main window, run modally; the process ends with it.
class CCorvaneApp : public QApplication {
    Q_OBJECT
public:
    CCorvaneApp(int& argc, char** argv);

    // Creates the main window and runs it until it is closed; the files named
    // are read once it is open, as if they had been dropped on it. Returns
    // false, so that the caller ends the process rather than entering a loop
    // of its own.
    bool InitInstance(const std::vector<std::string>& files = {});
};

} // namespace tsl
