// Helpers of the workbook tests: the test files and python3-xlrd's reading of them.
#pragma once

#include <string>
#include <vector>

namespace tessel::test::excel_tests {

std::string Data(const std::string& relative);

// One non-empty cell as python3-xlrd reads it: "sheet|row|column|kind|value", kind one of
// text, number (repr of the float), date (ISO text as the program writes it), bool, error.
// The first lines are "name|index|sheet name" for every sheet. Fails the test when python3 or
// its xlrd module is missing.
std::vector<std::string> XlrdCells(const std::string& file);

// The same lines as the program reads the workbook.
std::vector<std::string> ProgramCells(const std::string& file);

// The lines to compare: numbers by value (xlrd prints 112.0 where the program has 112), error
// cells left out (the program reads them as Null), the sheet names only when `names`.
std::vector<std::string> Comparable(std::vector<std::string> lines, bool names);

// The lines that only one side has, each marked with the side; "" when both are the same.
std::string Difference(const std::vector<std::string>& program,
                       const std::vector<std::string>& xlrd);

}  // namespace tessel::test::excel_tests
