#pragma once

#include "app/safe_file.h"
#include "app/save_outcome.h"
#include "app/tool_settings.h"
#include "output/row_walk.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tsl {

class CommandContext;
struct FileFilter;

// One output file of a data save as its format fills it: the header when it
// is opened, then the lines of the walk.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Starts the file at path, written through a temporary file. The first
    // file of a save gets the full header, later split files their own.
    // existing says what commit() does with a file of that name: the name
    // the user chose is replaced, a split series' working file must be new.
    virtual bool open(const std::string& path, bool first, SafeFileWriter::Existing existing) = 0;
    virtual RowSink& rows() = 0;
    // A write has failed already: the file cannot be completed.
    virtual bool failed() const = 0;
    // Puts the complete file in place; false when that failed, and the path
    // then keeps what it held before.
    virtual bool commit() = 0;
    virtual void discard() = 0;
};

// What a data save calls its format in the dialog and the log ("CSV").
struct SaveKind {
    std::string name;
    std::string defaultExtension;
    std::vector<FileFilter> filters;
    // The header lists the output template's labels as they stand, whatever
    // the columns below: a save warns when the two differ.
    bool headerFromOutputTemplate = false;
};

using OutputFileFactory = std::function<std::unique_ptr<OutputFile>(const ToolSettings& settings)>;

// Asks for a file name (or, when output is split by day, a mask for a series
// of dated files) and writes the stored data in the format the factory
// makes, with the settings the controls show now. No file the user did not
// name is replaced, and an existing file is never left half-written.
SaveOutcome runDataSave(CommandContext& context, const SaveKind& kind, const OutputFileFactory& makeFile);

// The temporary file through which an output file is written; nothing when
// the path is a file that may not be written, or its folder cannot take one.
std::unique_ptr<SafeFileWriter> openOutput(const std::string& path, SafeFileWriter::Existing existing);

} // namespace tsl
