#include "ops/unit_conversion.h"

#include "app/classic_numbers.h"
#include "app/command_context.h"
#include "app/edit_text.h"
#include "ops/data_walk.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace tsl {

namespace {

// Room in the conversion column edit.
constexpr std::size_t columnTextCharacters = 18;

// Rounds to single precision; values beyond its range become infinite as
// the hardware rounding would make them.
float toSingle(double value)
{
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
        const double firstOverflow = 0x1.ffffffp127;
        const float limit = std::fabs(value) >= firstOverflow ? INFINITY : FLT_MAX;
        return std::signbit(value) ? -limit : limit;
    }
    return static_cast<float>(value);
}

double converted(int conversion, double x)
{
    switch (conversion) {
    case 0:
        return x * 0.5556 + 255.522;
    case 1:
        return x * 0.0005675;
    case 2:
        return (x - 32.0) * 0.5556;
    case 3:
        return x * 0.472;
    case 4:
        return x - 273.3;
    case 5:
        return x * 833.33;
    case 6:
        return x / 100.0;
    default:
        return x;
    }
}

std::string_view conversionName(int conversion)
{
    if (conversion < 0 || conversion >= static_cast<int>(conversionItems.size()))
        return {};
    return conversionItems[static_cast<std::size_t>(conversion)];
}

// formatted and convertedText use strtod and "%7.4f": their callers hold a
// ClassicNumbers, so that the window's locale cannot turn the point into a comma.
std::string formatted(float value)
{
    // Wide enough for the largest single-precision number in "%7.4f".
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%7.4f", static_cast<double>(value));
    return buffer;
}

std::string convertedText(int conversion, std::string_view cell)
{
    const std::string text(cell);
    const float x = toSingle(std::strtod(text.c_str(), nullptr));
    return formatted(toSingle(converted(conversion, x)));
}

// Which columns the column text chooses. Rows share their label attribute
// lists, so each distinct list is tested once.
class ColumnMatch {
public:
    explicit ColumnMatch(std::string mask) : mask_(std::move(mask)) {}

    // The column label when the cell's column is chosen, else null.
    const DataAttribute* chosen(const DataNode* label)
    {
        auto known = known_.find(label->attributes());
        if (known != known_.end())
            return known->second;
        const DataAttribute* value = DataTree::findAttribute(label, "value");
        if (value && (value->value().empty() || value->value().find(mask_) == std::string_view::npos))
            value = nullptr;
        known_.emplace(label->attributes(), value);
        return value;
    }

private:
    std::string mask_;
    std::unordered_map<const DataAttribute*, const DataAttribute*> known_;
};

} // namespace

std::string convertCellText(int conversion, std::string_view cell)
{
    ClassicNumbers numbers;
    return convertedText(conversion, cell);
}

void OnConvertUnits(CommandContext& context)
{
    const ToolSettings settings = context.settings();
    const std::string mask = leadingCharacters(settings.conversionColumn, columnTextCharacters);
    MessageLog& log = context.log();
    log.append("Conversion selected: " + std::string(conversionName(settings.conversion)));
    if (mask.empty()) {
        log.append("ERROR- no label mask.  Please enter a label mask.  No conversion was performed.");
        return;
    }
    DataTree& tree = context.tree();
    if (!tree.findNode(tree.root(), "data")) {
        log.append("ERROR- no data entered yet.  No conversion was performed.");
        return;
    }

    ClassicNumbers numbers;
    ColumnMatch columns(mask);
    int columnCount = 0;
    bool countingLine = true;
    forEachDataline(tree, [&](DataNode* line) {
        for (DataNode* cell = line->firstChild(); cell; cell = cell->nextSibling()) {
            if (cell->name() != "label" || cell->text().empty())
                continue;
            const DataAttribute* label = columns.chosen(cell);
            if (!label)
                continue;
            if (countingLine) {
                log.append(" -> Converting data with label '" + logText(label->value()) + "'");
                ++columnCount;
            }
            cell->setText(convertedText(settings.conversion, cell->text()));
            context.dataChanges().markChanged();
        }
        countingLine = false;
        return true;
    });
    log.append("Conversion completed.  Converted data in " + std::to_string(columnCount) + " columns.");
    log.showLast();
}

void OnConversionChanged(CommandContext& context)
{
    switch (context.settings().conversion) {
    case 0:
    case 2:
    case 4:
        context.setConversionColumn("TEMP");
        break;
    case 1:
    case 3:
    case 5:
        context.setConversionColumn("FLOW");
        break;
    case 6:
        context.setConversionColumn("Valve");
        break;
    default:
        context.setConversionColumn("ERR");
        break;
    }
}

} // namespace tsl
