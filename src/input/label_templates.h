#pragma once

#include <cstddef>
#include <string_view>

namespace tsl {

class CommandContext;
class DataNode;
class DataTree;
class MessageLog;

// "Read &Label Template": the header of a chosen CSV file is added, label by
// label, to the input template ("template").
void OnReadLabelTemplate(CommandContext& context);

// "Set Output Template": the same into "outputTemplate", the columns the CSV
// writer keeps; an existing one is replaced or extended as the user answers.
void OnSetOutputTemplate(CommandContext& context);

// Splits a header line (its first field, the date/time heading, skipped) at
// commas and adds each label below templateNode with "value" and a running
// "order" from 1, logging each label's XML form. Labels are cut at
// maxLabelBytes.
void addTemplateLabels(DataTree& tree, DataNode* templateNode, std::string_view header,
                       std::size_t maxLabelBytes, MessageLog& log);

} // namespace tsl
