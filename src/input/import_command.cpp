#include "input/import_command.h"

#include "app/command_context.h"
#include "input/csv_reader.h"
#include "input/label_templates.h"
#include "input/log_lines.h"
#include "input/read_commands.h"
#include "tree/data_tree.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <set>

namespace tsl {

namespace {

namespace fs = std::filesystem;

// A prepared copy holds at most this many lines (a change log held on a
// ten-second grid over six years): beyond it the interval is too short.
constexpr long long preparedLineLimit = 20'000'000;

std::string fileNameOf(const std::string& path)
{
    return fs::path(path).filename().string();
}

// The order a date layout reads three numbers in, for dates that read
// alike every way.
DateOrder preferredOrder(DateFormatId layout)
{
    switch (layout) {
    case 0:
    case 2:
        return DateOrder::DayFirst;
    case 1:
    case 3:
        return DateOrder::MonthFirst;
    default:
        return DateOrder::YearFirst;
    }
}

bool isExportName(const fs::path& path)
{
    const std::string extension = lowered(path.extension().string());
    const std::string name = path.filename().string();
    const bool importsOwn = name.find(".import.") != std::string::npos ||
                            name.find(".import-") != std::string::npos || name.rfind("import-template", 0) == 0;
    return !importsOwn && (extension == ".csv" || extension == ".txt" || extension == ".dat");
}

// Folders stand for the exports directly inside them, in name order.
std::vector<std::string> expandFolders(const std::vector<std::string>& paths, ImportPlan& plan)
{
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            files.push_back(path);
            continue;
        }
        std::vector<std::string> inside;
        for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
            if (it->is_regular_file(error) && isExportName(it->path()))
                inside.push_back(it->path().string());
        std::sort(inside.begin(), inside.end());
        plan.folders.emplace_back(path, inside.size());
        if (inside.empty())
            files.push_back(path);
        files.insert(files.end(), inside.begin(), inside.end());
    }
    return files;
}

// Irregular instants make a log of changes when its texts are states or
// codes, or when its readings lie far apart; a logger that samples at a
// rate has a regular step.
bool isChangeLog(const ExportSurvey& survey, const TimeChecks& checks, const std::vector<ColumnKind>& kinds,
                 std::string& rule)
{
    const StepTally& steps = checks.steps();
    const std::optional<long long> median = steps.median();
    if (steps.regular() || !median)
        return false;
    bool texts = false;
    for (std::size_t i = 0; i < kinds.size(); ++i)
        texts = texts || (kinds[i] != ColumnKind::Numbers && (survey.columns[i].count(CellKind::State) ||
                                                               survey.columns[i].count(CellKind::Word) ||
                                                               survey.columns[i].count(CellKind::Compass)));
    const long long longest = checks.longest().empty() ? 0 : checks.longest().front().seconds;
    const std::string found = "no regular step (median " + formatStep(*median) + ", longest " + formatStep(longest) +
                              ", " + std::to_string(steps.total()) + " steps)";
    if (texts) {
        rule = "its readings are text states or codes at irregular instants: " + found;
        return true;
    }
    if (longest >= 3600 && longest >= 10 * *median) {
        rule = "its readings come at irregular instants far apart: " + found;
        return true;
    }
    return false;
}

// The dry run's copy: the reduction counts its lines, nothing is kept.
class CountedLines : public ReducedLines {
public:
    void line(long long, const ReducedValues&) override {}
    void sameLines(long long, long long, long long, const ReducedValues&) override {}
};

class ImportPlanner {
public:
    ImportPlanner(CommandContext& context, ImportPlan& plan, const std::map<std::string, DateOrder>& orders)
        : plan_(plan), orders_(orders), settings_(context.settings()),
          keepGoing_([&context] {
              context.pumpMessages();
              return context.reading().stopRequested == 0;
          })
    {
    }

    FileImport examine(const std::string& path);

private:
    // The survey a pass found; false when the file is refused or the user stopped.
    bool take(ScanOutcome scan, FileImport& file, ExportSurvey& survey);
    bool decide(FileImport& file, const ExportSurvey& survey, ImportDecisions& decisions);
    bool countLines(FileImport& file);

    ImportPlan& plan_;
    const std::map<std::string, DateOrder>& orders_;
    ToolSettings settings_;
    KeepGoing keepGoing_;
};

bool ImportPlanner::take(ScanOutcome scan, FileImport& file, ExportSurvey& survey)
{
    if (scan.stopped)
        plan_.stopped = true;
    else if (!scan.survey)
        file.refusal = scan.refusal;
    else
        survey = std::move(*scan.survey);
    return scan.survey.has_value() && !scan.stopped;
}

FileImport ImportPlanner::examine(const std::string& path)
{
    FileImport file;
    file.source = path;
    std::error_code error;
    if (fs::is_directory(path, error)) {
        file.refusal = "it is a folder without exports (.csv, .txt or .dat files) directly inside";
        return file;
    }
    ExportSurvey survey;
    if (!take(scanExport(path, keepGoing_), file, survey))
        return file;
    if (survey.shape.valueColumns.size() > static_cast<std::size_t>(maxColumns)) {
        file.refusal = "it has " + std::to_string(survey.shape.valueColumns.size()) +
                       " columns; the reader keeps at most " + std::to_string(maxColumns) + " per file";
        return file;
    }
    ImportDecisions decisions;
    if (!decide(file, survey, decisions))
        return file;
    // Written newest first, it is read again from its last line up.
    if (!survey.orders.empty() && runsNewestFirst(survey.orders[decisions.order])) {
        if (!take(scanExportBackwards(path, survey, keepGoing_), file, survey))
            return file;
        file.orderOptions.clear();
        decisions = {};
        if (!decide(file, survey, decisions))
            return file;
    }
    if (countLines(file))
        file.report = describeImport(survey, decisions, file.recipe, plan_.legends, file.placement, settings_.decimals);
    return file;
}

// The reduction once over, counting what the prepared copy will hold.
bool ImportPlanner::countLines(FileImport& file)
{
    CountedLines counted;
    const ReduceOutcome dryRun = reduceExport(file.recipe, plan_.legends, counted, keepGoing_);
    if (dryRun.stopped) {
        plan_.stopped = true;
        return false;
    }
    if (!dryRun.error.empty()) {
        file.refusal = dryRun.error;
        return false;
    }
    if (dryRun.counts.lines > preparedLineLimit) {
        file.refusal = "its prepared copy would hold " + std::to_string(dryRun.counts.lines) +
                       " lines (more than 20,000,000): choose a longer interval";
        return false;
    }
    file.placement = dryRun.counts;
    file.marker = preparedMarker(file.source, settings_.interval, settings_.reduction);
    return true;
}

bool ImportPlanner::decide(FileImport& file, const ExportSurvey& survey, ImportDecisions& decisions)
{
    CopyRecipe& recipe = file.recipe;
    recipe.source = file.source;
    recipe.shape = survey.shape;
    recipe.labels = preparedLabels(survey.shape, pointNameOf(file.source));
    for (const ColumnTally& tally : survey.columns)
        decisions.kinds.push_back(tally.kind());
    recipe.rules.kinds = decisions.kinds;
    recipe.rules.step = intervalSeconds(settings_.interval);
    recipe.rules.sampling = settings_.reduction == ReductionMode::Sampling;
    recipe.backwards = survey.backwards;
    recipe.lines = survey.lines;
    if (survey.orders.empty()) {
        if (survey.shape.firstDataLine > 0 && survey.skipped.empty())
            return true; // labels only
        file.refusal = "no line has a date and time that can be placed";
        return false;
    }

    std::vector<WallTime> named = datesNamedIn(fs::path(file.source).stem().string());
    for (const std::string& title : survey.shape.titleLines)
        for (const WallTime& date : datesNamedIn(title))
            named.push_back(date);
    OrderChoice order = chooseDateOrder(survey.orders, named, preferredOrder(settings_.dateFormat));
    if (!order.warning.empty())
        for (const TimeChecks& checks : survey.orders)
            if (checks.readsEveryDate() && checks.firstTime())
                file.orderOptions.push_back({checks.order(), formatWallTime(*checks.firstTime())});
    if (const auto chosen = orders_.find(file.source); chosen != orders_.end())
        for (std::size_t i = 0; i < survey.orders.size(); ++i)
            if (survey.orders[i].order() == chosen->second && i != order.chosen) {
                order = {i, "as chosen in the review", ""};
                break;
            }
    decisions.order = order.chosen;
    decisions.orderReason = order.reason;
    decisions.orderWarning = order.warning;
    const TimeChecks& checks = survey.orders[order.chosen];
    recipe.order = checks.order();
    if (checks.readingLines() == 0) {
        file.refusal = "no line has a date and time that can be placed (" + checks.impossible().describe() +
                       " impossible, " + checks.outsideYears().describe() + " outside 1990 to 2050)";
        return false;
    }
    decisions.changeLog = isChangeLog(survey, checks, decisions.kinds, decisions.changeLogRule);
    recipe.rules.changeLog = decisions.changeLog;
    for (std::size_t i = 0; i < decisions.kinds.size(); ++i)
        if (decisions.kinds[i] == ColumnKind::Codes)
            for (const std::string& word : survey.columns[i].words())
                plan_.legends.code(recipe.labels[i], word);
    return true;
}

std::string templateHeader(const std::vector<std::string>& labels)
{
    return "Date Time," + joined(labels, ",") + "\r\n";
}

// Labels of "template" that the reader matches by value.
std::set<std::string> existingLabels(const DataNode* templateNode)
{
    std::set<std::string> labels;
    for (const DataNode* label = templateNode ? templateNode->firstChild() : nullptr; label;
         label = label->nextSibling())
        if (const DataAttribute* value = DataTree::findAttribute(label, "value"))
            labels.insert(std::string(value->value()));
    return labels;
}

void addToTemplate(CommandContext& context, const ImportPlan& plan)
{
    DataTree& tree = context.tree();
    MessageLog& log = context.log();
    DataNode* templateNode = tree.findNode(tree.root(), "template");
    const std::set<std::string> present = existingLabels(templateNode);
    std::vector<std::string> missing;
    for (const std::string& label : plan.templateLabels)
        if (!present.count(label))
            missing.push_back(label);
    if (!templateNode) {
        templateNode = tree.addChild(tree.root(), "template");
        tree.setAttribute(templateNode, "fileName", plan.templatePath);
    } else {
        log.append("Import: the label template exists; " + plural(missing.size(), "column", "columns") +
                   " of the imported files added to it.");
    }
    if (missing.empty())
        return;
    log.append("Read labels:");
    // As a template file's first line arrives: its CR LF read as one "\n".
    std::string header = templateHeader(missing);
    header.erase(header.size() - 2, 1);
    addTemplateLabels(tree, templateNode, header, columnLabelLimit, log);
    log.append("Done reading labels.");
}

void readCopies(CommandContext& context, const std::vector<std::string>& copies, ImportResult& outcome)
{
    const DateFormatId userLayout = context.settings().dateFormat;
    context.setDateFormat(preparedDateFormat);
    for (const std::string& path : copies) {
        if (context.reading().stopRequested)
            break;
        resumeReading(context);
        context.log().append("Reading file " + logText(path));
        ReadBatchResult counted;
        reportReadResult(context, readDataFile(context, path), "There was an error while reading data.", counted);
        outcome.finished += counted.finished;
        outcome.stopped += counted.stopped;
        outcome.failed += counted.failed;
    }
    context.setDateFormat(userLayout);
}

// Writes every prepared copy; the paths written, or nothing more once the
// user stops.
std::vector<std::string> writeCopies(CommandContext& context, const ImportPlan& plan, ImportResult& outcome)
{
    MessageLog& log = context.log();
    CodeLegends legends = plan.legends;
    const KeepGoing keepGoing = [&context] {
        context.pumpMessages();
        return context.reading().stopRequested == 0;
    };
    std::vector<std::string> copies;
    for (const FileImport& file : plan.files) {
        // The user's exports were read; no save may replace them.
        context.filesRead().notePath(file.source, ReadKind::Export);
        if (!file.refusal.empty()) {
            ++outcome.refused;
            continue;
        }
        std::error_code error;
        fs::create_directories(fs::path(file.preparedPath).parent_path(), error);
        const ReduceOutcome written = writePreparedCopy(file.preparedPath, file.marker, file.recipe, legends, keepGoing);
        if (written.stopped) {
            ++outcome.stopped;
            log.append("Import stopped by manual command while writing " + logText(file.preparedPath) +
                       ": nothing more is written or read.");
            return {};
        }
        if (!written.error.empty()) {
            ++outcome.writeFailed;
            log.append("Import: could not write " + logText(file.preparedPath) + ": " + written.error);
            continue;
        }
        copies.push_back(file.preparedPath);
    }
    return copies;
}

// An import runs as a read, from its first file to its last: the controls a
// read disables are disabled, a stop request ends it, and no other read
// starts meanwhile.
class ImportReading {
public:
    ImportReading(CommandContext& context, const std::vector<std::string>& paths)
        : context_(context), batch_(context, paths)
    {
        context_.reading().readInProgress = 1;
        setReadingState(context_, true);
    }
    ~ImportReading()
    {
        ReadingState& reading = context_.reading();
        reading.stopRequested = 0;
        setReadingState(context_, false);
        reading.readInProgress = 0;
    }
    ImportReading(const ImportReading&) = delete;
    ImportReading& operator=(const ImportReading&) = delete;

private:
    CommandContext& context_;
    ReadBatch batch_;
};

void logFailure(MessageLog& log, const char* what)
{
    log.append(std::string("ERROR- the import failed: ") + what);
    log.showLast();
}

// Writes the prepared copies and the template, and reads the copies; a
// failure on the way is logged and counted.
void writeAndRead(CommandContext& context, const ImportPlan& plan, ImportResult& outcome)
{
    MessageLog& log = context.log();
    try {
        const std::vector<std::string> copies = writeCopies(context, plan, outcome);
        outcome.imported = static_cast<int>(copies.size());
        outcome.preparedPaths = copies;
        if (!copies.empty()) {
            std::string error;
            if (plan.templatePath.empty() ||
                !writeWholeFile(plan.templatePath, templateHeader(plan.templateLabels), error))
                log.append("Import: could not write the label template " + logText(plan.templatePath) + ": " + error);
            else
                outcome.templatePath = plan.templatePath;
            log.append("Import: label template " + logText(plan.templatePath) + " with " +
                       plural(plan.templateLabels.size(), "column", "columns"));
            addToTemplate(context, plan);
            readCopies(context, copies, outcome);
        }
    } catch (const std::exception& error) {
        ++outcome.failed;
        logFailure(log, error.what());
    } catch (...) {
        ++outcome.failed;
        logFailure(log, "unknown error");
    }
}

// No exception leaves the examination of a file: it refuses the file.
FileImport examineSafely(ImportPlanner& planner, const std::string& path)
{
    FileImport file;
    try {
        return planner.examine(path);
    } catch (const std::exception& error) {
        file.refusal = std::string("an unexpected error while examining it: ") + error.what();
    } catch (...) {
        file.refusal = "an unexpected error while examining it";
    }
    file.source = path;
    return file;
}

// The prepared copy's path, and its columns in the template.
void nameCopy(FileImport& file, const std::string& outputFolder, const std::string& grid, ImportPlan& plan,
              std::set<std::string>& reserved)
{
    file.preparedPath = preparedCopyPath(file.source, outputFolder, reserved);
    if (file.preparedPath.empty()) {
        file.refusal = "no free name for its prepared copy";
        return;
    }
    reserved.insert(file.preparedPath);
    for (const std::string& label : file.recipe.labels)
        if (std::find(plan.templateLabels.begin(), plan.templateLabels.end(), label) == plan.templateLabels.end())
            plan.templateLabels.push_back(label);
    file.report.emplace_back("prepared copy", file.preparedPath + " (" + grid + ")");
}

// The template file goes beside the first prepared copy.
void nameTemplate(ImportPlan& plan, const std::set<std::string>& reserved)
{
    for (const FileImport& file : plan.files) {
        if (!file.refusal.empty())
            continue;
        const std::string header = templateHeader(plan.templateLabels);
        plan.templatePath = freePath(fs::path(file.preparedPath).parent_path().string(), "import-template",
                                     [&](const std::string& path) { return holdsExactly(path, header); }, reserved);
        return;
    }
}

} // namespace

ImportPlan planImport(CommandContext& context, const std::vector<std::string>& paths, const std::string& outputFolder,
                      const std::map<std::string, DateOrder>& orders)
{
    ImportPlan plan;
    plan.paths = paths;
    const ImportReading reading(context, paths);
    ImportPlanner planner(context, plan, orders);
    const std::vector<std::string> files = expandFolders(paths, plan);
    std::set<std::string> reserved(files.begin(), files.end());
    const ToolSettings settings = context.settings();
    for (const std::string& path : files) {
        FileImport file = examineSafely(planner, path);
        if (plan.stopped)
            break;
        if (file.refusal.empty())
            nameCopy(file, outputFolder, gridText(settings.interval, settings.reduction), plan, reserved);
        plan.files.push_back(std::move(file));
    }
    nameTemplate(plan, reserved);
    return plan;
}

std::map<std::string, DateOrder> requestedOrders(const ImportPlan& plan)
{
    std::map<std::string, DateOrder> orders;
    for (const FileImport& file : plan.files)
        if (file.requestedOrder != DateOrder::Unknown && file.requestedOrder != file.recipe.order)
            orders[file.source] = file.requestedOrder;
    return orders;
}

void logImportPlan(MessageLog& log, const ImportPlan& plan)
{
    for (const auto& [folder, files] : plan.folders)
        log.append("Import folder " + logText(folder) + ": " + plural(files, "export", "exports") +
                   " (.csv, .txt, .dat) inside");
    for (const FileImport& file : plan.files) {
        if (!file.refusal.empty()) {
            log.append("Import refused: " + logText(file.source) + ": " + file.refusal);
            continue;
        }
        log.append("Import " + logText(file.source));
        const std::string name = fileNameOf(file.source);
        for (const auto& [item, text] : file.report) {
            if (item == warningItem)
                log.append(std::string(warningItem) + ": " + logText(name) + ": " + logText(text));
            else
                log.append("   " + item + ": " + logText(text));
        }
    }
    if (plan.stopped)
        log.append("Import stopped by manual command while examining the exports: nothing was written or read.");
}

ImportResult runImport(CommandContext& context, const ImportPlan& plan)
{
    ImportResult outcome;
    MessageLog& log = context.log();
    if (plan.stopped) {
        outcome.stopped = 1;
        log.showLast();
        return outcome;
    }
    outcome.started = true;
    {
        const ImportReading reading(context, plan.paths);
        writeAndRead(context, plan, outcome);
    }
    log.append("Import finished: " + plural(static_cast<std::size_t>(outcome.imported), "file", "files") +
               " prepared and read, " + std::to_string(outcome.refused) + " refused" +
               (outcome.writeFailed ? ", " + std::to_string(outcome.writeFailed) + " not written" : ""));
    log.showLast();
    return outcome;
}

namespace {

// Plans, and lets the review see the plan until it is content: a date order
// chosen there is planned and reviewed again; another folder for the
// prepared copies is planned with (folder keeps it). Then logs the plan and
// carries it out; nothing when the review cancels.
ImportResult reviewAndRun(CommandContext& context, const std::vector<std::string>& paths, std::string& folder,
                          const ImportReview& review)
{
    std::map<std::string, DateOrder> orders;
    ImportPlan plan = planImport(context, paths, folder, orders);
    while (review && !plan.stopped) {
        std::string chosen = folder;
        if (!review(plan, chosen)) {
            context.log().append("Import cancelled: nothing was read.");
            context.log().showLast();
            return {};
        }
        const std::map<std::string, DateOrder> requested = requestedOrders(plan);
        if (requested.empty() && chosen == folder)
            break;
        orders.insert(requested.begin(), requested.end());
        folder = chosen;
        plan = planImport(context, paths, folder, orders);
        if (requested.empty())
            break;
    }
    logImportPlan(context.log(), plan);
    return runImport(context, plan);
}

} // namespace

ImportResult importExports(CommandContext& context, const std::vector<std::string>& paths,
                           const std::string& outputFolder, const ImportReview& review)
{
    std::string folder = outputFolder;
    ImportResult result;
    if (context.reading().busy()) {
        context.log().append("Import not started: a read is running. Import again when it has finished.");
        context.log().showLast();
    } else {
        try {
            result = reviewAndRun(context, paths, folder, review);
        } catch (const std::exception& error) {
            logFailure(context.log(), error.what());
            result = {};
            result.failed = 1;
        } catch (...) {
            logFailure(context.log(), "unknown error");
            result = {};
            result.failed = 1;
        }
    }
    result.outputFolder = folder;
    return result;
}

ImportResult OnImportExports(CommandContext& context, const std::string& outputFolder, const ImportReview& review)
{
    FileRequest& request = context.fileRequest();
    prepareOpenRequest(request, "Choose logger exports to import");
    if (!context.runFileDialog(FileDialogMode::Open)) {
        context.log().append("ERROR- no export chosen to import");
        context.log().showLast();
        ImportResult none;
        none.outputFolder = outputFolder;
        return none;
    }
    return importExports(context, request.chosenPaths(), outputFolder, review);
}

} // namespace tsl
