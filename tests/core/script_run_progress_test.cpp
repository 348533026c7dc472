// A run as its watcher sees it: the statements counted before it starts, each one announced as
// "k of N", the failed ones counted, a stop between two statements, and the summary in words.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/db/errors.h"
#include "core/script/script_runner.h"
#include "script_run_fixture.h"

namespace tessel::test {
namespace {

using RunProgress = ScriptRunTest;
using Announced = std::vector<std::pair<std::size_t, std::size_t>>;

TEST(CountStatements, CountsWhatTheSplitterHandsOut) {
    EXPECT_EQ(CountStatements(""), 0u);
    EXPECT_EQ(CountStatements("  // only a comment\r\n  "), 0u);
    EXPECT_EQ(CountStatements("SELECT 1;\r\nSELECT 2;"), 2u);
    // A ";" inside quotes or brackets ends nothing; an empty statement counts.
    EXPECT_EQ(CountStatements("SELECT 'a;b', [c;d] FROM t;;dbclose ;"), 3u);
    // Up to the fault: a last statement without ";" is not run, nor is unclosed quoted text.
    EXPECT_EQ(CountStatements("SELECT 1;SELECT 2"), 1u);
    EXPECT_EQ(CountStatements("SELECT 1;SELECT 'open;"), 1u);
}

TEST(RunSummaryText, SaysHowManyRanFailedAndHowLong) {
    ScriptRun run;
    run.statementsTotal = 12;
    run.statementsRun = 12;
    run.statementsFailed = 1;
    EXPECT_EQ(RunSummaryText(run, 0.43), "12 statements run, 1 failed, 0.4 s");
    run.statementsRun = 3;
    run.statementsFailed = 0;
    EXPECT_EQ(RunSummaryText(run, 61.25), "3 of 12 statements run, 0 failed, 61.2 s");
    run.statementsTotal = 1;
    run.statementsRun = 1;
    EXPECT_EQ(RunSummaryText(run, 0), "1 statement run, 0 failed, 0.0 s");
    run.statementsRun = 0;
    EXPECT_EQ(RunSummaryText(run, 0.05), "0 of 1 statement run, 0 failed, 0.1 s");
}

TEST_F(RunProgress, AnnouncesEachStatementAndCountsTheFailedOnes) {
    const std::string base = dir.File("count");
    Announced announced;
    ScriptRun run;
    run.statementStarting = [&](std::size_t number, std::size_t total) {
        announced.emplace_back(number, total);
    };
    RunScript(session,
              "dbMake " + base +
                  ";\r\nCREATE TABLE T (A LONG);\r\nINSERT INTO Missing VALUES (1);\r\n"
                  "INSERT INTO T VALUES (2);\r\n",
              run);
    EXPECT_EQ(announced, (Announced{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_EQ(run.statementsTotal, 4u);
    EXPECT_EQ(run.statementsRun, 4u);
    EXPECT_EQ(run.statementsFailed, 1u);
    // What the person sees is as before: one box for the failed statement.
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, kDBEngineErrorCaption);
    EXPECT_EQ(Column(base + ".MDB", "SELECT A FROM T"), std::vector<std::string>{"2"});
}

TEST_F(RunProgress, AStopBetweenStatementsSkipsTheRestWithoutABox) {
    const std::string base = dir.File("stop");
    ScriptRun run;
    std::size_t started = 0;
    run.statementStarting = [&](std::size_t number, std::size_t) { started = number; };
    run.keepGoing = [&] { return started < 3; };
    RunScript(session,
              "dbMake " + base +
                  ";\r\nCREATE TABLE T (A LONG);\r\nINSERT INTO T VALUES (1);\r\n"
                  "INSERT INTO T VALUES (2);\r\nINSERT INTO T VALUES (3);\r\n",
              run);
    EXPECT_EQ(run.statementsTotal, 5u);
    EXPECT_EQ(run.statementsRun, 3u);
    EXPECT_EQ(run.statementsFailed, 0u);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(Column(base + ".MDB", "SELECT A FROM T"), std::vector<std::string>{"1"});
    EXPECT_EQ(RunSummaryText(run, 0), "3 of 5 statements run, 0 failed, 0.0 s");
}

TEST_F(RunProgress, AFailedCommandCountsAndStillEndsTheRun) {
    const std::string base = dir.File("command");
    ScriptRun run;
    run.statementStarting = [](std::size_t, std::size_t) {};
    EXPECT_THROW(
        RunScript(session,
                  "dbMake " + base + ";\r\ndbClose;\r\nCREATE TABLE NeverMade (A LONG);\r\n", run),
        db::EngineError);
    EXPECT_EQ(run.statementsTotal, 3u);
    EXPECT_EQ(run.statementsRun, 2u);
    EXPECT_EQ(run.statementsFailed, 1u);
}

TEST_F(RunProgress, WithoutAWatcherNothingIsCountedBeforehand) {
    const std::string base = dir.File("plain");
    ScriptRun run;
    RunScript(session, "dbMake " + base + ";\r\nCREATE TABLE T (A LONG);\r\n", run);
    EXPECT_EQ(run.statementsTotal, 0u);
    EXPECT_EQ(run.statementsRun, 2u);
    EXPECT_EQ(RunSummaryText(run, 0.2), "2 statements run, 0 failed, 0.2 s");
}

}  // namespace
}  // namespace tessel::test
