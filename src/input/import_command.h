#pragma once

#include "input/export_shape.h"
#include "input/prepared_copy.h"

#include <string>
#include <utility>
#include <vector>

namespace tsl {

class CommandContext;
class MessageLog;

// One export as the import understood it.
struct FileImport {
    std::string source;
    std::string refusal; // why it cannot be imported; empty when it can
    PreparedCopy copy;
    std::string preparedPath;
    // What was found and what was changed, item by item ("shape", "rows",
    // "first", "last", "interval", "columns", "changed", "dropped", "zones"):
    // the log's lines and the rows of the window's table.
    std::vector<std::pair<std::string, std::string>> report;
};

// A batch of exports examined, nothing written yet.
struct ImportPlan {
    std::vector<FileImport> files;
    std::vector<std::string> templateLabels; // every column of every file, once
    std::string templatePath;
};

struct ImportResult {
    bool started = false;
    int imported = 0; // prepared copies written and handed to the reader
    int refused = 0;
    int writeFailed = 0;
    int finished = 0;
    int stopped = 0;
    int failed = 0;
    std::vector<std::string> preparedPaths;
    std::string templatePath;
};

// Examines each export (its shape, rows, labels) and names the prepared
// copies and the label template: beside the originals, or in outputFolder.
ImportPlan planImport(const std::vector<std::string>& paths, const std::string& outputFolder = {});

// The plan's report in the log: per file what was found and changed, or why
// it was refused.
void logImportPlan(MessageLog& log, const ImportPlan& plan);

// Writes the prepared copies and the template file, adds the template's
// columns to "template", and reads the copies with their own date layout
// selected; the layout selected before is selected again afterwards.
ImportResult runImport(CommandContext& context, const ImportPlan& plan);

// "Import Exports...": plan, report in the log, write and read.
ImportResult OnImportExports(CommandContext& context, const std::vector<std::string>& paths);
ImportResult OnImportExports(CommandContext& context, const std::vector<std::string>& paths,
                             const std::string& outputFolder);

} // namespace tsl
