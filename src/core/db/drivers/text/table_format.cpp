#include "core/db/drivers/text/table_format.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <stdexcept>

#include "core/base/code_page.h"
#include "core/base/text.h"
#include "core/db/jetsql/type_map.h"
#include "core/db/names.h"

namespace tessel::db::text {
namespace {

constexpr long kMaxTextSize = 255;

struct TypeWord {
    const char* word;
    int code;
};

// The classic schema.ini type words; the first word of a code is the one written.
constexpr TypeWord kTypeWords[] = {
    {"Bit", ftype::kBoolean},     {"Byte", ftype::kByte},     {"Short", ftype::kInteger},
    {"Integer", ftype::kInteger}, {"Long", ftype::kLong},     {"Currency", ftype::kCurrency},
    {"Single", ftype::kSingle},   {"Double", ftype::kDouble}, {"Float", ftype::kDouble},
    {"DateTime", ftype::kDate},   {"Date", ftype::kDate},     {"Text", ftype::kText},
    {"Char", ftype::kText},       {"Memo", ftype::kMemo},     {"LongChar", ftype::kMemo},
};

class SectionError {
  public:
    SectionError(const std::string& iniPath, const std::string& fileName)
        : where_("In '" + iniPath + "', section [" + fileName + "]: ") {}
    [[noreturn]] void Throw(const std::string& what) const {
        throw EngineError(err::kUnreadableDatabase, where_ + what);
    }

  private:
    std::string where_;
};

std::string Extension(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : base::LowerAscii(fileName.substr(dot + 1));
}

std::optional<long> WholeNumber(const std::string& text) {
    long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return number;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ' || text[at] == '\t') {
            ++at;
            continue;
        }
        std::size_t end = at;
        if (text[at] == '"') {
            end = text.find('"', at + 1);
            end = end == std::string::npos ? text.size() : end + 1;
        } else {
            while (end < text.size() && text[end] != ' ' && text[end] != '\t')
                ++end;
        }
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

std::string Unquoted(const std::string& word) {
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"')
        return word.substr(1, word.size() - 2);
    return word;
}

// "Name Type [Width n]"; the name may be quoted or hold blanks.
TextColumn ColumnOf(const std::string& key, const std::string& value, Layout layout,
                    const SectionError& error) {
    std::vector<std::string> words = Words(value);
    TextColumn column;
    if (words.size() >= 3 && SameName(words[words.size() - 2], "Width")) {
        const auto width = WholeNumber(words.back());
        if (!width || *width < 1)
            error.Throw(key + " has the width '" + words.back() +
                        "', which is not a number above 0.");
        column.width = *width;
        words.resize(words.size() - 2);
    }
    column.field.type = ftype::kText;
    if (words.size() >= 2) {
        const auto found =
            std::find_if(std::begin(kTypeWords), std::end(kTypeWords),
                         [&](const TypeWord& type) { return SameName(type.word, words.back()); });
        if (found == std::end(kTypeWords))
            error.Throw(key + " has the type '" + words.back() +
                        "', which is not a text file type.");
        column.field.type = found->code;
        words.pop_back();
    }
    std::string name;
    for (const auto& word : words)
        name += (name.empty() ? "" : " ") + Unquoted(word);
    if (name.empty())
        error.Throw(key + " gives no field name.");
    if (layout == Layout::FixedLength && column.width == 0)
        error.Throw(key + " has no Width, which every field of a FixedLength file needs.");
    column.field.name = name;
    if (column.field.type == ftype::kText) {
        column.field.size = column.width > 0 ? column.width : kMaxTextSize;
        if (column.field.size > kMaxTextSize) {
            column.field.type = ftype::kMemo;
            column.field.size = 0;
        }
    } else {
        column.field.size = jetsql::DefaultSize(column.field.type);
    }
    column.field.attributes = jetsql::FieldAttributes(column.field.type, false);
    return column;
}

void ReadLayout(const std::string& value, TableFormat& format, const SectionError& error) {
    const std::string word = base::UpperAscii(value);
    if (word == "CSVDELIMITED") {
        format.layout = Layout::Delimited;
        format.delimiter = ',';
    } else if (word == "TABDELIMITED") {
        format.layout = Layout::Delimited;
        format.delimiter = '\t';
    } else if (word == "FIXEDLENGTH") {
        format.layout = Layout::FixedLength;
    } else if (word.rfind("DELIMITED(", 0) == 0 && value.size() == 12 && value.back() == ')' &&
               value[10] != '"' && value[10] != '\r' && value[10] != '\n') {
        format.layout = Layout::Delimited;
        format.delimiter = value[10];
    } else {
        error.Throw("Format=" + value +
                    " is not CSVDelimited, TabDelimited, Delimited(x) or FixedLength.");
    }
}

bool ReadFlag(const std::string& key, const std::string& value, const SectionError& error) {
    const std::string word = base::UpperAscii(value);
    if (word == "TRUE" || word == "YES" || word == "1")
        return true;
    if (word == "FALSE" || word == "NO" || word == "0")
        return false;
    error.Throw(key + "=" + value + " is neither True nor False.");
}

}  // namespace

TableFormat FormatOf(const std::string& fileName, const IniSection* section,
                     const std::string& iniPath) {
    TableFormat format;
    if (Extension(fileName) == "tab")
        format.delimiter = '\t';
    if (section == nullptr)
        return format;
    const SectionError error(iniPath, section->name);
    if (const auto value = section->Value("Format"))
        ReadLayout(*value, format, error);
    if (const auto value = section->Value("ColNameHeader"))
        format.header = ReadFlag("ColNameHeader", *value, error);
    if (const auto value = section->Value("CharacterSet")) {
        if (!base::IconvNameOfCodePage(*value))
            error.Throw("CharacterSet=" + *value + " is not a code page this program can read.");
        format.characterSet = *value;
    }
    if (const auto value = section->Value("DateTimeFormat")) {
        format.dateFormat = DateFormat::Compile(*value);
        if (!format.dateFormat)
            error.Throw("DateTimeFormat=" + *value + " does not give a day, a month and a year.");
    }
    if (const auto value = section->Value("DecimalSymbol")) {
        if (value->size() != 1 || (*value)[0] == '-' || ((*value)[0] >= '0' && (*value)[0] <= '9'))
            error.Throw("DecimalSymbol=" + *value + " is not one character.");
        format.decimalSymbol = (*value)[0];
    }
    if (const auto value = section->Value("MaxScanRows")) {
        const auto rows = WholeNumber(*value);
        if (!rows || *rows < 0)
            error.Throw("MaxScanRows=" + *value + " is not a number of rows.");
        format.maxScanRows = *rows;
    }
    std::map<long, TextColumn> numbered;
    for (const auto& [key, value] : section->entries) {
        if (key.size() < 4 || !SameName(key.substr(0, 3), "Col"))
            continue;
        const auto number = WholeNumber(key.substr(3));
        if (!number)
            continue;
        if (numbered.count(*number) != 0)
            error.Throw(key + " is given twice.");
        numbered[*number] = ColumnOf(key, value, format.layout, error);
    }
    for (auto& [number, column] : numbered)
        format.columns.push_back(std::move(column));
    if (format.layout == Layout::FixedLength && format.columns.empty())
        error.Throw("a FixedLength file needs a ColN line with a Width for each field.");
    return format;
}

base::CodePage CodePageOf(const TableFormat& format, const std::string& path) {
    try {
        return base::CodePage(format.characterSet);
    } catch (const std::invalid_argument& error) {
        throw EngineError(
            err::kUnreadableDatabase,
            "The file '" + path + "' cannot be read or written: " + error.what() + ".");
    }
}

std::string SectionFor(const std::string& fileName, const std::vector<FieldInfo>& fields) {
    std::string text = "[" + fileName +
                       "]\r\nColNameHeader=True\r\nFormat=CSVDelimited\r\n"
                       "CharacterSet=65001\r\n";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldInfo& field = fields[i];
        int code = field.type;
        if (code == ftype::kChar)
            code = ftype::kText;
        if (code == ftype::kFloat)
            code = ftype::kDouble;
        const auto found = std::find_if(std::begin(kTypeWords), std::end(kTypeWords),
                                        [&](const TypeWord& type) { return type.code == code; });
        if (found == std::end(kTypeWords)) {
            throw EngineError(err::kInvalidFieldType,
                              "The field '" + field.name +
                                  "' has a type that a text file "
                                  "cannot keep; use BIT, BYTE, SHORT, LONG, CURRENCY, SINGLE, "
                                  "DOUBLE, DATETIME, TEXT or MEMO.");
        }
        const bool quote = field.name.find_first_of(" \t") != std::string::npos;
        text += "Col" + std::to_string(i + 1) + "=" + (quote ? "\"" : "") + field.name +
                (quote ? "\"" : "") + " " + found->word;
        if (code == ftype::kText)
            text += " Width " + std::to_string(field.size > 0 ? field.size : kMaxTextSize);
        text += "\r\n";
    }
    return text;
}

}  // namespace tessel::db::text
