// Scripts against ODBC data sources: a script session whose driver manager reads the test's own
// configuration (odbc_environment.h), and a registration dialog answered with a data source
// name and, where given, a database and a server.
#pragma once

#include <string>

#include "odbc_environment.h"
#include "script_run_fixture.h"

namespace tessel::test {

class OdbcScriptTest : public ScriptRunTest {
  protected:
    // dbMake under ODBC makes the file's directory the working directory.
    void TearDown() override { std::filesystem::current_path(startDirectory_); }

    // The data sources that the driver manager's own tool lists, one "[NAME]" a line.
    std::string ListedDataSources() const {
        const std::string listed = odbc.Run("odbcinst -q -s 2>/dev/null");
        return listed.find('[') == std::string::npos ? "" : listed;
    }

    void SetUp() override {
        if (!odbc.Missing().empty())
            GTEST_SKIP() << "the ODBC drivers are not installed: apt-get install" << odbc.Missing();
        odbc.ForgetDataSources();
    }

    // The next registration dialog gets `name` as data source name and `driver` as driver (the
    // selected entry when empty); a `database` or `server` that is not nullptr replaces the field.
    void AnswerRegistration(const std::string& name, const std::string& driver = "",
                            const char* database = nullptr, const char* server = nullptr) {
        ui.odbcAnswers.push_back([=](const OdbcRegistrationForm& shown) {
            OdbcRegistrationForm form = shown;
            form.dataSourceName = name;
            if (!driver.empty())
                form.driver = driver;
            if (database)
                form.database = database;
            if (server)
                form.server = server;
            return std::optional<OdbcRegistrationForm>(form);
        });
    }

    // "shop.sqlite" with the table Parts(Id, Name) holding bolt (1) and nut (2).
    std::string PartsFile() {
        return AccessFile(
            "shop.sqlite",
            "CREATE TABLE Parts (Id LONG, Name TEXT(20));"
            "INSERT INTO Parts VALUES (1, 'bolt');INSERT INTO Parts VALUES (2, 'nut')");
    }

    // A new Access-type database file holding `statements`, made through the engine.
    std::string AccessFile(const std::string& name, const std::string& statements) {
        const std::string path = dir.File(name);
        session.engine.CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", 32);
        auto connection = session.engine.OpenConnection(
            "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + path + ";");
        std::size_t start = 0;
        while (start < statements.size()) {
            auto end = statements.find(';', start);
            if (end == std::string::npos)
                end = statements.size();
            if (end > start)
                connection->Execute(statements.substr(start, end - start));
            start = end + 1;
        }
        return path;
    }

    const OdbcEnvironment& odbc = OdbcEnvironment::Get();

  private:
    std::filesystem::path startDirectory_ = std::filesystem::current_path();
};

}  // namespace tessel::test
