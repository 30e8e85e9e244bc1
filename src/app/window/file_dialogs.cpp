#include "app/window/file_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace tsl {

QString qtNameFilter(const FileFilter& filter)
{
    std::string description = filter.description;
    // The descriptions carry their pattern already ("CSV Files *.csv"); Qt
    // shows the pattern in brackets after the description.
    const std::string suffix = " " + filter.pattern;
    if (description.size() > suffix.size() &&
        description.compare(description.size() - suffix.size(), suffix.size(), suffix) == 0)
        description.resize(description.size() - suffix.size());
    std::string pattern = filter.pattern == "*.*" ? std::string("*") : filter.pattern;
    return QString::fromStdString(logText(description)) + " (" + QString::fromStdString(logText(pattern)) + ")";
}

QStringList qtNameFilters(const FileRequest& request)
{
    QStringList filters;
    for (const auto& filter : request.filters)
        filters << qtNameFilter(filter);
    return filters;
}

QString dialogFolder(const FileRequest& request)
{
    QFileInfo initial(QFile::decodeName(QByteArray::fromStdString(request.initialFolder)));
    if (!request.initialFolder.empty()) {
        if (initial.isDir())
            return initial.absoluteFilePath();
        if (initial.isFile())
            return initial.absolutePath();
    }
    return QDir::homePath();
}

void configureFileDialog(QFileDialog& dialog, FileDialogMode mode, const FileRequest& request)
{
    if (!request.title.empty())
        dialog.setWindowTitle(QString::fromStdString(logText(request.title)));
    const QStringList filters = qtNameFilters(request);
    dialog.setNameFilters(filters);
    if (request.selectedFilter >= 1 && request.selectedFilter <= filters.size())
        dialog.selectNameFilter(filters.at(request.selectedFilter - 1));
    // Linux names are case sensitive and the patterns are lower case.
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension).toLower());
    dialog.setDirectory(dialogFolder(request));

    if (mode == FileDialogMode::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The window asks its own question (chooseSaveName).
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        return;
    }
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.options & FileRequest::AllowMultiSelect)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (request.options & FileRequest::FileMustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
}

std::string replaceQuestion(const std::string& path)
{
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
    return "'" + name.toStdString() + "' already exists. Replace it?";
}

bool chooseSaveName(FileRequest& request, const std::function<bool()>& showDialog,
                    const std::function<bool(const std::string& question)>& replace)
{
    while (showDialog() && !request.result.empty()) {
        const QFileInfo chosen(QFile::decodeName(QByteArray::fromStdString(request.result)));
        if (!chosen.exists() || chosen.isDir() || replace(replaceQuestion(request.result)))
            return true;
    }
    return false;
}

bool runQtFileDialog(QWidget* parent, FileDialogMode mode, FileRequest& request)
{
    QFileDialog dialog(parent);
    configureFileDialog(dialog, mode, request);
    std::vector<std::string> paths;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString& file : dialog.selectedFiles())
            paths.push_back(QFile::encodeName(file).toStdString());
        int filter = static_cast<int>(qtNameFilters(request).indexOf(dialog.selectedNameFilter()));
        if (filter >= 0)
            request.selectedFilter = filter + 1;
    }
    request.setChosenPaths(paths);
    return !paths.empty();
}

} // namespace tsl
