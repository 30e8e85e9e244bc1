#pragma once

#include "input/import_report.h"
#include "input/prepared_copy.h"

#include <functional>
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
    std::vector<std::string> paths; // the files and folders given, in order
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
    // Where the prepared copies were planned to go, as the review left it.
    std::string outputFolder;
};

// Shows the user what an import found, file by file, and answers whether to
// go on (OK or Cancel). A date order chosen for a file goes into the plan;
// folder is where the prepared copies go (empty: beside the originals), and
// the review may change it.
using ImportReview = std::function<bool(ImportPlan& plan, std::string& folder)>;

// Examines each export (a folder stands for the exports in it): its shape,
// every line and cell, its date order, how its readings land on the grid
// in force (interval and reduction read now), and names the prepared copies
// and the label template, beside the originals or in outputFolder. Keeps the
// window alive meanwhile; a stop request ends the examination. orders holds
// the date orders the user chose for some files, by path. Runs as a read:
// the caller has made sure that none is under way.
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
// selected; the layout selected before is selected again afterwards. Runs
// as a read, as planImport does.
ImportResult runImport(CommandContext& context, const ImportPlan& plan);

// Imports the exports given (a folder stands for the exports in it): plans,
// lets review (when there is one) see the plan, planning again for a date
// order or a folder chosen there, reports in the log, writes and reads.
// Refused while a read runs. Without a review the plan is carried out as
// it is.
ImportResult importExports(CommandContext& context, const std::vector<std::string>& paths,
                           const std::string& outputFolder = {}, const ImportReview& review = {});

// "Import Exports...": asks for the exports, then imports them.
ImportResult OnImportExports(CommandContext& context, const std::string& outputFolder, const ImportReview& review);

} // namespace tsl
