#include "ops/unit_conversion.h"

#include "output/sample_data.h"
#include "support/scripted_context.h"

#include <gtest/gtest.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

enum Conversion { FToK, CfmToKgs, FToC, CfmToLs, KToC, KgsToLs, PercentToFraction };

TEST(ConvertCellText, AppliesEachConversionInSinglePrecision)
{
    EXPECT_EQ(convertCellText(FToK, "70.00"), "294.4140");
    EXPECT_EQ(convertCellText(FToK, "294.4140"), "419.0984");
    EXPECT_EQ(convertCellText(CfmToKgs, "1000.00"), " 0.5675");
    EXPECT_EQ(convertCellText(FToC, "212.00"), "100.0080");
    EXPECT_EQ(convertCellText(CfmToLs, "250.00"), "118.0000");
    EXPECT_EQ(convertCellText(KToC, "300.00"), "26.7000");
    EXPECT_EQ(convertCellText(KgsToLs, "1.50"), "1249.9950");
    EXPECT_EQ(convertCellText(PercentToFraction, "50.00"), " 0.5000");
    EXPECT_EQ(convertCellText(PercentToFraction, "-5.00"), "-0.0500");
    // Any other choice rewrites the value unchanged, after single precision.
    EXPECT_EQ(convertCellText(7, "12345678.90"), "12345679.0000");
    EXPECT_EQ(convertCellText(-1, "1.5"), " 1.5000");
}

TEST(ConvertCellText, ReadsTheLeadingNumberAsTheCLibraryDoes)
{
    EXPECT_EQ(convertCellText(FToK, "n/a"), "255.5220");
    EXPECT_EQ(convertCellText(FToK, ""), "255.5220");
    EXPECT_EQ(convertCellText(PercentToFraction, "  1.2340"), " 0.0123");
    EXPECT_EQ(convertCellText(PercentToFraction, "25 %"), " 0.2500");
    EXPECT_EQ(convertCellText(PercentToFraction, "0x10"), " 0.1600");
    EXPECT_EQ(convertCellText(PercentToFraction, "1e3"), "10.0000");
    EXPECT_EQ(convertCellText(PercentToFraction, "inf"), "    inf");
    EXPECT_EQ(convertCellText(PercentToFraction, "-nan"), "   -nan");
}

TEST(ConvertCellText, ValuesBeyondSinglePrecisionBecomeInfinite)
{
    EXPECT_EQ(convertCellText(KgsToLs, "3e38"), "    inf");
    EXPECT_EQ(convertCellText(7, "-1e39"), "   -inf");
    // The largest finite result is written whole.
    EXPECT_EQ(convertCellText(7, "3.4028234e38"), "340282346638528859811704183484516925440.0000");
}

class ConvertUnitsTest : public ::testing::Test {
protected:
    ConvertUnitsTest() : data(context.tree(), {"AHU1_TEMP_SUPPLY", "temp", "FAN_TEMP", "FLOW"}) {}

    ScriptedContext context;
    SampleData data;
};

TEST_F(ConvertUnitsTest, ConvertsChosenColumnsAndAnnouncesThoseFilledInTheFirstLine)
{
    data.addRow(2019, 1, 15, 13, 0, 0, {"70.00", "70.00", "", "70.00"});
    data.addRow(2019, 1, 15, 13, 1, 0, {"", "70.00", "32.00", "70.00"});
    data.addRow(2019, 1, 16, 0, 0, 0, {"212.00", "1", "50.00", "2"});
    context.editSettings().conversion = FToC;

    OnConvertUnits(context);

    EXPECT_EQ(context.newLines(), (std::vector<std::string>{
                                      "Conversion selected: F -> C",
                                      " -> Converting data with label 'AHU1_TEMP_SUPPLY'",
                                      "Conversion completed.  Converted data in 1 columns."}));
    EXPECT_EQ(context.log().selected(), context.log().size() - 1);
    EXPECT_EQ(data.column("AHU1_TEMP_SUPPLY"), (std::vector<std::string>{"21.1128", "", "100.0080"}));
    EXPECT_EQ(data.column("FAN_TEMP"), (std::vector<std::string>{"", " 0.0000", "10.0008"}));
    EXPECT_EQ(data.column("temp"), (std::vector<std::string>{"70.00", "70.00", "1"}));
    EXPECT_EQ(data.column("FLOW"), (std::vector<std::string>{"70.00", "70.00", "2"}));
}

TEST_F(ConvertUnitsTest, EveryMatchingColumnIsAnnouncedOnce)
{
    data.addRow(2019, 1, 15, 13, 0, 0, {"70.00", "1", "70.00", "1"});
    data.addRow(2019, 1, 15, 13, 1, 0, {"70.00", "1", "70.00", "1"});
    context.editSettings().conversionColumn = "_TEMP";
    OnConvertUnits(context);
    OnConvertUnits(context);
    const auto lines = context.newLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], " -> Converting data with label 'AHU1_TEMP_SUPPLY'");
    EXPECT_EQ(lines[2], " -> Converting data with label 'FAN_TEMP'");
    EXPECT_EQ(lines[3], "Conversion completed.  Converted data in 2 columns.");
    // Pressed twice, converted twice.
    EXPECT_EQ(data.column("FAN_TEMP"), (std::vector<std::string>{"419.0984", "419.0984"}));
}

TEST_F(ConvertUnitsTest, TheColumnTextIsReadWithRoomForEighteenCharacters)
{
    data.addRow(2019, 1, 15, 13, 0, 0, {"70.00", "70.00", "70.00", "70.00"});
    context.editSettings().conversionColumn = "AHU1_TEMP_SUPPLYXYZ";
    OnConvertUnits(context);
    EXPECT_EQ(data.column("AHU1_TEMP_SUPPLY"), std::vector<std::string>{"70.00"});
    context.editSettings().conversionColumn = "AHU1_TEMP_SUPPL\xC3\xA9XYZ";
    OnConvertUnits(context);
    EXPECT_EQ(context.newLines().back(), "Conversion completed.  Converted data in 0 columns.");
}

TEST_F(ConvertUnitsTest, StopsWithoutAMaskOrWithoutData)
{
    context.editSettings().conversionColumn = "";
    context.editSettings().conversion = PercentToFraction;
    OnConvertUnits(context);
    context.editSettings().conversionColumn = "TEMP";
    OnConvertUnits(context);
    EXPECT_EQ(context.newLines(),
              (std::vector<std::string>{
                  "Conversion selected: Percent -> Fraction",
                  "ERROR- no label mask.  Please enter a label mask.  No conversion was performed.",
                  "Conversion selected: Percent -> Fraction",
                  "ERROR- no data entered yet.  No conversion was performed."}));
    EXPECT_FALSE(context.log().selected().has_value());
}

TEST_F(ConvertUnitsTest, DataWithoutYearsCompletesWithNoColumns)
{
    context.tree().addChild(context.tree().root(), "data");
    context.editSettings().conversion = 9;
    OnConvertUnits(context);
    EXPECT_EQ(context.newLines(), (std::vector<std::string>{
                                      "Conversion selected: ",
                                      "Conversion completed.  Converted data in 0 columns."}));
}

TEST_F(ConvertUnitsTest, OnlyTheFirstDataIsConverted)
{
    data.addRow(2019, 1, 15, 13, 0, 0, {"70.00", "", "", ""});
    DataTree& tree = context.tree();
    DataNode* other = tree.copySubtree(tree.root(), data.dataNode());
    OnConvertUnits(context);
    DataNode* copied = tree.findNodeByAttribute(other, "label", "value", "AHU1_TEMP_SUPPLY");
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), "");
    EXPECT_EQ(data.column("AHU1_TEMP_SUPPLY"), std::vector<std::string>{"294.4140"});
}

} // namespace
