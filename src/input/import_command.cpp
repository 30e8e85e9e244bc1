#include "input/import_command.h"

#include "input/read_commands.h"

#include "app/command_context.h"
#include "input/csv_reader.h"
#include "input/label_templates.h"
#include "tree/data_tree.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace tsl {

namespace {

namespace fs = std::filesystem;

// The reader keeps readings of at most this many columns per file.
constexpr std::size_t readerColumnLimit = 800;

std::string plural(std::size_t n, const std::string& one, const std::string& many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string joined(const std::vector<std::string>& items, const std::string& separator)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

std::string shapeText(const ExportShape& shape)
{
    std::vector<std::string> parts;
    parts.push_back(shape.decoded.encoding + (shape.decoded.byteOrderMark ? " with byte order mark" : ""));
    parts.push_back(shape.delimiter == '\t' ? std::string("delimiter TAB")
                                            : std::string("delimiter '") + shape.delimiter + "'");
    if (shape.quoted)
        parts.push_back("quoted fields");
    if (shape.decimalComma)
        parts.push_back("decimal commas");
    if (!shape.titleLines.empty())
        parts.push_back(plural(shape.titleLines.size(), "line", "lines") + " before the header");
    if (!shape.hasHeader)
        parts.push_back("no header line");
    if (!shape.droppedColumnNames.empty())
        parts.push_back("columns left out: " + joined(shape.droppedColumnNames, ", "));
    return joined(parts, ", ");
}

std::string changedText(const PreparedStats& stats)
{
    std::vector<std::string> parts;
    if (stats.twelveHourTimes)
        parts.push_back(plural(stats.twelveHourTimes, "time", "times") + " converted from 12-hour form");
    if (stats.mapped)
        parts.push_back(plural(stats.mapped, "text cell", "text cells") + " mapped to 1/0");
    if (stats.missing)
        parts.push_back(plural(stats.missing, "missing marker", "missing markers") + " made blank");
    if (stats.blanked) {
        std::vector<std::string> examples(stats.blankedTexts.begin(), stats.blankedTexts.end());
        parts.push_back(plural(stats.blanked, "other text cell", "other text cells") + " made blank (" +
                        joined(examples, ", ") + ")");
    }
    return parts.empty() ? "nothing" : joined(parts, ", ");
}

std::string droppedText(const ExportShape& shape, const PreparedStats& stats)
{
    std::vector<std::string> parts;
    if (!shape.titleLines.empty())
        parts.push_back(plural(shape.titleLines.size(), "title line", "title lines") + " (\"" +
                        joined(shape.titleLines, "\", \"") + "\")");
    for (const auto& [why, lines] : stats.dropped)
        parts.push_back(plural(lines, "line", "lines") + " " + why);
    return parts.empty() ? "none" : joined(parts, ", ");
}

void describe(FileImport& file, const ExportShape& shape)
{
    const PreparedStats& stats = file.copy.stats;
    auto& report = file.report;
    report.emplace_back("shape", shapeText(shape));
    if (shape.order != DateOrder::Unknown)
        report.emplace_back("time", "column '" + shape.timeHeading + "', " + describeStampForm(shape) + "; " +
                                        shape.orderReason);
    if (!shape.zones.empty())
        report.emplace_back("zones", joined({shape.zones.begin(), shape.zones.end()}, ", ") +
                                         " (reported, not applied: times keep the logger's wall clock)");
    report.emplace_back("rows", std::to_string(stats.rows));
    if (stats.first) {
        report.emplace_back("first", formatWallTime(*stats.first));
        report.emplace_back("last", formatWallTime(*stats.last));
        report.emplace_back("interval", formatStep(stats.typicalStep));
    }
    report.emplace_back("columns",
                        std::to_string(file.copy.labels.size()) + ": " + joined(file.copy.labels, ", "));
    report.emplace_back("changed", changedText(stats));
    report.emplace_back("dropped", droppedText(shape, stats));
}

FileImport examine(const std::string& path)
{
    FileImport file;
    file.source = path;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.refusal = "the file cannot be opened";
        return file;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ShapeResult found = findExportShape(bytes);
    if (!found.shape) {
        file.refusal = found.refusal;
        return file;
    }
    if (found.shape->valueColumns.size() > readerColumnLimit) {
        file.refusal = "it has " + std::to_string(found.shape->valueColumns.size()) +
                       " columns; the reader keeps at most 800 per file";
        return file;
    }
    file.copy = prepareCopy(*found.shape, pointNameOf(path));
    const bool headerOnly = found.shape->order == DateOrder::Unknown;
    if (!headerOnly && file.copy.stats.rows == 0) {
        file.refusal = "no line has a date and time that can be placed";
        return file;
    }
    describe(file, *found.shape);
    return file;
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

void logReadResult(CommandContext& context, ReadResult result, ImportResult& outcome)
{
    ReadBatchResult counted;
    reportReadResult(context, result, "There was an error while reading data.", counted);
    outcome.finished += counted.finished;
    outcome.stopped += counted.stopped;
    outcome.failed += counted.failed;
}

void readCopies(CommandContext& context, const std::vector<std::string>& copies, ImportResult& outcome)
{
    ReadingState& reading = context.reading();
    const DateFormatId userLayout = context.settings().dateFormat;
    context.setDateFormat(preparedDateFormat);
    reading.readInProgress = 1;
    setReadingState(context, true);
    for (const std::string& path : copies) {
        if (reading.stopRequested)
            break;
        // A failed file has switched the reading state off.
        if (!reading.readInProgress) {
            reading.readInProgress = 1;
            setReadingState(context, true);
        }
        context.log().append("Reading file " + logText(path));
        logReadResult(context, readDataFile(context, path), outcome);
    }
    reading.stopRequested = 0;
    context.setDateFormat(userLayout);
    setReadingState(context, false);
    reading.readInProgress = 0;
}

} // namespace

ImportPlan planImport(const std::vector<std::string>& paths, const std::string& outputFolder)
{
    ImportPlan plan;
    std::set<std::string> reserved(paths.begin(), paths.end());
    for (const std::string& path : paths) {
        FileImport file = examine(path);
        if (file.refusal.empty()) {
            file.preparedPath = preparedCopyPath(path, outputFolder, file.copy.text, reserved);
            if (file.preparedPath.empty())
                file.refusal = "no free name for its prepared copy";
            else
                reserved.insert(file.preparedPath);
        }
        if (file.refusal.empty())
            for (const std::string& label : file.copy.labels)
                if (std::find(plan.templateLabels.begin(), plan.templateLabels.end(), label) ==
                    plan.templateLabels.end())
                    plan.templateLabels.push_back(label);
        if (file.refusal.empty())
            file.report.emplace_back("prepared copy", file.preparedPath);
        plan.files.push_back(std::move(file));
    }
    for (const FileImport& file : plan.files) {
        if (!file.refusal.empty())
            continue;
        const std::string folder = fs::path(file.preparedPath).parent_path().string();
        plan.templatePath = freePath(folder, "import-template", templateHeader(plan.templateLabels), reserved);
        break;
    }
    return plan;
}

void logImportPlan(MessageLog& log, const ImportPlan& plan)
{
    for (const FileImport& file : plan.files) {
        if (!file.refusal.empty()) {
            log.append("Import refused: " + logText(file.source) + ": " + file.refusal);
            continue;
        }
        log.append("Import " + logText(file.source));
        for (const auto& [item, text] : file.report)
            log.append("   " + item + ": " + logText(text));
    }
}

ImportResult runImport(CommandContext& context, const ImportPlan& plan)
{
    ImportResult outcome;
    MessageLog& log = context.log();
    if (context.reading().readInProgress) {
        log.append("Import not started: a read is running. Import again when it has finished.");
        log.showLast();
        return outcome;
    }
    outcome.started = true;
    std::vector<std::string> copies;
    for (const FileImport& file : plan.files) {
        if (!file.refusal.empty()) {
            ++outcome.refused;
            continue;
        }
        std::string error;
        if (!writeWholeFile(file.preparedPath, file.copy.text, error)) {
            ++outcome.writeFailed;
            log.append("Import: could not write " + logText(file.preparedPath) + ": " + error);
            continue;
        }
        copies.push_back(file.preparedPath);
    }
    outcome.imported = static_cast<int>(copies.size());
    outcome.preparedPaths = copies;
    if (!copies.empty()) {
        std::string error;
        if (plan.templatePath.empty() || !writeWholeFile(plan.templatePath, templateHeader(plan.templateLabels), error))
            log.append("Import: could not write the label template " + logText(plan.templatePath) + ": " + error);
        else
            outcome.templatePath = plan.templatePath;
        log.append("Import: label template " + logText(plan.templatePath) + " with " +
                   plural(plan.templateLabels.size(), "column", "columns"));
        addToTemplate(context, plan);
        readCopies(context, copies, outcome);
    }
    log.append("Import finished: " + plural(static_cast<std::size_t>(outcome.imported), "file", "files") +
               " prepared and read, " + std::to_string(outcome.refused) + " refused" +
               (outcome.writeFailed ? ", " + std::to_string(outcome.writeFailed) + " not written" : ""));
    log.showLast();
    return outcome;
}

ImportResult OnImportExports(CommandContext& context, const std::vector<std::string>& paths)
{
    return OnImportExports(context, paths, {});
}

ImportResult OnImportExports(CommandContext& context, const std::vector<std::string>& paths,
                             const std::string& outputFolder)
{
    if (context.reading().readInProgress) {
        context.log().append("Import not started: a read is running. Import again when it has finished.");
        context.log().showLast();
        return {};
    }
    const ImportPlan plan = planImport(paths, outputFolder);
    logImportPlan(context.log(), plan);
    return runImport(context, plan);
}

} // namespace tsl
