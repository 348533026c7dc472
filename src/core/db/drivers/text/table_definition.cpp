#include "core/db/drivers/text/table_definition.h"

#include <algorithm>
#include <climits>

#include "core/base/utf8.h"
#include "core/db/drivers/text/record_reader.h"
#include "core/db/jetsql/type_map.h"
#include "core/db/names.h"

namespace tessel::db::text {
namespace {

constexpr std::size_t kMaxTextCharacters = 255;

// What the values of one column seen so far allow, from the narrowest type up.
struct Guess {
    bool seen = false;
    bool whole = true;
    bool number = true;
    bool date = true;
    std::size_t longest = 0;

    void Add(const std::string& text, const ValueStyle& style) {
        seen = true;
        longest = std::max(longest, base::Utf8CharacterCount(text));
        if (whole) {
            const auto value = ReadWholeNumber(text);
            whole = value && *value >= INT32_MIN && *value <= INT32_MAX;
        }
        if (number)
            number = ReadNumber(text, style.decimalSymbol).has_value();
        if (date)
            date = ReadDate(text, style).has_value();
    }

    FieldInfo Field(std::string name) const {
        FieldInfo field;
        field.name = std::move(name);
        if (seen && whole)
            field.type = ftype::kLong;
        else if (seen && number)
            field.type = ftype::kDouble;
        else if (seen && date)
            field.type = ftype::kDate;
        else if (longest > kMaxTextCharacters)
            field.type = ftype::kMemo;
        else
            field.type = ftype::kText;
        field.size = field.type == ftype::kText ? static_cast<long>(kMaxTextCharacters)
                                                : jetsql::DefaultSize(field.type);
        field.attributes = jetsql::FieldAttributes(field.type, false);
        return field;
    }
};

// Header names as fields are named: an empty or repeated name becomes F and its position.
std::vector<std::string> NamesOf(const std::vector<FieldText>& header, std::size_t count) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = i < header.size() && header[i] ? *header[i] : std::string();
        const bool repeated = std::any_of(names.begin(), names.end(),
                                          [&](const std::string& n) { return SameName(n, name); });
        if (name.empty() || repeated)
            name = "F" + std::to_string(i + 1);
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace

TableDefinition LoadDefinition(const std::string& path, const std::string& fileName,
                               const IniSection* section, const std::string& iniPath) {
    TableDefinition definition;
    definition.format = FormatOf(fileName, section, iniPath);
    TableFormat& format = definition.format;
    if (!format.columns.empty()) {
        for (const auto& column : format.columns)
            definition.fields.push_back(column.field);
        definition.settledByRows = true;
        return definition;
    }
    RecordReader reader(path, format);
    const ValueStyle style = StyleOf(format);
    Record record;
    std::vector<FieldText> header;
    bool hasHeader = false;
    if (format.header)
        hasHeader = reader.Next(record);
    if (hasHeader)
        header = std::move(record.fields);
    std::vector<Guess> guesses(header.size());
    long rows = 0;
    while ((format.maxScanRows == 0 || rows < format.maxScanRows) && reader.Next(record)) {
        ++rows;
        // Without a header the widest row counts; with one, fields past the names are ignored.
        if (!hasHeader && record.fields.size() > guesses.size())
            guesses.resize(record.fields.size());
        for (std::size_t i = 0; i < guesses.size() && i < record.fields.size(); ++i) {
            if (record.fields[i] && !record.fields[i]->empty())
                guesses[i].Add(*record.fields[i], style);
        }
    }
    definition.settledByRows = format.maxScanRows != 0 && rows >= format.maxScanRows;
    if (guesses.empty())
        guesses.resize(1);  // an empty file still is a table, of one field F1
    const auto names = NamesOf(header, guesses.size());
    for (std::size_t i = 0; i < guesses.size(); ++i) {
        definition.fields.push_back(guesses[i].Field(names[i]));
        TextColumn column;
        column.field = definition.fields.back();
        format.columns.push_back(column);
    }
    return definition;
}

}  // namespace tessel::db::text
