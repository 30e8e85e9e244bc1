#include "output/xml_save.h"

#include "app/command_context.h"
#include "app/safe_file.h"
#include "output/save_target.h"
#include "tree/data_tree.h"

namespace tsl {

SaveOutcome OnSaveToXml(CommandContext& context)
{
    FileRequest& request = context.fileRequest();
    request.result.clear();
    request.names.clear();
    request.title = "Enter name of XML file to save data to:";
    request.filters = {{"XML Files *.xml", "*.xml"}, {"All Files *.*", "*.*"}};
    request.defaultExtension = "XML";
    request.options = FileRequest::Explorer | FileRequest::EnableSizing | FileRequest::OverwritePrompt;

    MessageLog& log = context.log();
    if (!context.runFileDialog(FileDialogMode::Save) || request.result.empty()) {
        log.append("ERROR- XML save file name not entered");
        log.showLast();
        return SaveOutcome::Cancelled;
    }
    const std::string path = request.result;
    const std::optional<SaveTarget> target = admitSaveTarget(context, path);
    if (!target)
        return SaveOutcome::Refused;

    SafeFileWriter writer(target->path);
    if (!writer.open()) {
        log.append("Error opening XML output file");
        log.showLast();
        return SaveOutcome::OpenFailed;
    }
    const DataTree& tree = context.tree();
    tree.writeXml(tree.root(), writer.file());
    if (!writer.commit()) {
        // The file the user had under that name, if any, is still there.
        log.append("ERROR: XML output could not be written to file '" + logText(path) + "': " +
                   writer.errorText() + ". Any earlier file of that name is unchanged.");
        log.showLast();
        return SaveOutcome::WriteFailed;
    }
    context.dataChanges().markSaved();
    log.append("XML output saved to file '" + logText(path) + "'");
    noteOtherNames(log, path, *target);
    log.showLast();
    return SaveOutcome::Saved;
}

} // namespace tsl
