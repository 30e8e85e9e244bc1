#include "app/command_context.h"

namespace tsl {

void setReadingState(CommandContext& context, bool reading)
{
    for (ControlId id : readLockedControls)
        context.enableControl(id, !reading);
    context.setControlText(ControlId::ReadCsvData, reading ? stopButtonCaption : readButtonCaption);
}

ReadBatch::ReadBatch(CommandContext& context, const std::vector<std::string>& paths) : context_(context)
{
    if (context_.reading().batchDepth == 0)
        context_.readBatchStarted(paths);
    ++context_.reading().batchDepth;
}

ReadBatch::~ReadBatch()
{
    if (--context_.reading().batchDepth == 0)
        context_.readBatchEnded();
}

} // namespace tsl
