#include "db/access_database.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <pwd.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace tsl {

namespace {

struct ConnectAttribute {
    std::string text; // as written, "KEY=value"
    std::string key;
    std::string value;
};

std::string upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
        return account->pw_dir;
    return {};
}

// Splits "KEY=value;KEY={value; with semicolons};..." into its attributes.
std::vector<ConnectAttribute> connectAttributes(std::string_view text)
{
    std::vector<ConnectAttribute> attributes;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        bool braced = false;
        while (end < text.size() && (braced || text[end] != ';')) {
            if (text[end] == '{')
                braced = true;
            else if (text[end] == '}')
                braced = false;
            ++end;
        }
        std::string_view item = text.substr(start, end - start);
        if (!item.empty()) {
            std::size_t equals = item.find('=');
            std::string_view key = item.substr(0, equals);
            std::string_view value = equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1);
            attributes.push_back({std::string(item), std::string(key), std::string(value)});
        }
        start = end + 1;
    }
    return attributes;
}

bool hasKey(const std::vector<ConnectAttribute>& attributes, std::string_view key)
{
    return std::any_of(attributes.begin(), attributes.end(),
                       [&](const ConnectAttribute& attribute) { return upper(attribute.key) == key; });
}

} // namespace

std::string metadataDatabasePath()
{
    return homeFolder() + "/wexlo/Database/Wexlo Building Performance Database.accdb";
}

std::string accessConnectString(const std::string& driverName, const std::string& databasePath)
{
    return "ODBC;DRIVER={" + driverName + "};DSN='';DBQ=" + databasePath;
}

std::string driverManagerConnectString(const std::string& connectString)
{
    std::string_view text = connectString;
    if (text.size() >= 5 && upper(text.substr(0, 5)) == "ODBC;")
        text.remove_prefix(5);

    const std::vector<ConnectAttribute> attributes = connectAttributes(text);
    const bool namesDatabase = hasKey(attributes, "DATABASE");
    std::string result;
    bool driverSeen = false;
    auto add = [&result](const std::string& attribute) {
        if (!result.empty())
            result += ';';
        result += attribute;
    };
    for (const ConnectAttribute& attribute : attributes) {
        const std::string key = upper(attribute.key);
        if (key == "DSN" && driverSeen)
            continue;
        driverSeen = driverSeen || key == "DRIVER";
        add(attribute.text);
        if (key == "DBQ" && !namesDatabase)
            add("Database=" + attribute.value);
    }
    return result;
}

} // namespace tsl
