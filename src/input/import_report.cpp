#include "input/import_report.h"

#include "input/log_lines.h"

#include <charconv>
#include <cmath>

namespace tsl {

namespace {

constexpr int mostDecimals = 6;

std::string shortest(double value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

long long roundedAt(double value, int decimals)
{
    return std::llround(value * std::pow(10.0, decimals));
}

// A title as a person reads it: without the quotes around it, at most 80 bytes.
std::string unquoted(std::string_view title)
{
    title = trimmed(title);
    if (title.size() >= 2 && title.front() == '"' && title.back() == '"')
        title = trimmed(title.substr(1, title.size() - 2));
    return cutToBytes(title, 80);
}

std::string shapeText(const ExportSurvey& survey)
{
    const ExportShape& shape = survey.shape;
    std::vector<std::string> parts;
    parts.push_back(survey.encoding.describe());
    parts.push_back(shape.delimiter == '\t' ? std::string("delimiter TAB")
                                            : std::string("delimiter '") + shape.delimiter + "'");
    if (shape.quoted)
        parts.push_back("quoted fields");
    if (shape.decimalComma)
        parts.push_back("decimal commas");
    if (!shape.hasHeader)
        parts.push_back("no header line");
    if (survey.backwards)
        parts.push_back("newest first, read from the last line up");
    if (shape.labelsOverTwoLines)
        parts.push_back("labels over two lines, joined");
    if (shape.unitsLine)
        parts.push_back("a line of units, joined in brackets");
    if (!shape.droppedColumnNames.empty())
        parts.push_back("columns left out: " + joined(shape.droppedColumnNames, ", "));
    return joined(parts, ", ");
}

std::string stampForm(const ExportSurvey& survey, DateOrder order)
{
    const ExportShape& shape = survey.shape;
    std::string form;
    if (survey.monthNames)
        form = order == DateOrder::DayFirst ? "day, month name, year" : "month name, day, year";
    else
        form = std::string(orderName(order));
    form += survey.yearDigits == 2 ? ", two-digit year" : ", four-digit year";
    if (shape.timeColumn >= 0)
        form += ", time in its own column";
    if (!shape.stampsHaveTimes)
        form += ", dates without times (read at 00:00)";
    form += survey.twelveHourTimes ? ", 12-hour clock" : ", 24-hour clock";
    return form;
}

std::string columnsText(const CopyRecipe& recipe, const ImportDecisions& decisions)
{
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < recipe.labels.size(); ++i)
        parts.push_back(decisions.kinds[i] == ColumnKind::Numbers
                            ? recipe.labels[i]
                            : recipe.labels[i] + " (" + std::string(kindName(decisions.kinds[i])) + ")");
    return std::to_string(recipe.labels.size()) + ": " + joined(parts, ", ");
}

void addLegends(std::vector<ReportItem>& report, const ExportSurvey& survey, const ImportDecisions& decisions,
                const CopyRecipe& recipe, const CodeLegends& legends)
{
    for (std::size_t i = 0; i < recipe.labels.size(); ++i) {
        const ColumnTally& tally = survey.columns[i];
        const std::string& label = recipe.labels[i];
        switch (decisions.kinds[i]) {
        case ColumnKind::Codes:
            report.emplace_back("legend", label + ": " + legends.legend(label));
            break;
        case ColumnKind::TwoState: {
            std::vector<std::string> words;
            if (!tally.onWord().empty())
                words.push_back(tally.onWord() + " = 1");
            if (!tally.offWord().empty())
                words.push_back(tally.offWord() + " = 0");
            report.emplace_back("legend", label + ": " + joined(words, ", ") +
                                              (decisions.changeLog || recipe.rules.step == 0
                                                   ? ""
                                                   : "; each step the share of its readings that are 1"));
            break;
        }
        case ColumnKind::Compass:
            report.emplace_back("legend", label + ": compass points as degrees, N = 0, NNE = 22.5, E = 90, "
                                                  "S = 180, W = 270; never averaged");
            break;
        case ColumnKind::Numbers:
            break;
        }
    }
}

// Cells that give no reading: missing markers, and text that is neither a
// state nor a code of its column.
std::string blankedText(const ExportSurvey& survey, const ImportDecisions& decisions, const CopyRecipe& recipe)
{
    std::vector<std::string> parts;
    std::size_t missing = 0;
    for (std::size_t i = 0; i < survey.columns.size(); ++i) {
        const ColumnTally& tally = survey.columns[i];
        missing += tally.count(CellKind::Missing);
        std::size_t text = 0;
        switch (decisions.kinds[i]) {
        case ColumnKind::Numbers:
        case ColumnKind::TwoState:
            text = tally.count(CellKind::Word) + tally.count(CellKind::Compass);
            break;
        case ColumnKind::Compass:
            text = tally.count(CellKind::Word) + tally.count(CellKind::State);
            break;
        case ColumnKind::Codes:
            break;
        }
        if (!text)
            continue;
        std::vector<std::string> examples;
        for (const std::string& word : tally.words())
            if (examples.size() < 5 && !word.empty() && (word[0] < '0' || word[0] > '9') && word[0] != '-')
                examples.push_back(word);
        parts.push_back(plural(text, "text", "texts") + " in " + recipe.labels[i] + " (" + joined(examples, ", ") +
                        (tally.tooManyWords() ? ", ..." : "") + ")");
    }
    if (missing)
        parts.insert(parts.begin(), plural(missing, "missing marker", "missing markers") + " (nan, --- and the like)");
    return joined(parts, "; ");
}

std::string skippedText(const ExportSurvey& survey)
{
    std::vector<std::string> parts;
    for (const auto& [kind, lines] : survey.skipped)
        if (kind != LineKind::Blank)
            parts.push_back(lines.describe() + " " + std::string(skippedReason(kind)));
    return joined(parts, ", ");
}

std::string titlesText(const ExportSurvey& survey)
{
    const std::vector<std::string>& titles = survey.shape.titleLines;
    if (titles.empty())
        return {};
    std::vector<std::string> quoted;
    for (const std::string& title : titles)
        if (quoted.size() < 3)
            quoted.push_back("\"" + unquoted(title) + "\"");
    return survey.titles.describe() + " above the labels: " + joined(quoted, ", ") + (titles.size() > 3 ? ", ..." : "");
}

std::string placementText(const ExportSurvey& survey, const TimeChecks& checks, const ReductionCounts& placed)
{
    std::string text = plural(survey.lines, "line", "lines") + " read, " +
                       plural(checks.readings(), "reading", "readings") + ", " + std::to_string(placed.placed) +
                       " placed";
    if (placed.replaced)
        text += ", " + std::to_string(placed.replaced) + " taken over by a later reading of their step";
    if (placed.steppedBack)
        text += ", " + std::to_string(placed.steppedBack) + " left out (earlier than a reading before them)";
    if (placed.sharedSlots)
        text += ", " + std::to_string(placed.sharedSlots) + " sharing a ten-second slot";
    return text + ", " + plural(static_cast<std::size_t>(placed.lines), "line", "lines") + " prepared";
}

std::string stepText(const TimeChecks& checks, bool changeLog)
{
    const std::optional<long long> median = checks.steps().median();
    if (!median)
        return checks.readingLines() > 1 ? "none: every reading at one instant" : "none: a single reading";
    if (changeLog || !checks.steps().regular())
        return "irregular (median " + formatStep(*median) + ")";
    return formatStep(*median);
}

// The odd things the times show, as report items; none when all is in order.
std::vector<ReportItem> timeFindings(const TimeChecks& checks, bool changeLog)
{
    std::vector<ReportItem> items;
    const std::optional<long long> median = checks.steps().median();
    if (!changeLog && median && checks.steps().regular()) {
        const std::size_t gaps = checks.steps().longerThan(3 * *median);
        if (gaps) {
            std::string text = std::to_string(gaps) + " longer than three steps";
            const NotedStep& longest = checks.longest().front();
            text += ", the longest " + formatStep(longest.seconds) + " after " +
                    formatWallTime(wallTimeAt(longest.from)) + " (line " + std::to_string(longest.line) + ")";
            items.emplace_back("gaps", text);
        }
    }
    if (checks.repeated().count)
        items.emplace_back("repeated instants",
                           checks.repeated().describe() + (changeLog ? ": the last reading of an instant holds"
                                                                     : ": averaged or sampled with their step"));
    if (checks.backward().count)
        items.emplace_back("backward steps", checks.backward().describe());
    if (checks.clockChangeCount())
        items.emplace_back("clock changes",
                           std::to_string(checks.clockChangeCount()) + ": " + joined(checks.clockChanges(), "; ") +
                               " (times keep the logger's wall clock)");
    if (checks.impossible().count)
        items.emplace_back("impossible dates", checks.impossible().describe() + ", skipped");
    if (checks.outsideYears().count)
        items.emplace_back("outside 1990 to 2050", checks.outsideYears().describe() + ", skipped");
    return items;
}

// What the file is: its shape, time stamps, columns and what they hold.
void describeFile(std::vector<ReportItem>& report, const ExportSurvey& survey, const TimeChecks* checks,
                  const ImportDecisions& decisions, const CopyRecipe& recipe, const CodeLegends& legends)
{
    report.emplace_back("shape", shapeText(survey));
    if (checks) {
        std::string time = "column '" + survey.shape.timeHeading + "', " + stampForm(survey, checks->order());
        if (!decisions.orderReason.empty())
            time += "; read " + std::string(orderName(checks->order())) + ": " + decisions.orderReason;
        report.emplace_back("time", time);
    }
    if (!survey.zones.empty())
        report.emplace_back("zones", joined({survey.zones.begin(), survey.zones.end()}, ", ") +
                                         " (reported, not applied: times keep the logger's wall clock)");
    if (checks && checks->firstTime()) {
        report.emplace_back("first", formatWallTime(*checks->firstTime()));
        report.emplace_back("last", formatWallTime(*checks->lastTime()));
    }
    report.emplace_back("columns", columnsText(recipe, decisions));
    addLegends(report, survey, decisions, recipe, legends);
    if (survey.twelveHourTimes)
        report.emplace_back("changed", plural(survey.twelveHourTimes, "time", "times") + " converted from 12-hour form");
    if (const std::string blanked = blankedText(survey, decisions, recipe); !blanked.empty())
        report.emplace_back("left blank", blanked);
    if (const std::string titles = titlesText(survey); !titles.empty())
        report.emplace_back("titles", titles);
    if (const std::string skipped = skippedText(survey); !skipped.empty())
        report.emplace_back("skipped", skipped);
}

std::string reductionText(const CopyRecipe& recipe, bool changeLog)
{
    const ReductionRules& rules = recipe.rules;
    const std::string grid = rules.step > 0 ? formatStep(rules.step) + " grid: " : "no grid: ";
    if (!changeLog)
        return grid + (rules.sampling ? "the value in force at each " : "the mean of each ") +
               (rules.step > 0 ? "step" : "ten-second slot");
    if (rules.step == 0)
        return grid + "each change at its own ten-second slot";
    return grid + "values held from one reading to the next, " +
           (rules.sampling ? "the value in force at each step's end" : "their time-weighted mean over each step");
}

// The guesses made and the readings lost, each a WARNING.
void addWarnings(std::vector<ReportItem>& report, const ExportSurvey& survey, const TimeChecks& checks,
                 const ImportDecisions& decisions, const CopyRecipe& recipe, const ReductionCounts& placed,
                 int decimals)
{
    if (!decisions.orderWarning.empty())
        report.emplace_back(warningItem, decisions.orderWarning);
    if (decisions.changeLog)
        report.emplace_back(warningItem, "read as a change-of-value log, each reading holding until the next and "
                                         "none past the last: " + decisions.changeLogRule);
    if (placed.steppedBack)
        report.emplace_back(warningItem, std::to_string(placed.steppedBack) +
                                             " readings left out: they lie earlier than a reading before them "
                                             "(backward steps " + checks.backward().describe() + ")");
    if (survey.readFailed)
        report.emplace_back(warningItem, "the file could not be read to its end; only the lines before were read");
    for (std::size_t i = 0; i < recipe.labels.size(); ++i) {
        if (decisions.kinds[i] != ColumnKind::Numbers)
            continue;
        const ColumnTally& tally = survey.columns[i];
        if (std::string warning = roundingWarning(recipe.labels[i], tally.minimum(), tally.maximum(), decimals);
            !warning.empty())
            report.emplace_back(warningItem, warning);
    }
}

} // namespace

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

std::string roundingWarning(const std::string& label, double minimum, double maximum, int decimals)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || minimum > maximum)
        return {};
    const long long low = roundedAt(minimum, decimals);
    if (low != roundedAt(maximum, decimals) || (minimum == maximum && (low != 0 || minimum == 0)))
        return {};
    int enough = decimals + 1;
    while (enough <= mostDecimals && roundedAt(minimum, enough) == roundedAt(maximum, enough) &&
           (minimum != maximum || roundedAt(minimum, enough) == 0))
        ++enough;
    std::string text = "column " + label + " reads " +
                       (minimum == maximum ? shortest(minimum) : "from " + shortest(minimum) + " to " + shortest(maximum)) +
                       ", which rounds to " + (low == 0 ? "zero" : "one value") + " at " +
                       plural(static_cast<std::size_t>(decimals), "decimal", "decimals") +
                       ": set the decimals of stored readings (Decimals, tsl --decimals) to ";
    text += enough <= mostDecimals ? std::to_string(enough) + " or more" : std::to_string(mostDecimals) + ", the most";
    return text;
}

std::vector<ReportItem> describeImport(const ExportSurvey& survey, const ImportDecisions& decisions,
                                       const CopyRecipe& recipe, const CodeLegends& legends,
                                       const ReductionCounts& placed, int decimals)
{
    std::vector<ReportItem> report;
    const TimeChecks* checks = survey.orders.empty() ? nullptr : &survey.orders[decisions.order];
    describeFile(report, survey, checks, decisions, recipe, legends);
    if (!checks) {
        report.emplace_back("check", plural(survey.lines, "line", "lines") + " read: labels only, no readings");
        return report;
    }
    report.emplace_back("reduced", reductionText(recipe, decisions.changeLog));
    const std::vector<ReportItem> findings = timeFindings(*checks, decisions.changeLog);
    const bool odd = !findings.empty() || !skippedText(survey).empty() || placed.steppedBack || survey.readFailed;
    report.emplace_back("check", placementText(survey, *checks, placed) + "; step " +
                                     stepText(*checks, decisions.changeLog) + (odd ? "" : "; nothing odd"));
    report.insert(report.end(), findings.begin(), findings.end());
    addWarnings(report, survey, *checks, decisions, recipe, placed, decimals);
    return report;
}

} // namespace tsl
