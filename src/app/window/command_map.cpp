// The command map: which notification of which control runs which handler,
// and the handlers, each handing over to its core command with the window as
// context.
#include "app/window/corvane_dlg.h"

#include "app/settings_commands.h"
#include "app/window/about_dlg.h"
#include "app/window/fill_values_dlg.h"
#include "tree/xml_commands.h"

#if __has_include("input/read_commands.h")
#include "input/read_commands.h"
#define TSL_HAVE_READ_COMMANDS 1
#endif
#if __has_include("input/label_templates.h")
#include "input/label_templates.h"
#define TSL_HAVE_LABEL_TEMPLATES 1
#endif
#if __has_include("output/csv_writer.h")
#include "output/csv_writer.h"
#define TSL_HAVE_CSV_WRITER 1
#endif
#if __has_include("ops/unit_conversion.h")
#include "ops/unit_conversion.h"
#define TSL_HAVE_UNIT_CONVERSION 1
#endif
#if __has_include("ops/fill_blanks.h")
#include "ops/fill_blanks.h"
#define TSL_HAVE_FILL_BLANKS 1
#endif
#if __has_include("ops/preview.h")
#include "ops/preview.h"
#define TSL_HAVE_PREVIEW 1
#endif
#if __has_include("ops/clear_data.h")
#include "ops/clear_data.h"
#define TSL_HAVE_CLEAR_DATA 1
#endif
#if defined(TSL_HAVE_DATABASE) && __has_include("db/fill_database.h")
#include "db/fill_database.h"
#define TSL_HAVE_FILL_DATABASE 1
#endif

namespace tsl {

namespace {

using N = Notification;
using D = CCorvaneDlg;

constexpr int id(ControlId control)
{
    return static_cast<int>(control);
}

// Row by row as the window shows the controls.
constexpr MessageMapEntry messageMap[] = {
    {id(ControlId::IntervalList), N::SelectionChange, &D::OnIntervalChanged},
    {id(ControlId::ReductionList), N::SelectionChange, &D::OnReductionChanged},
    {id(ControlId::LineLabel), N::Clicked, &D::OnLineLabelToggled},
    {id(ControlId::PreviewData), N::Clicked, &D::OnPreviewData},
    {id(ControlId::Close), N::Clicked, &D::OnCloseButton},
    {id(ControlId::ReadLabelTemplate), N::Clicked, &D::OnReadLabelTemplate},
    {id(ControlId::SplitList), N::SelectionChange, &D::OnSplitChanged},
    {id(ControlId::ConvertUnits), N::Clicked, &D::OnConvertUnits},
    {id(ControlId::ReadCsvData), N::Clicked, &D::OnReadCsvData},
    {id(ControlId::SaveToXml), N::Clicked, &D::OnSaveToXml},
    {id(ControlId::FillDatabase), N::Clicked, &D::OnFillDatabase},
    {id(ControlId::ConversionList), N::SelectionChange, &D::OnConversionChanged},
    {id(ControlId::ClearCsvData), N::Clicked, &D::OnClearCsvData},
    {id(ControlId::SaveToCsv), N::Clicked, &D::OnSaveToCsv},
    {id(ControlId::FillValue), N::Clicked, &D::OnFillValue},
    {id(ControlId::FillBlanks), N::Clicked, &D::OnFillBlanks},
    {id(ControlId::SetOutputTemplate), N::Clicked, &D::OnSetOutputTemplate},
    {id(ControlId::Delimiter), N::KillFocus, &D::OnDelimiterEdited},
    {id(ControlId::TimeDelimiter), N::Clicked, &D::OnTimeDelimiterToggled},
    {id(ControlId::BracketEnable), N::Clicked, &D::OnBracketToggled},
    {id(ControlId::DateFormatList), N::SelectionChange, &D::OnDateFormatChanged},
    {id(ControlId::WriteDateFrom), N::Clicked, &D::OnWriteDateToggled},
    {aboutCommandId, N::Command, &D::OnAbout},
};

} // namespace

std::span<const MessageMapEntry> CCorvaneDlg::GetMessageMap()
{
    return messageMap;
}

// --- settings ---

void CCorvaneDlg::OnIntervalChanged() { tsl::OnIntervalChanged(*this); }
void CCorvaneDlg::OnReductionChanged() { tsl::OnReductionChanged(*this); }
void CCorvaneDlg::OnLineLabelToggled() { tsl::OnLineLabelToggled(*this); }
void CCorvaneDlg::OnSplitChanged() { tsl::OnSplitChanged(*this); }
void CCorvaneDlg::OnDelimiterEdited() { tsl::OnDelimiterEdited(*this); }
void CCorvaneDlg::OnTimeDelimiterToggled() { tsl::OnTimeDelimiterToggled(*this); }
void CCorvaneDlg::OnBracketToggled() { tsl::OnBracketToggled(*this); }
void CCorvaneDlg::OnDateFormatChanged() { tsl::OnDateFormatChanged(*this); }
void CCorvaneDlg::OnWriteDateToggled() { tsl::OnWriteDateToggled(*this); }

// --- reading ---

void CCorvaneDlg::OnReadCsvData()
{
#ifdef TSL_HAVE_READ_COMMANDS
    if (readRunning()) {
        // The button reads "Stop Reading": the command asks whether to stop.
        tsl::OnReadCsvData(*this);
        return;
    }
    beginBatch();
    batchDialogExpected_ = true;
    tsl::OnReadCsvData(*this);
    batchDialogExpected_ = false;
    endBatch();
#else
    notInThisBuild("Read CSV Data");
#endif
}

void CCorvaneDlg::dropFilesCommand(const std::vector<std::string>& paths)
{
#ifdef TSL_HAVE_READ_COMMANDS
    tsl::OnDropFiles(*this, paths);
#else
    (void)paths;
    notInThisBuild("Drop Files");
#endif
}

void CCorvaneDlg::OnReadLabelTemplate()
{
#ifdef TSL_HAVE_LABEL_TEMPLATES
    tsl::OnReadLabelTemplate(*this);
#else
    notInThisBuild("Read Label Template");
#endif
}

void CCorvaneDlg::OnSetOutputTemplate()
{
#ifdef TSL_HAVE_LABEL_TEMPLATES
    tsl::OnSetOutputTemplate(*this);
#else
    notInThisBuild("Set Output Template");
#endif
}

// --- saving ---

void CCorvaneDlg::OnSaveToXml() { tsl::OnSaveToXml(*this); }

void CCorvaneDlg::OnSaveToCsv()
{
#ifdef TSL_HAVE_CSV_WRITER
    tsl::OnSaveToCsv(*this);
#else
    notInThisBuild("Save to CSV");
#endif
}

// --- operations on the data ---

void CCorvaneDlg::OnConvertUnits()
{
#ifdef TSL_HAVE_UNIT_CONVERSION
    tsl::OnConvertUnits(*this);
#else
    notInThisBuild("Convert Units");
#endif
}

void CCorvaneDlg::OnConversionChanged()
{
#ifdef TSL_HAVE_UNIT_CONVERSION
    tsl::OnConversionChanged(*this);
#endif
}

void CCorvaneDlg::OnFillBlanks()
{
#ifdef TSL_HAVE_FILL_BLANKS
    tsl::OnFillBlanks(*this);
#else
    notInThisBuild("Fill Blanks");
#endif
}

void CCorvaneDlg::OnPreviewData()
{
#ifdef TSL_HAVE_PREVIEW
    tsl::OnPreviewData(*this);
#else
    notInThisBuild("Preview Data");
#endif
}

void CCorvaneDlg::OnClearCsvData()
{
#ifdef TSL_HAVE_CLEAR_DATA
    tsl::OnClearCsvData(*this);
#else
    notInThisBuild("Clear CSV Data");
#endif
}

void CCorvaneDlg::OnFillValue()
{
    FillValuesDlg dialog(*this, this);
    dialog.exec();
}

void CCorvaneDlg::OnFillDatabase()
{
#ifdef TSL_HAVE_FILL_DATABASE
    tsl::OnFillDatabase(*this);
#else
    notInThisBuild("Fill Database");
#endif
}

// --- the window's own ---

void CCorvaneDlg::OnCloseButton()
{
    requestClose(PendingClose::Ok);
}

void CCorvaneDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

} // namespace tsl
