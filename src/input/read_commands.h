#pragma once

#include "input/csv_reader.h"

#include <string>
#include <vector>

namespace tsl {

class CommandContext;
struct FileRequest;

// What one batch of files came to.
struct ReadBatchResult {
    int finished = 0;
    int stopped = 0;
    int failed = 0;
    int xmlFailed = 0;
    bool started = false;
};

// The click on "&Read CSV Data": while a read runs, asks whether to stop it;
// otherwise asks for files and reads them in turn (".xml" paths as XML).
ReadBatchResult OnReadCsvData(CommandContext& context);

// Logs how one file's read ended ("Finished reading file." and its kin, with
// failedLine for a failure), clears the stop that ended it and counts it.
void reportReadResult(CommandContext& context, ReadResult result, const char* failedLine, ReadBatchResult& batch);

// Sets the shared file request to ask for one or more existing data files.
void prepareOpenRequest(FileRequest& request, const std::string& title);

// Before the next file of a batch: a file that failed has switched the
// reading state off, and the rest of the batch is a read like the first
// part, with its controls locked again.
void resumeReading(CommandContext& context);

// Files dropped onto the window: each is read as a data file, in order.
ReadBatchResult OnDropFiles(CommandContext& context, const std::vector<std::string>& paths);

} // namespace tsl
