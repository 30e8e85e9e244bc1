#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tsl {

class CommandContext;

enum class ReadResult { Finished, Stopped, Failed };

// Limits of the reader's buffers: a line holds at most this many characters
// (its "\n" included; a longer physical line is read as several), a column
// label at most this many bytes (longer header fields are cut).
inline constexpr std::size_t dataLineLimit = 19989;
inline constexpr std::size_t columnLabelLimit = 259;
// Columns of readings a file may have: the reader keeps one accumulator
// each, and ignores the columns after the last.
inline constexpr int maxColumns = 800;

// When a read hands the cutting of lines and the conversion of readings to a
// second thread: for regular files of at least this size, in blocks of this
// many lines. The thread converts as many of a line's fields as keeps it and
// the reader equally busy, or a fixed number of them when one is given. The
// result is the same either way.
struct ReadAheadTuning {
    std::size_t fromFileSize = std::size_t{1} << 20;
    std::size_t linesPerBlock = 256;
    std::optional<std::size_t> fieldsPerLine;
};

// Reads one logger file into the tree: its header into a new "fileLabels"
// node (and into "template" when there is none), its lines onto the time
// grid below "data". The caller sets readInProgress before the call and
// reports the result.
ReadResult readDataFile(CommandContext& context, const std::string& path, const ReadAheadTuning& tuning = {});

} // namespace tsl
