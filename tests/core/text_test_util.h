// Helpers of the text driver's tests: a temporary directory of text files reached through the
// engine as the statement runner reaches it, a fresh connection for each statement.
#pragma once

#include <memory>
#include <string>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::text_tests {

using platform_tests::ErrorNumber;
using platform_tests::Rows;

class TextDirectory {
  public:
    std::string Path() const { return dir_.Path().string(); }
    std::string File(const std::string& name) const { return dir_.File(name); }
    void Write(const std::string& name, const std::string& bytes) const {
        WriteBytes(File(name), bytes);
    }
    std::string Read(const std::string& name) const { return ReadBytes(File(name)); }

    std::string ConnectionText() const {
        return "Provider=MSDASQL.1;Extended Properties=DSN=Text Files;DBQ=" + Path() + ";";
    }
    std::unique_ptr<db::StatementConnection> Connect() {
        return engine_.OpenConnection(ConnectionText());
    }
    void Run(const std::string& statement) { Connect()->Execute(statement); }
    Rows Q(const std::string& statement) {
        return platform_tests::ReadRows(*Connect()->Execute(statement));
    }
    // The number of the error that running `statement` gives, 0 for none; its sentence.
    long Fails(const std::string& statement, std::string* description = nullptr) {
        return ErrorNumber([&] { Q(statement); }, description);
    }
    std::unique_ptr<db::Database> Open() {
        return engine_.OpenDatabase(Path(), false, false, "Text;");
    }
    db::Engine& Engine() { return engine_; }

  private:
    TempDir dir_;
    db::Engine engine_;
};

}  // namespace tessel::test::text_tests
