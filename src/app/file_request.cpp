#include "app/file_request.h"

#include <cstdlib>
#include <sys/stat.h>

namespace tsl {

namespace {

std::string parentFolder(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

FileRequest FileRequest::startValues()
{
    FileRequest request;
    const char* home = std::getenv("HOME");
    std::string folder = home ? home : "";
    if (!folder.empty() && isFolder(folder + "/wexlo"))
        folder += "/wexlo";
    setInitialFolder(request, folder);
    return request;
}

void FileRequest::setChosenPaths(const std::vector<std::string>& paths)
{
    names.clear();
    result.clear();
    namePosition = 0;
    if (paths.empty())
        return;
    if (paths.size() == 1) {
        result = paths.front();
        std::size_t slash = result.find_last_of('/');
        namePosition = slash == std::string::npos ? 0 : slash + 1;
        names.push_back(result.substr(namePosition));
        return;
    }
    // A dialog always answers with a folder; names typed without one are in
    // the current folder.
    std::string folder = parentFolder(paths.front());
    result = folder.empty() ? std::string(".") : folder;
    namePosition = result.size() + 1;
    for (const auto& path : paths) {
        std::size_t slash = path.find_last_of('/');
        // Files from other folders keep their whole path.
        if (parentFolder(path) == result)
            names.push_back(path.substr(slash + 1));
        else
            names.push_back(path);
    }
}

std::vector<std::string> FileRequest::chosenPaths() const
{
    std::vector<std::string> paths;
    if (result.empty())
        return paths;
    if (names.size() <= 1) {
        paths.push_back(result);
        return paths;
    }
    for (const auto& name : names) {
        if (!name.empty() && name.front() == '/')
            paths.push_back(name);
        else
            paths.push_back(result == "/" ? "/" + name : result + "/" + name);
    }
    return paths;
}

std::string FileRequest::folder() const
{
    if (names.size() > 1)
        return result;
    return parentFolder(result);
}

void setInitialFolder(FileRequest& request, const std::string& folder)
{
    std::string cut = folder.substr(0, FileRequest::initialFolderCapacity - 1);
    request.initialFolder = cut;
}

} // namespace tsl
