#pragma once

#include "app/command_context.h"

#include <QString>
#include <QStringList>

#include <functional>

class QFileDialog;
class QWidget;

namespace tsl {

// Shows the open or save dialog that a FileRequest describes and stores the
// answer in it (FileRequest::setChosenPaths). True when a name was chosen.
// The window holds one of these so that tests can choose files in its place.
using FileDialogProvider = std::function<bool(FileDialogMode mode, FileRequest& request)>;

// "CSV Files *.csv" with "*.csv" becomes "CSV Files (*.csv)". On Linux "*.*"
// would hide files without a dot in their name, so it becomes "*".
QString qtNameFilter(const FileFilter& filter);
QStringList qtNameFilters(const FileRequest& request);

// Where the dialog opens: the initial folder when it is one; the folder of the
// file when it names a file (a drop leaves the last dropped file there); else
// the home folder.
QString dialogFolder(const FileRequest& request);

// Sets up a dialog from the request: title, filters and the selected one,
// default suffix, folder, and what may be chosen (one or several existing
// files, or any name to save to).
void configureFileDialog(QFileDialog& dialog, FileDialogMode mode, const FileRequest& request);

bool runQtFileDialog(QWidget* parent, FileDialogMode mode, FileRequest& request);

// The question a save asks before it replaces the file at path.
std::string replaceQuestion(const std::string& path);

// A save dialog that asks before an existing file is replaced: shows the
// dialog (showDialog, true when a name was chosen) until the name chosen
// names no file yet or replace agrees to the question; false when the user
// cancels. Every save of the window that writes the name chosen uses it.
bool chooseSaveName(FileRequest& request, const std::function<bool()>& showDialog,
                    const std::function<bool(const std::string& question)>& replace);

} // namespace tsl
