#include "output/row_walk.h"

#include "tree/data_tree.h"

namespace tsl {

namespace {

constexpr std::time_t secondsPerDay = 86400;

// The date value of a year, month, day or hour node: its only attribute.
std::string_view keyOf(const DataNode* node)
{
    const DataAttribute* key = node->attributes();
    return key ? key->value() : std::string_view{};
}

CalendarDate localDateOf(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

} // namespace

std::string fileDateTextOf(const DayWritten& day, bool writeDateFrom)
{
    return writeDateFrom ? fileDateText(day.outputDate) : fileDateText(day.nodes);
}

bool walkRows(const DataTree& tree, const RowDates& dates, RowSink& sink, const DayEnded& dayEnded)
{
    std::time_t outputDate = dates.writeStartDate;
    const std::time_t dayStep = dates.writeDateFrom ? secondsPerDay : 0;

    for (const DataNode* year = tree.findNode(tree.root(), "dataYear"); year; year = year->nextSibling()) {
        for (const DataNode* month = tree.findNode(year, "dataMonth"); month; month = month->nextSibling()) {
            for (const DataNode* day = tree.findNode(month, "dataDay"); day; day = day->nextSibling()) {
                DayWritten written{{keyOf(year), keyOf(month), keyOf(day)}, {}, 0};
                if (dates.writeDateFrom)
                    written.outputDate = localDateOf(outputDate);
                for (const DataNode* hour = tree.findNode(day, "dataHour"); hour; hour = hour->nextSibling()) {
                    sink.startHour(written, keyOf(hour));
                    for (const DataNode* line = tree.findNode(hour, "dataline"); line; line = line->nextSibling()) {
                        const DataAttribute* stamp = DataTree::findAttribute(line, "timestampCSV");
                        if (!stamp)
                            continue;
                        sink.writeLine(line, stamp->value());
                        ++written.rows;
                    }
                }
                if (!dayEnded(written))
                    return false;
                outputDate += dayStep;
            }
        }
    }
    return true;
}

ColumnChoice::ColumnChoice(const DataTree& tree)
{
    const DataNode* outputTemplate = tree.findNode(tree.root(), "outputTemplate");
    active_ = outputTemplate != nullptr;
    if (outputTemplate)
        collectLabelValues(outputTemplate);
}

bool ColumnChoice::includes(const DataNode* label)
{
    if (!active_)
        return true;
    auto known = known_.find(label->attributes());
    if (known != known_.end())
        return known->second;
    const DataAttribute* value = DataTree::findAttribute(label, "value");
    const bool chosen = value && values_.count(value->value()) > 0;
    known_.emplace(label->attributes(), chosen);
    return chosen;
}

// Every "label" below the template counts, as a search from it would find.
void ColumnChoice::collectLabelValues(const DataNode* node)
{
    for (const DataNode* child = node->firstChild(); child; child = child->nextSibling()) {
        if (child->name() == "label") {
            if (const DataAttribute* value = DataTree::findAttribute(child, "value"))
                values_.insert(value->value());
        }
        collectLabelValues(child);
    }
}

} // namespace tsl
