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

}  // namespace tessel::test::excel_tests
