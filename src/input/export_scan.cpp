#include "input/export_scan.h"

namespace tsl {

namespace {

// Zone names kept for the report; a file rarely writes more than two.
constexpr std::size_t zonesKept = 8;

class Scanner {
public:
    explicit Scanner(ExportSurvey& survey) : survey_(survey)
    {
        survey_.columns.resize(survey_.shape.valueColumns.size());
    }

    void line(std::size_t number, const std::string& text, bool cut, bool nul)
    {
        ++survey_.lines;
        readExportRow(survey_.shape, number, text, cut, nul, row_);
        switch (row_.kind) {
        case LineKind::Heading:
            ++survey_.headingLines;
            return;
        case LineKind::Title:
            survey_.titles.add(number);
            return;
        case LineKind::Reading:
            reading(number);
            return;
        case LineKind::Blank:
            if (number < survey_.shape.firstDataLine)
                return;
            break;
        default:
            break;
        }
        survey_.skipped[row_.kind].add(number);
    }

private:
    void reading(std::size_t number)
    {
        const ExportShape& shape = survey_.shape;
        std::size_t values = 0;
        for (std::size_t i = 0; i < shape.valueColumns.size(); ++i) {
            const std::size_t column = static_cast<std::size_t>(shape.valueColumns[i]);
            const Cell cell = classifyCell(column < row_.fields.size() ? std::string_view(row_.fields[column]) : "",
                                           shape.decimalComma);
            survey_.columns[i].add(cell);
            values += cell.kind != CellKind::Empty && cell.kind != CellKind::Missing;
        }
        const RawStamp& stamp = row_.stamp;
        survey_.monthNames = survey_.monthNames || stamp.namedMonth;
        survey_.twelveHourTimes += stamp.meridiem != Meridiem::None;
        if (!stamp.zone.empty() && survey_.zones.size() < zonesKept)
            survey_.zones.insert(stamp.zone);
        survey_.yearDigits = stamp.partDigits[stamp.partDigits[0] == 4 || possibleOrders(stamp).yearFirst ? 0 : 2];
        if (survey_.orders.empty()) {
            const OrderSet allowed = possibleOrders(stamp);
            for (DateOrder order : {DateOrder::YearFirst, DateOrder::DayFirst, DateOrder::MonthFirst})
                if (allowed.has(order))
                    survey_.orders.emplace_back(order);
        }
        for (TimeChecks& checks : survey_.orders)
            checks.add(stamp, number, values);
    }

    ExportSurvey& survey_;
    ExportRow row_;
};

} // namespace

ScanOutcome scanExport(const std::string& path, const KeepGoing& keepGoing)
{
    ScanOutcome outcome;
    ExportLines lines;
    if (!lines.open(path, outcome.refusal))
        return outcome;

    // The first lines decide the shape; whole lines only.
    std::vector<NumberedLine> sample;
    std::vector<bool> cut, nul;
    std::size_t filled = 0;
    std::string text;
    bool more = true;
    while (filled < shapeSampleLines && (more = lines.next(text))) {
        cut.push_back(lines.lineCut());
        nul.push_back(lines.lineHasNul());
        sample.push_back({lines.lineNumber(), cut.back() || nul.back() ? std::string() : text});
        filled += !trimmed(text).empty();
        if (lines.lineNumber() % linesBetweenPumps == 0 && !keepGoing()) {
            outcome.stopped = true;
            return outcome;
        }
    }
    ShapeResult shape = findExportShape(sample);
    if (!shape.shape) {
        outcome.refusal = shape.refusal;
        return outcome;
    }
    ExportSurvey survey;
    survey.shape = std::move(*shape.shape);
    Scanner scanner(survey);
    for (std::size_t i = 0; i < sample.size(); ++i)
        scanner.line(sample[i].number, sample[i].text, cut[i], nul[i]);
    sample.clear();
    while (more && lines.next(text)) {
        scanner.line(lines.lineNumber(), text, lines.lineCut(), lines.lineHasNul());
        if (lines.lineNumber() % linesBetweenPumps == 0 && !keepGoing()) {
            outcome.stopped = true;
            return outcome;
        }
    }
    survey.encoding = lines.encoding();
    survey.readFailed = lines.readFailed();
    outcome.survey = std::move(survey);
    return outcome;
}

bool runsNewestFirst(const TimeChecks& checks)
{
    return checks.backward().count > checks.steps().total();
}

ScanOutcome scanExportBackwards(const std::string& path, const ExportSurvey& forward, const KeepGoing& keepGoing)
{
    ScanOutcome outcome;
    ExportLines lines;
    if (!lines.openBackwards(path, forward.lines, outcome.refusal))
        return outcome;
    ExportSurvey survey;
    survey.shape = forward.shape;
    survey.encoding = forward.encoding;
    survey.backwards = true;
    Scanner scanner(survey);
    std::string text;
    while (lines.next(text)) {
        scanner.line(lines.lineNumber(), text, lines.lineCut(), lines.lineHasNul());
        if (lines.lineNumber() % linesBetweenPumps == 0 && !keepGoing()) {
            outcome.stopped = true;
            return outcome;
        }
    }
    survey.readFailed = lines.readFailed() || forward.readFailed;
    outcome.survey = std::move(survey);
    return outcome;
}

} // namespace tsl
