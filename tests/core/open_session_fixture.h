// A session over a scripted person and a temporary directory, for the tests of opening,
// creating and choosing databases.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/session/session.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tessel::test::opening {

// Sets (or removes) an environment variable for the life of the guard.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name))
            previous_ = old;
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (previous_) {
            setenv(name_, previous_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> previous_;
};

// All seven ODBC connection parts, in the order of the record.
inline void ExpectOdbcParts(const OdbcParts& actual, const OdbcParts& expected) {
    EXPECT_EQ(actual.dataSourceName, expected.dataSourceName);
    EXPECT_EQ(actual.database, expected.database);
    EXPECT_EQ(actual.user, expected.user);
    EXPECT_EQ(actual.password, expected.password);
    EXPECT_EQ(actual.driver, expected.driver);
    EXPECT_EQ(actual.server, expected.server);
    EXPECT_EQ(actual.description, expected.description);
}

class OpenSessionTest : public ::testing::Test {
  protected:
    OpenSessionTest() {
        session.state.engineObjects.jetWorkspace =
            session.engine.CreateWorkspace("tessel", "admin", "");
    }

    // A new single-file database made by the engine, in the given file format.
    std::string MakeDatabase(const std::string& name, int format = 32) {
        const std::string path = dir.File(name);
        session.engine.CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", format);
        return path;
    }

    // The texts of the boxes shown so far, for failure messages.
    std::string Boxes() const { return ui.BoxLog(); }

    ScriptedUi ui;
    Session session{ui};
    TempDir dir;
};

}  // namespace tessel::test::opening
