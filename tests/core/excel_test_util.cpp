#include "excel_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unordered_set>

#include "core/db/drivers/excel/workbook.h"
#include "test_paths.h"

namespace tessel::test::excel_tests {
namespace {

// Prints what xlrd reads, in the layout of ProgramCells; dates as the program's ISO texts.
constexpr const char* kXlrdScript = R"PY(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
for i, sheet in enumerate(book.sheets()):
    print("name|%d|%s" % (i, sheet.name))
for i, sheet in enumerate(book.sheets()):
    for r in range(sheet.nrows):
        for c, cell in enumerate(sheet.row(r)):
            t, v = cell.ctype, cell.value
            if t in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            if t == xlrd.XL_CELL_TEXT:
                out = "text|" + v
            elif t == xlrd.XL_CELL_NUMBER:
                out = "number|" + repr(float(v))
            elif t == xlrd.XL_CELL_DATE:
                y, mo, d, h, mi, s = xlrd.xldate_as_tuple(v, book.datemode)
                if y == 0:
                    out = "date|%02d:%02d:%02d" % (h, mi, s)
                elif h == mi == s == 0:
                    out = "date|%04d-%02d-%02d" % (y, mo, d)
                else:
                    out = "date|%04d-%02d-%02d %02d:%02d:%02d" % (y, mo, d, h, mi, s)
            elif t == xlrd.XL_CELL_BOOLEAN:
                out = "bool|" + ("1" if v else "0")
            else:
                out = "error|"
            print("%d|%d|%d|%s" % (i, r, c, out.replace("\n", "\\n")))
)PY";

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

std::string Data(const std::string& relative) {
    return std::string(TESSEL_TESTDATA_DIR) + "/" + relative;
}

std::vector<std::string> XlrdCells(const std::string& file) {
    // The system's python, where Debian's python3-xlrd lives.
    const std::string command =
        "/usr/bin/python3 -c " + Quoted(kXlrdScript) + " " + Quoted(file) + " 2>&1";
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "python3 cannot be started";
        return {};
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    EXPECT_EQ(::pclose(pipe), 0) << "python3-xlrd could not read " << file << ":\n" << text;
    return LinesOf(text);
}

std::vector<std::string> ProgramCells(const std::string& file) {
    const auto book = db::excel::ReadWorkbook(file);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < book.sheets.size(); ++i)
        lines.push_back("name|" + std::to_string(i) + "|" + book.sheets[i].name);
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        const auto& rows = book.sheets[i].rows;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t c = 0; c < rows[r].size(); ++c) {
                const auto& cell = rows[r][c];
                std::string out;
                if (cell.value.index() == 0) {
                    continue;
                } else if (cell.date) {
                    out = "date|" + std::get<std::string>(cell.value);
                } else if (const auto* text = std::get_if<std::string>(&cell.value)) {
                    out = "text|" + *text;
                } else if (const auto* number = std::get_if<double>(&cell.value)) {
                    char repr[40];
                    std::snprintf(repr, sizeof repr, "%.17g", *number);
                    out = "number|" + std::string(repr);
                } else if (const auto* flag = std::get_if<bool>(&cell.value)) {
                    out = std::string("bool|") + (*flag ? "1" : "0");
                }
                // One line a cell: line breaks inside a text are written as \n.
                std::string escaped;
                for (char ch : out)
                    escaped += ch == '\n' ? std::string("\\n") : std::string(1, ch);
                lines.push_back(std::to_string(i) + "|" + std::to_string(r) + "|" +
                                std::to_string(c) + "|" + escaped);
            }
        }
    }
    return lines;
}

std::vector<std::string> Comparable(std::vector<std::string> lines, bool names) {
    std::vector<std::string> out;
    for (auto& line : lines) {
        if (line.starts_with("name|")) {
            if (names)
                out.push_back(line);
            continue;
        }
        if (line.find("|error|") != std::string::npos)
            continue;
        if (const auto at = line.find("|number|"); at != std::string::npos) {
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", std::strtod(line.c_str() + at + 8, nullptr));
            line = line.substr(0, at + 8) + text;
        }
        out.push_back(line);
    }
    return out;
}

std::string Difference(const std::vector<std::string>& program,
                       const std::vector<std::string>& xlrd) {
    const std::unordered_set<std::string> programLines(program.begin(), program.end());
    const std::unordered_set<std::string> xlrdLines(xlrd.begin(), xlrd.end());
    std::string out;
    for (const auto& line : program) {
        if (!xlrdLines.contains(line))
            out += "program only: " + line + "\n";
    }
    for (const auto& line : xlrd) {
        if (!programLines.contains(line))
            out += "xlrd only: " + line + "\n";
    }
    if (out.empty() && program != xlrd)
        out = "the same lines in another order";
    return out;
}

}  // namespace tessel::test::excel_tests
