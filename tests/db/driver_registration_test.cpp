#include "db/access_database.h"
#include "db/driver_registration.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

using namespace tsl;
using namespace tsl::testing;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

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

TEST(DriverList, FollowsTheVariablesUnixOdbcReads)
{
    ScopedVariable home("HOME", "/home/engineer");
    {
        ScopedVariable sysIni("ODBCSYSINI", nullptr);
        ScopedVariable instIni("ODBCINSTINI", nullptr);
        EXPECT_EQ(driverListsInEffect(),
                  (std::vector<std::string>{"/home/engineer/.odbcinst.ini", "/etc/odbcinst.ini"}));
    }
    ScopedVariable sysIni("ODBCSYSINI", "/opt/odbc");
    ScopedVariable instIni("ODBCINSTINI", "drivers.ini");
    EXPECT_EQ(driverListsInEffect().back(), "/opt/odbc/drivers.ini");
}

TEST(DriverList, ShippedListRegistersTheAccessNameForMdbtools)
{
    std::optional<std::string> folder = shippedDriverFolder(accessDriverName);
    ASSERT_TRUE(folder);
    std::ifstream in(*folder + "/odbcinst.ini");
    std::string line;
    std::string driver;
    while (std::getline(in, line))
        if (line.rfind("Driver", 0) == 0)
            driver = line.substr(line.find('=') + 1);
    driver.erase(0, driver.find_first_not_of(' '));
    // unixODBC needs an absolute path here.
    EXPECT_EQ(std::filesystem::path(driver).filename(), "libmdbodbc.so");
    EXPECT_TRUE(std::filesystem::path(driver).is_absolute());
    EXPECT_FALSE(shippedDriverFolder("No Such Driver"));
}

TEST(DriverList, ShippedListIsUsedOnlyWhenTheEnvironmentLacksTheName)
{
    TempDir home;
    TempDir system;
    ScopedVariable homeVariable("HOME", home.path().c_str());
    ScopedVariable sysIni("ODBCSYSINI", system.path().c_str());
    ScopedVariable instIni("ODBCINSTINI", "mine.ini");
    writeFile(system.file("mine.ini"), "[MICROSOFT ACCESS DRIVER (*.accdb)]\nDriver = /mine.so\n");

    EXPECT_FALSE(useShippedDriversUnlessRegistered(accessDriverName));
    EXPECT_EQ(std::getenv("ODBCSYSINI"), system.path());

    writeFile(system.file("mine.ini"), "[Something Else]\n");
    EXPECT_TRUE(useShippedDriversUnlessRegistered(accessDriverName));
    EXPECT_EQ(std::getenv("ODBCSYSINI"), shippedDriverFolder(accessDriverName));
    EXPECT_EQ(std::getenv("ODBCINSTINI"), nullptr);
    // Once pointed there, the name is registered and nothing changes again.
    EXPECT_FALSE(useShippedDriversUnlessRegistered(accessDriverName));
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

TEST(AccessConnection, DatabaseLivesInTheUsersHomeFolder)
{
    {
        ScopedVariable home("HOME", "/home/engineer");
        EXPECT_EQ(metadataDatabasePath(), "/home/engineer/wexlo/Database/Wexlo Building Performance Database.accdb");
    }
    ScopedVariable home("HOME", nullptr);
    const std::string path = metadataDatabasePath();
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("/wexlo/Database/Wexlo Building Performance Database.accdb"), std::string::npos);
}

} // namespace
