#pragma once

// What a chart of the stored data shows, and the log lines of saving one.

#include <cstddef>
#include <string>
#include <vector>

namespace tsl {

class CommandContext;
class MessageLog;

// Columns shown when none are chosen.
constexpr std::size_t defaultChartColumns = 8;

// The columns a chart shows: those asked for that the stored data has, in
// the order asked (each one it lacks is logged and left out), or the first
// few columns that hold readings when none are asked for.
std::vector<std::string> chooseChartColumns(CommandContext& context, const std::vector<std::string>& requested);

// "A,B,C" as the labels A, B and C; empty names are dropped.
std::vector<std::string> splitColumnList(const std::string& list);

void logChartSaved(MessageLog& log, const std::string& path, std::size_t columns, std::size_t lines);
void logChartNotSaved(MessageLog& log, const std::string& path, const std::string& reason);

} // namespace tsl
