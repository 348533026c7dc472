// What the classic engine's functions share: reading SQLite values as texts, characters and
// numbers, writing results, and failing with the classic error texts that error_map.cpp turns
// into numbers.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace tessel::db::sqlite {

// The classic engine's True, as its functions give it (-1).
inline constexpr int kJetTrue = -1;

// The classic run-time errors, as the first words of a function's error text.
inline constexpr const char* kTypeMismatch = "Type mismatch";
inline constexpr const char* kOverflow = "Overflow";
inline constexpr const char* kInvalidArgument = "Invalid procedure call or argument";

std::string_view TextOf(sqlite3_value* value);
void ResultText(sqlite3_context* context, std::string_view text);

// Fails the call with `error` followed by " in <name>", the name the function was registered
// under (its user data), so that the message names the function.
void ResultFailure(sqlite3_context* context, const char* error);

bool AnyNull(int argc, sqlite3_value** argv);

// UTF-8 text counted in characters: a byte that is not valid UTF-8 counts as one character.
std::size_t CharacterOffset(std::string_view text, long long index);
long long CharacterCount(std::string_view text);
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view characters);

// The text with every character mapped; bytes that are not valid UTF-8 stay as they are.
std::string MapCharacters(std::string_view text, char32_t (*map)(char32_t));

// Upper and lower case of every letter, by the C library's Unicode tables.
char32_t UpperCase(char32_t character);
char32_t LowerCase(char32_t character);

// A number written as text: blanks around it, a sign, digits with one point, an exponent
// ("E" or "D"), or "&H"/"&O" radix digits. Nothing when the whole text is not one number.
std::optional<double> ParseNumber(std::string_view text);

// The number a value stands for in arithmetic: numbers as they are, texts that are numbers,
// and dates (ISO texts) as their serial. Nothing for any other text or a blob.
std::optional<double> NumberOf(sqlite3_value* value);

// The number of an argument; fails the call with Type mismatch when it is none.
std::optional<double> NumberArgument(sqlite3_context* context, sqlite3_value* value);

// The argument as a whole number, a half rounded to the even neighbour, within [low, high];
// fails the call with Type mismatch or Overflow otherwise.
std::optional<long long> WholeArgument(sqlite3_context* context, sqlite3_value* value,
                                       long long low = -2147483648LL,
                                       long long high = 2147483647LL);

// A whole result stays a whole number when it fits, so that it shows without ".0".
void ResultWhole(sqlite3_context* context, double value);
void ResultNumber(sqlite3_context* context, double value);  // whole ones as whole numbers

// `value` rounded to `digits` decimals, a half to the even neighbour, reading the number as
// its 15 significant decimal digits so that 2.345 is a decimal half, as it was written.
double RoundHalfEven(double value, int digits);

// Text of a number as the classic engine writes it (15 significant digits, "1E+20").
std::string NumberText(double value);

}  // namespace tessel::db::sqlite
