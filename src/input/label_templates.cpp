#include "input/label_templates.h"

#include "app/command_context.h"
#include "input/log_lines.h"
#include "input/text_line_reader.h"
#include "tree/data_tree.h"

#include <memory>
#include <optional>
#include <string>

namespace tsl {

namespace {

constexpr std::size_t npos = std::string_view::npos;

struct TemplateLimits {
    std::size_t headerBytes;
    std::size_t labelBytes;
};
constexpr TemplateLimits inputLimits{9998, 259};
constexpr TemplateLimits outputLimits{1989, 199};

void logCapped(MessageLog& log, std::string_view bytes)
{
    log.append(cappedLogText(bytes, templateLineCap));
}

// Asks for the template file; returns its path, empty when none was chosen.
std::string chooseTemplateFile(CommandContext& context)
{
    FileRequest& request = context.fileRequest();
    request.title = "Find Label Template File";
    request.filters = {{"CSV Files *.csv", "*.csv"}, {"All Files *.*", "*.*"}};
    request.defaultExtension = "CSV";
    request.options = FileRequest::FileMustExist | FileRequest::Explorer | FileRequest::HideReadOnly;
    request.result.clear();
    request.names.clear();
    request.namePosition = 0;
    context.runFileDialog(FileDialogMode::Open);

    MessageLog& log = context.log();
    const std::string path = request.result;
    if (!path.empty()) {
        context.setControlText(ControlId::TemplateFileName, path);
        logCapped(log, "Entered file '" + path + "'");
    } else {
        log.append("CSV file name not entered");
    }
    return path;
}

// The first line of the file, at most limit bytes; nothing when it cannot
// be opened (logged).
std::optional<std::string> readHeaderLine(CommandContext& context, const std::string& path, ReadKind kind,
                                          std::size_t limit, bool& complete)
{
    TextLineReader file;
    if (path.empty() || !file.open(path)) {
        context.log().append("Error opening CSV file");
        context.log().showLast();
        return std::nullopt;
    }
    context.filesRead().noteOpen(file.descriptor(), path, kind);
    auto buffer = std::make_unique<char[]>(limit + 1);
    std::size_t length = 0;
    file.readLine(buffer.get(), limit, length);
    std::string line(buffer.get(), length);
    complete = line.find('\n') != npos;
    return line;
}

void listExistingLabels(const DataNode* templateNode, MessageLog& log)
{
    log.append("Adding labels to list- already have labels:");
    for (const DataNode* label = templateNode->firstChild(); label; label = label->nextSibling()) {
        if (const DataAttribute* value = DataTree::findAttribute(label, "value"))
            logCapped(log, " - " + std::string(value->value()));
    }
}

} // namespace

void addTemplateLabels(DataTree& tree, DataNode* templateNode, std::string_view header,
                       std::size_t maxLabelBytes, MessageLog& log)
{
    std::size_t p = header.find(',');
    if (p == npos)
        return;
    auto skipBlanks = [&](std::size_t from) {
        while (from < header.size() && header[from] == ' ')
            ++from;
        return from;
    };
    p = skipBlanks(p + 1);
    int order = 1;
    while (p < header.size()) {
        const std::size_t comma = header.find(',', p);
        std::string_view label;
        if (comma != npos) {
            label = header.substr(p, comma - p);
        } else {
            label = header.substr(p);
            if (label.size() < 2)
                break;
        }
        // Drops the line end of the last label, and equally one trailing
        // blank or punctuation mark of any label.
        if (!label.empty() && static_cast<signed char>(label.back()) < '0')
            label.remove_suffix(1);
        label = label.substr(0, maxLabelBytes);

        DataNode* node = tree.addChild(templateNode, "label");
        tree.setAttribute(node, "value", label);
        tree.setAttributeInt(node, "order", order++);
        logCapped(log, DataTree::formatNode(node));

        if (comma == npos)
            break;
        p = skipBlanks(comma + 1);
    }
}

void OnReadLabelTemplate(CommandContext& context)
{
    const std::string path = chooseTemplateFile(context);
    bool complete = false;
    const std::optional<std::string> header = readHeaderLine(context, path, ReadKind::LabelTemplate, inputLimits.headerBytes, complete);
    if (!header)
        return;
    MessageLog& log = context.log();
    if (!complete)
        log.append("ERROR: Could not read in entire template string- string too long.  TSL will not be able "
                   "to read all columns.");
    log.append("Read labels:");

    DataTree& tree = context.tree();
    DataNode* templateNode = tree.findNode(tree.root(), "template");
    if (templateNode)
        listExistingLabels(templateNode, log);
    else
        templateNode = tree.addChild(tree.root(), "template");
    tree.setAttribute(templateNode, "fileName", path);
    addTemplateLabels(tree, templateNode, *header, inputLimits.labelBytes, log);
    log.append("Done reading labels.");
}

void OnSetOutputTemplate(CommandContext& context)
{
    const std::string path = chooseTemplateFile(context);
    bool complete = false;
    const std::optional<std::string> header = readHeaderLine(context, path, ReadKind::OutputTemplate, outputLimits.headerBytes, complete);
    if (!header)
        return;
    MessageLog& log = context.log();
    log.append("find labels:");

    DataTree& tree = context.tree();
    DataNode* outputTemplate = tree.findNode(tree.root(), "outputTemplate");
    if (!outputTemplate) {
        outputTemplate = tree.addChild(tree.root(), "outputTemplate");
    } else if (context.messageBox("Output labels already exist- delete before continuing?", "Output labels",
                                  MessageButtons::OkCancel) == MessageAnswer::Ok) {
        tree.deleteNode(outputTemplate);
        outputTemplate = tree.addChild(tree.root(), "outputTemplate");
        log.append("Previously read labels have been deleted.");
    } else {
        listExistingLabels(outputTemplate, log);
    }
    addTemplateLabels(tree, outputTemplate, *header, outputLimits.labelBytes, log);
}

} // namespace tsl
