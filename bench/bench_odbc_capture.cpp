// Capturing a SELECT from an ODBC data source, against the server's own client, on the same
// machine in one run.
//
//   bench_odbc_capture [--cli PATH] [--dir DIR] [--rows N] [--repeat N]
//
// Starts a PostgreSQL server of its own (initdb and pg_ctl on a free loopback port, as the
// tests do) and fills a table of N rows (1,000,000) x 5 columns with psql. A data source
// "Bench" for it, with the keys that the program's own registration writes, goes into a driver
// manager configuration under DIR (ODBCSYSINI, ODBCINI, HOME), never the user's own. Then:
//
//   tessel-cli run --no-rows --keep-recordsets on "dbConnect ODBC;dbOpen Bench;SELECT ...;",
//   which captures the rows into its recordset file (read back: it must hold every row),
//   against psql -c "\copy (SELECT ...) to /dev/null".
//
// Prints the time ratio (target <= 1.5) and the peak memory of tessel-cli for N rows and for
// N/10 rows: a capture streams its rows into the file, so the peak must stay flat (target: the
// larger run within 1.25 times the smaller one plus 8 MB). The best of --repeat rounds counts.
//
// Beside them, the driver alone: the same SELECT through the same data source, fetched a block
// at a time with the options the program uses and every row dropped. It shows how much of a
// capture's time is the driver's own, which no capture through it can go below.
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/db/drivers/odbc/odbc_registration.h"
#include "core/odbc_environment.h"
#include "core/script/recordset_file.h"
#include "support/postgres_server.h"

namespace {

using namespace tessel::bench;
using tessel::test::PostgresServer;

struct Settings : CommonSettings {
    long rows = 1000000;
};

constexpr double kRatioTarget = 1.5;

struct Server {
    PostgresServer server;
    std::string psql;

    Launch Psql(const std::string& database, const std::string& command) const {
        return Launch({psql, "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", "127.0.0.1", "-p",
                       std::to_string(server.port), "-U", PostgresServer::UserName(), "-d",
                       database, "-c", command});
    }
};

// The table "big<rows>" of `rows` rows in the database "bench".
std::string FillTable(const Server& pg, long rows) {
    const std::string table = "big" + std::to_string(rows);
    RunProgram(pg.Psql("bench", "CREATE TABLE " + table +
                                    " (id integer, name varchar(50), price double precision, qty "
                                    "integer, note varchar(100)); INSERT INTO " +
                                    table +
                                    " SELECT g, 'item ' || g, g * 0.5, g % 1000, 'a note for "
                                    "item ' || g FROM generate_series(1, " +
                                    std::to_string(rows) + ") g; ANALYZE " + table));
    return table;
}

// The driver manager's files for the data source "Bench"; the variables that name them.
std::vector<std::string> OdbcConfiguration(const fs::path& dir, const Server& pg) {
    const std::string driver = tessel::test::OdbcEnvironment::DriverLibrary("psqlodbcw.so");
    if (driver.empty())
        throw std::runtime_error(
            "the PostgreSQL ODBC driver is not installed: apt-get install "
            "odbc-postgresql");
    fs::create_directories(dir / "home");
    WriteText(dir / "odbcinst.ini", "[PostgreSQL Unicode]\nDriver=" + driver + "\n");
    // The keys the program itself writes when it registers a data source for this driver.
    const std::string attributes = std::string("Server=127.0.0.1:") +
                                   std::to_string(pg.server.port) + '\0' + "Description=" + '\0' +
                                   "Database=bench" + '\0';
    std::string ini = "[Bench]\nDriver=PostgreSQL Unicode\n";
    for (const auto& [key, value] : tessel::db::odbc::DataSourceKeys(driver, attributes))
        ini += key + "=" + value + "\n";
    WriteText(dir / "odbc.ini", ini);
    return {"ODBCSYSINI=" + dir.string(), "ODBCINI=" + (dir / "odbc.ini").string(),
            "HOME=" + (dir / "home").string()};
}

struct Result {
    Measure tessel;
    Measure reference;
    double recordsetMegabytes = 0;
    double driverAloneSeconds = 0;
};

// The driver on its own: the SELECT fetched as the capture fetches it (through a cursor, 4096
// rows a round trip, a block of rows into bound buffers) and every row dropped. Nothing is
// converted or stored by the program, so this is the least a capture through this driver can
// take, to set the capture's time against.
double DriverAloneSeconds(const std::vector<std::string>& odbc, const std::string& select,
                          long rows) {
    for (const std::string& variable : odbc) {
        const std::size_t equals = variable.find('=');
        setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
    }
    const auto start = Clock::now();
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    // The options the program adds for this driver (a cursor, 4096 rows a round trip).
    std::string connect = "DSN=Bench;UseDeclareFetch=1;Fetch=4096";
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connect.data()),
                                        SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
        throw std::runtime_error("the driver alone: cannot connect to Bench");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    constexpr SQLULEN kBlock = 512;
    std::vector<SQLBIGINT> id(kBlock), qty(kBlock);
    std::vector<double> price(kBlock);
    std::vector<char> name(kBlock * 201), note(kBlock * 401);
    std::vector<SQLLEN> lengths(kBlock * 5);
    SQLULEN fetched = 0;
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kBlock), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    std::string sql = select;
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)))
        throw std::runtime_error("the driver alone: the SELECT failed");
    SQLBindCol(stmt, 1, SQL_C_SBIGINT, id.data(), 0, &lengths[0]);
    SQLBindCol(stmt, 2, SQL_C_CHAR, name.data(), 201, &lengths[kBlock]);
    SQLBindCol(stmt, 3, SQL_C_DOUBLE, price.data(), 0, &lengths[2 * kBlock]);
    SQLBindCol(stmt, 4, SQL_C_SBIGINT, qty.data(), 0, &lengths[3 * kBlock]);
    SQLBindCol(stmt, 5, SQL_C_CHAR, note.data(), 401, &lengths[4 * kBlock]);
    long seen = 0;
    while (SQL_SUCCEEDED(SQLFetch(stmt)))
        seen += static_cast<long>(fetched);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    if (seen != rows)
        throw std::runtime_error("the driver alone fetched " + std::to_string(seen) + " rows");
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Result Capture(const Settings& settings, const Server& pg, const std::vector<std::string>& odbc,
               const std::string& table, long rows) {
    const fs::path dir = settings.dir / ("capture" + std::to_string(rows));
    const fs::path home = dir / "home";
    fs::create_directories(dir);
    const std::string select = "SELECT id, name, price, qty, note FROM " + table;
    WriteText(dir / "select.sqv", "dbConnect ODBC;\r\ndbOpen Bench;\r\n" + select + ";\r\n");
    const fs::path recordset = home / "recordset1.rst";
    Launch cli = CliLaunch(
        settings, {"run", "--no-rows", "--keep-recordsets", (dir / "select.sqv").string()}, home);
    for (const auto& variable : odbc)
        cli.With(variable);
    const auto [tessel, reference] = BestOfRounds(
        settings.repeat, {[&] { fs::remove(recordset); }, [&] { return RunProgram(cli); }},
        {[] {},
         [&] { return RunProgram(pg.Psql("bench", "\\copy (" + select + ") to /dev/null")); }});
    const auto file = tessel::RecordsetFile::Open(recordset.string());
    if (file->RowCount() != rows || file->Columns().size() != 5)
        throw std::runtime_error("the recordset file does not hold every row");
    double driverAlone = 1e9;
    for (int round = 0; round < std::max(1, settings.repeat); ++round)
        driverAlone = std::min(driverAlone, DriverAloneSeconds(odbc, select, rows));
    return {tessel, reference, fs::file_size(recordset) / 1048576.0, driverAlone};
}

void Print(long rows, const Result& result) {
    std::printf("capture: SELECT of %ld rows x 5 columns from PostgreSQL\n", rows);
    std::printf("  tessel-cli run   %8.2f s   peak %6.1f MB   recordset file %6.1f MB\n",
                result.tessel.seconds, result.tessel.peakKilobytes / 1024.0,
                result.recordsetMegabytes);
    std::printf("  psql \\copy       %8.2f s   peak %6.1f MB\n", result.reference.seconds,
                result.reference.peakKilobytes / 1024.0);
    std::printf("  driver alone     %8.2f s   (the same fetches, rows dropped)\n",
                result.driverAloneSeconds);
    std::printf("  ratio            %8.2f   (target <= %.1f)\n",
                result.tessel.seconds / result.reference.seconds, kRatioTarget);
    std::printf("  driver alone / psql %5.2f; capture / driver alone %.2f\n",
                result.driverAloneSeconds / result.reference.seconds,
                result.tessel.seconds / result.driverAloneSeconds);
}

Settings ParseSettings(int argc, char** argv) {
    Settings settings;
    ParseOptions(argc, argv, "bench-odbc-capture", "  --rows N            rows of the SELECT\n",
                 settings,
                 {{"--rows", [&](const std::string& value) { settings.rows = std::stol(value); }}});
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    return GuardedMain("bench_odbc_capture", [&] {
        const Settings settings = ParseSettings(argc, argv);
        PrintHeader(settings);
        Server pg;
        if (!pg.server.running)
            throw std::runtime_error(pg.server.problem);
        pg.psql = PostgresServer::Binaries() + "/psql";
        RunProgram(pg.Psql("postgres", "CREATE DATABASE bench"));
        const auto odbc = OdbcConfiguration(settings.dir / "odbc", pg);
        const long small = std::max(1L, settings.rows / 10);
        const Result few = Capture(settings, pg, odbc, FillTable(pg, small), small);
        Print(small, few);
        std::printf("\n");
        const Result many =
            Capture(settings, pg, odbc, FillTable(pg, settings.rows), settings.rows);
        Print(settings.rows, many);
        const double ratio = many.tessel.seconds / many.reference.seconds;
        const double fewPeak = few.tessel.peakKilobytes / 1024.0;
        const double manyPeak = many.tessel.peakKilobytes / 1024.0;
        const bool flat = manyPeak <= fewPeak * 1.25 + 8;
        std::printf(
            "\nsummary: capture ratio %.2f (<= %.1f %s), peak memory %.1f MB for %ld rows, "
            "%.1f MB for %ld rows (flat %s)\n",
            ratio, kRatioTarget, Verdict(ratio <= kRatioTarget).c_str(), fewPeak, small, manyPeak,
            settings.rows, Verdict(flat).c_str());
        RemoveWork(settings.dir, {"odbc", "capture" + std::to_string(small),
                                  "capture" + std::to_string(settings.rows)});
        return 0;
    });
}
