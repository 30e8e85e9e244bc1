#pragma once

#include "input/import_report.h"
#include "input/prepared_copy.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tsl {

class CommandContext;
class MessageLog;

// One reading of a file's dates, offered when more than one reads every date.
struct OrderOption {
    DateOrder order = DateOrder::Unknown;
    std::string firstTime; // the file's first time read this way
};

// One export as the import understood it.
struct FileImport {
    std::string source;
    std::string refusal; // why it cannot be imported; empty when it can
    CopyRecipe recipe;
    std::string marker;          // the prepared copy's second line
    ReductionCounts placement;   // what the prepared copy will hold
    std::string preparedPath;
    std::vector<OrderOption> orderOptions; // empty unless its dates read more than one way
    DateOrder requestedOrder = DateOrder::Unknown; // another reading the user chose in the review
    // What was found and what will be changed, item by item: the log's lines
    // and the rows of the window's review.
    std::vector<ReportItem> report;
};

// A batch of exports examined, nothing written yet.
struct ImportPlan {
    std::vector<FileImport> files;
    std::vector<std::pair<std::string, std::size_t>> folders; // folders given, with the files found in them
    std::vector<std::string> templateLabels;                 // every column of every file, once
    std::string templatePath;
    CodeLegends legends;
    bool stopped = false; // the user stopped the examination
};

struct ImportResult {
    bool started = false;
    int imported = 0; // prepared copies written and handed to the reader
    int refused = 0;
    int writeFailed = 0;
    int finished = 0;
    int stopped = 0; // files whose examination, writing or reading was stopped
    int failed = 0;
    std::vector<std::string> preparedPaths;
    std::string templatePath;
};

// Examines each export (a folder stands for the exports in it): its shape,
// every line and cell, its date order, how its readings land on the grid
// in force (interval and reduction read now), and names the prepared copies
// and the label template, beside the originals or in outputFolder. Keeps the
// window alive meanwhile; a stop request ends the examination. orders holds
// the date orders the user chose for some files, by path.
ImportPlan planImport(CommandContext& context, const std::vector<std::string>& paths,
                      const std::string& outputFolder = {}, const std::map<std::string, DateOrder>& orders = {});

// The orders chosen in a review that differ from the plan's, by path, to
// plan again with.
std::map<std::string, DateOrder> requestedOrders(const ImportPlan& plan);

// The plan's report in the log: per file what was found and will be
// changed, WARNING lines for every guess, or why it was refused.
void logImportPlan(MessageLog& log, const ImportPlan& plan);

// Writes the prepared copies and the template file, adds the template's
// columns to "template", and reads the copies with their own date layout
// selected; the layout selected before is selected again afterwards.
ImportResult runImport(CommandContext& context, const ImportPlan& plan);

// "Import Exports...": plan, report in the log, write and read.
ImportResult OnImportExports(CommandContext& context, const std::vector<std::string>& paths,
                             const std::string& outputFolder = {});

} // namespace tsl
