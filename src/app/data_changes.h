#pragma once

namespace tsl {

// Whether the data held was changed since it was last saved whole: commands
// that change the data (reads, conversions, fills, clearing, an XML file
// loaded) mark it changed, the saves that write all of it mark it saved.
// The window asks before a close would lose such data.
class DataChanges {
public:
    void markChanged() { unsaved_ = true; }
    void markSaved() { unsaved_ = false; }
    bool unsaved() const { return unsaved_; }

private:
    bool unsaved_ = false;
};

} // namespace tsl
