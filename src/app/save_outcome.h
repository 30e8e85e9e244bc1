#pragma once

namespace tsl {

// How a save command ended; the batch front end turns it into its exit status.
// Refused: the target was a file read in the session, a folder, a device ...
enum class SaveOutcome { Saved, Cancelled, OpenFailed, WriteFailed, Refused };

// A save that was asked for and did not happen.
inline bool saveFailed(SaveOutcome outcome)
{
    return outcome != SaveOutcome::Saved && outcome != SaveOutcome::Cancelled;
}

} // namespace tsl
