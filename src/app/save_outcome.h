#pragma once

namespace tsl {

// How a save command ended; the batch front end turns it into its exit status.
enum class SaveOutcome { Saved, Cancelled, OpenFailed, WriteFailed };

} // namespace tsl
