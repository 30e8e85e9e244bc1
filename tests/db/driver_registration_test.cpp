#include "db/access_database.h"
#include "db/driver_registration.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace tsl;
using namespace tsl::testing;

TEST(DriverList, FindsTheDriversSectionWhateverItsCaseAndSpacing)
{
    TempDir folder;
    const std::string ini = folder.file("odbcinst.ini");
    writeFile(ini, "# [MICROSOFT ACCESS DRIVER (*.accdb)] in a comment\n"
                   "[MDBTools]\nDescription = MICROSOFT ACCESS DRIVER (*.accdb)\n"
                   "  [ Microsoft Access Driver (*.ACCDB) ]  \r\nDriver = /x.so\n");
    EXPECT_TRUE(iniRegistersDriver(ini, accessDriverName));
    EXPECT_TRUE(iniRegistersDriver(ini, "mdbtools"));
    EXPECT_FALSE(iniRegistersDriver(ini, "MICROSOFT ACCESS DRIVER (*.mdb)"));
    EXPECT_FALSE(iniRegistersDriver(ini, "Description"));
    EXPECT_FALSE(iniRegistersDriver(folder.file("absent.ini"), accessDriverName));
}

TEST(AccessConnection, ComposesTheFixedFormatAndHandsTheDriverManagerItsPart)
{
    const std::string path = "/home/e/wexlo/Database/Wexlo Building Performance Database.accdb";
    const std::string composed = accessConnectString(accessDriverName, path);
    EXPECT_EQ(composed, "ODBC;DRIVER={MICROSOFT ACCESS DRIVER (*.accdb)};DSN='';DBQ=" + path);
    EXPECT_EQ(driverManagerConnectString(composed),
              "DRIVER={MICROSOFT ACCESS DRIVER (*.accdb)};DBQ=" + path + ";Database=" + path);

    // A data source named before the driver stays in charge; braces keep a ';'.
    EXPECT_EQ(driverManagerConnectString("odbc;DSN=Plant;DRIVER={A;B};DBQ=x;DATABASE=y"),
              "DSN=Plant;DRIVER={A;B};DBQ=x;DATABASE=y");
    EXPECT_EQ(driverManagerConnectString("DRIVER={X};;NoCreat"), "DRIVER={X};NoCreat");
}
