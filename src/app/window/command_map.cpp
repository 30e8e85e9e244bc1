// The command map: which notification of which control runs which handler,
// and the handlers, each handing over to its core command with the window as
// context.
#include "app/window/corvane_dlg.h"

#include "app/settings_commands.h"
#include "app/chart/plot_dlg.h"
#include "app/window/about_dlg.h"
#include "app/window/fill_values_dlg.h"
#include "output/xml_save.h"

#include "input/read_commands.h"
#include "input/label_templates.h"
#include "output/csv_writer.h"
#include "output/xlsx_writer.h"
#include "ops/unit_conversion.h"
#include "ops/fill_blanks.h"
#include "ops/preview.h"
#include "ops/clear_data.h"
#include "input/import_command.h"
#include "db/fill_database.h"

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
    {id(ControlId::PlotData), N::Clicked, &D::OnPlotData},
    {id(ControlId::ImportExports), N::Clicked, &D::OnImportExports},
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
    {id(ControlId::SaveToExcel), N::Clicked, &D::OnSaveToExcel},
    {id(ControlId::Decimals), N::SelectionChange, &D::OnDecimalsChanged},
    {id(ControlId::SortRows), N::Clicked, &D::OnSortRowsToggled},
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
void CCorvaneDlg::OnDecimalsChanged() { tsl::OnDecimalsChanged(*this); }
void CCorvaneDlg::OnSortRowsToggled() { tsl::OnSortRowsToggled(*this); }

// --- reading ---

void CCorvaneDlg::OnReadCsvData()
{
    tsl::OnReadCsvData(*this);
}

void CCorvaneDlg::OnReadLabelTemplate()
{
    tsl::OnReadLabelTemplate(*this);
}

void CCorvaneDlg::OnSetOutputTemplate()
{
    tsl::OnSetOutputTemplate(*this);
}

// --- saving ---

void CCorvaneDlg::OnSaveToXml() { tsl::OnSaveToXml(*this); }

void CCorvaneDlg::OnSaveToCsv()
{
    tsl::OnSaveToCsv(*this);
}

void CCorvaneDlg::OnSaveToExcel()
{
    tsl::OnSaveToExcel(*this);
}

// --- operations on the data ---

void CCorvaneDlg::OnConvertUnits()
{
    tsl::OnConvertUnits(*this);
}

void CCorvaneDlg::OnConversionChanged()
{
    tsl::OnConversionChanged(*this);
}

void CCorvaneDlg::OnFillBlanks()
{
    tsl::OnFillBlanks(*this);
}

void CCorvaneDlg::OnPreviewData()
{
    tsl::OnPreviewData(*this);
}

void CCorvaneDlg::OnPlotData()
{
    // The chart is a window of its own: the data can be read on meanwhile.
    if (plotWindow_) {
        plotWindow_->refresh();
    } else {
        plotWindow_ = new CPlotDlg(*this, this);
        plotWindow_->show();
    }
    plotWindow_->raise();
    plotWindow_->activateWindow();
}

void CCorvaneDlg::OnClearCsvData()
{
    tsl::OnClearCsvData(*this);
}

void CCorvaneDlg::OnFillValue()
{
    FillValuesDlg dialog(*this, this);
    dialog.exec();
}

void CCorvaneDlg::OnFillDatabase()
{
#ifdef TSL_HAVE_DATABASE
    tsl::OnFillDatabase(*this);
#else
    notInThisBuild("Fill Database", "database support");
#endif
}

void CCorvaneDlg::OnImportExports()
{
    importFolder_ = tsl::OnImportExports(*this, importFolder_, importReview_).outputFolder;
}

void CCorvaneDlg::importFiles(const std::vector<std::string>& paths)
{
    importFolder_ = tsl::importExports(*this, paths, importFolder_, importReview_).outputFolder;
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
