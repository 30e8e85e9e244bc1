#include "ops/unit_conversion.h"
#include "ops/read_data.h"

using namespace tsl;
using namespace tsl::testing;

namespace {

enum Conversion { FToK, CfmToKgs, FToC, CfmToLs, KToC, KgsToLs, PercentToFraction };

} // namespace

// Each conversion in single precision, written "%7.4f", from the leading
// number of the cell as the C library reads it.
TEST(ConvertCellText, ConversionsAndReadings)
{
    struct Case { int conversion; const char* cell; const char* converted; };
    const Case cases[] = {
        {FToK, "70.00", "294.4140"}, {CfmToKgs, "1000.00", " 0.5675"}, {FToC, "212.00", "100.0080"},
        {CfmToLs, "250.00", "118.0000"}, {KToC, "300.00", "26.7000"}, {KgsToLs, "1.50", "1249.9950"},
        {PercentToFraction, "-5.00", "-0.0500"}, {-1, "1.5", " 1.5000"}, // any other choice: the value itself
        {FToK, "n/a", "255.5220"}, {PercentToFraction, "25 %", " 0.2500"}, {PercentToFraction, "0x10", " 0.1600"},
        {PercentToFraction, "-nan", "   -nan"}, {KgsToLs, "3e38", "    inf"},
        {7, "3.4028234e38", "340282346638528859811704183484516925440.0000"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(convertCellText(k.conversion, k.cell), k.converted) << k.conversion << " " << k.cell;
}

TEST_F(ReadData, ConvertUnitsRewritesTheChosenColumns)
{
    readAhu();
    OnConvertUnits(c);
    EXPECT_EQ(logSinceRead(), (Lines{"Conversion selected: F -> K", " -> Converting data with label 'AHU_TEMP'",
                                     "Conversion completed.  Converted data in 1 columns."}));
    EXPECT_EQ(column("AHU_TEMP"), (Lines{"294.4140", "", "295.2474", "295.5252"}));
    EXPECT_EQ(column("FLOW"), (Lines{"500.00", "510.00", "", " 5.00"}));

    c.editSettings().conversion = CfmToKgs;
    OnConversionChanged(c);
    OnConvertUnits(c);
    // 500 x 0.0005675 is 0.28375, which single precision holds as 0.2837499...
    EXPECT_EQ(column("FLOW"), (Lines{" 0.2837", " 0.2894", "", " 0.0028"}));
}

TEST_F(ReadData, EveryColumnContainingTheMaskIsConvertedAndThoseFilledInTheFirstLineAnnounced)
{
    readLines("AHU1_TEMP_SUPPLY,temp,FAN_TEMP,FLOW",
              {"01/15/2019,13:00:00,70,70,,70", "01/15/2019,13:01:00,,70,32,70"});
    c.editSettings().conversion = FToC;
    c.editSettings().conversionColumn = "_TEMP";
    OnConvertUnits(c);
    OnConvertUnits(c); // pressed twice, converted twice
    const Lines once = {"Conversion selected: F -> C", " -> Converting data with label 'AHU1_TEMP_SUPPLY'",
                        "Conversion completed.  Converted data in 1 columns."};
    Lines twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(logSinceRead(), twice);
    EXPECT_EQ(column("AHU1_TEMP_SUPPLY"), (Lines{"-6.0489", ""}));
    EXPECT_EQ(column("FAN_TEMP"), (Lines{"", "-17.7792"}));
    EXPECT_EQ(column("temp"), (Lines{"70.00", "70.00"}));
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
    // The column text is read with room for eighteen characters.
    c.editSettings().conversionColumn = "AHU1_TEMP_SUPPL\xC3\xA9XYZ";
    OnConvertUnits(c);
    EXPECT_EQ(logSinceRead().back(), "Conversion completed.  Converted data in 0 columns.");

    c.editSettings().conversionColumn = "";
    OnConvertUnits(c);
    EXPECT_EQ(c.newLines().back(), "ERROR- no label mask.  Please enter a label mask.  No conversion was performed.");
    ScriptedContext empty;
    empty.editSettings().conversion = PercentToFraction;
    OnConvertUnits(empty);
    EXPECT_EQ(empty.newLines(), (Lines{"Conversion selected: Percent -> Fraction",
                                       "ERROR- no data entered yet.  No conversion was performed."}));
    EXPECT_FALSE(empty.log().selected().has_value());
}
