#include "core/db/drivers/excel/biff_globals.h"

#include <map>

#include "core/db/drivers/excel/biff_records.h"
#include "core/db/drivers/excel/biff_text.h"
#include "core/db/drivers/excel/little_endian.h"
#include "core/db/drivers/excel/number_format.h"

namespace tessel::db::excel {
namespace {

constexpr std::uint16_t kWorkbook4 = 0x0100;
constexpr std::uint16_t kWorksheet = 0x0010;
// Number formats past this are the workbook's own; those up to it are built in.
constexpr std::size_t kLastBuiltInFormat = 163;

std::size_t ByteAt(std::string_view data, std::size_t at) {
    return at < data.size() ? static_cast<unsigned char>(data[at]) : 0;
}

// A text of the formats before 8: its length in one byte at `at`, then its bytes.
std::string_view ByteString(std::string_view data, std::size_t at) {
    if (at >= data.size())
        return {};
    return data.substr(at + 1, ByteAt(data, at));
}

// A name whose formula is one rectangle (or one cell) of one sheet; others are left out.
void ReadName(std::string_view data, const std::vector<std::uint16_t>& externSheets,
              std::vector<NamedRange>& names) {
    if (data.size() < 15)
        return;
    const std::uint16_t options = U16(data, 0);
    if ((options & 0x0021) != 0)  // hidden or built-in (print area, filter database)
        return;
    const std::size_t nameLength = ByteAt(data, 3);
    const std::size_t formulaSize = U16(data, 4);
    const bool wide = (data[14] & 1) != 0;
    const std::size_t nameBytes = nameLength * (wide ? 2 : 1);
    if (15 + nameBytes + formulaSize > data.size() || formulaSize < 7)
        return;
    std::string_view formula = data.substr(15 + nameBytes, formulaSize);
    const unsigned token = static_cast<unsigned char>(formula[0]);
    NamedRange name;
    name.name = CharactersOf(data.substr(15), nameLength, wide);
    const std::uint16_t ixti = U16(formula, 1);
    if (ixti >= externSheets.size())
        return;
    name.sheet = externSheets[ixti];
    if ((token == 0x3B || token == 0x5B || token == 0x7B) && formula.size() >= 11) {
        name.firstRow = U16(formula, 3);
        name.lastRow = U16(formula, 5);
        name.firstColumn = U16(formula, 7) & 0x00FF;
        name.lastColumn = U16(formula, 9) & 0x00FF;
    } else if (token == 0x3A || token == 0x5A || token == 0x7A) {
        name.firstRow = name.lastRow = U16(formula, 3);
        name.firstColumn = name.lastColumn = U16(formula, 5) & 0x00FF;
    } else {
        return;
    }
    if (name.lastRow < name.firstRow || name.lastColumn < name.firstColumn || name.name.empty())
        return;
    names.push_back(std::move(name));
}

// What the workbook-wide records give before they are put together.
struct Collected {
    std::map<std::size_t, std::string> formats;   // number format codes by index
    std::size_t formatCount = 0;                  // the formats before 5 are numbered in order
    std::vector<std::size_t> styleFormats;        // number format of each cell style
    std::vector<std::string_view> rawSheetNames;  // the formats before 8: in the code page
    std::vector<std::string_view> stringParts;
    std::vector<std::uint16_t> externSheets;  // sheet of each EXTERNSHEET entry
    std::vector<std::string_view> nameRecords;
};

void ReadFormat(const Record& record, int version, Collected& got) {
    const std::string_view data = record.data;
    std::size_t index = got.formatCount++;
    std::string code;
    if (version == 8) {
        index = U16(data, 0);
        code = UnicodeStringOf(data, 2, true);
    } else if (version == 5) {
        index = U16(data, 0);
        code = std::string(ByteString(data, 2));
    } else {
        // Version 4 puts two unused bytes first; 2 and 3 begin with the text.
        code = std::string(ByteString(data, record.type == rec::kFormat ? 2 : 0));
    }
    got.formats[index] = std::move(code);
}

void ReadStyle(const Record& record, Collected& got) {
    switch (record.type) {
        case rec::kXf2:
            got.styleFormats.push_back(ByteAt(record.data, 2) & 0x3F);
            break;
        case rec::kXf3:
        case rec::kXf4:
            got.styleFormats.push_back(ByteAt(record.data, 1));
            break;
        default:
            got.styleFormats.push_back(U16(record.data, 2));
            break;
    }
}

bool IsDateStyle(std::size_t format, int version, const Collected& got) {
    const auto code = got.formats.find(format);
    const bool dateCode = code != got.formats.end() && IsDateFormatCode(code->second);
    // The formats before 5 number every format in order, built-in ones included.
    if (version >= 5 && format <= kLastBuiltInFormat)
        return IsBuiltInDateFormat(format) || dateCode;
    return dateCode;
}

// The sheets of a version 4 workbook follow its own records, each from its BOF to its EOF.
void ReadBundledSheets(std::string_view stream, std::size_t at, BiffGlobals& globals,
                       const std::vector<std::string_view>& names, ByteText& text) {
    RecordReader reader(stream, at);
    Record record;
    int depth = 0;
    std::size_t start = reader.Offset();
    while (reader.Next(record)) {
        const int version = VersionOfBof(record);
        if (version != 0 && depth++ == 0) {
            SheetEntry entry;
            entry.offset = start;
            entry.worksheet = KindOfBof(record, version) == kWorksheet;
            const std::size_t number = globals.sheets.size();
            entry.name = number < names.size() ? text.Decode(names[number])
                                               : "Sheet" + std::to_string(number + 1);
            globals.sheets.push_back(std::move(entry));
        } else if (record.type == rec::kEof && depth > 0) {
            --depth;
        }
        start = reader.Offset();
    }
}

}  // namespace

BiffGlobals ReadGlobals(std::string_view stream) {
    BiffGlobals globals;
    RecordReader reader(stream, 0);
    Record record;
    if (!reader.Next(record) || (globals.version = VersionOfBof(record)) == 0)
        return globals;
    const int version = globals.version;
    const std::uint16_t kind = KindOfBof(record, version);
    globals.bare = version <= 4 && kind != kWorkbook4;
    Collected got;
    bool inStrings = false;
    while (reader.Next(record) && record.type != rec::kEof) {
        const bool continues = inStrings && record.type == rec::kContinue;
        inStrings = false;
        switch (record.type) {
            case rec::kFilePass:
                globals.encrypted = true;
                return globals;
            case rec::kCodePage:
                globals.codePage = U16(record.data, 0);
                break;
            case rec::kDateMode:
                globals.date1904 = U16(record.data, 0) == 1;
                break;
            case rec::kFormat:
            case rec::kFormat2:
                ReadFormat(record, version, got);
                break;
            case rec::kXf2:
            case rec::kXf3:
            case rec::kXf4:
            case rec::kXf:
                ReadStyle(record, got);
                break;
            case rec::kSst:
                got.stringParts = {record.data};
                inStrings = true;
                break;
            case rec::kContinue:
                if (continues) {
                    got.stringParts.push_back(record.data);
                    inStrings = true;
                }
                break;
            case rec::kBoundSheet:
                if (record.data.size() >= 6) {
                    SheetEntry entry;
                    entry.offset = U32(record.data, 0);
                    entry.worksheet = ByteAt(record.data, 5) == 0;
                    if (version == 8)
                        entry.name = UnicodeStringOf(record.data, 6, false);
                    got.rawSheetNames.push_back(ByteString(record.data, 6));
                    globals.sheets.push_back(std::move(entry));
                }
                break;
            case rec::kBundleSheet:
                got.rawSheetNames.push_back(ByteString(record.data, 6));
                break;
            case rec::kExternSheet:
                if (version == 8) {
                    const std::size_t count = U16(record.data, 0);
                    for (std::size_t i = 0; i < count && 2 + 6 * i + 6 <= record.data.size(); ++i)
                        got.externSheets.push_back(U16(record.data, 2 + 6 * i + 2));
                }
                break;
            case rec::kName:
                if (version == 8)
                    got.nameRecords.push_back(record.data);
                break;
            default:
                break;
        }
    }
    ByteText text(globals.codePage);
    if (version < 8) {
        for (std::size_t i = 0; i < globals.sheets.size(); ++i)
            globals.sheets[i].name = text.Decode(got.rawSheetNames[i]);
    }
    if (globals.bare) {
        // The formats before 5 store no sheet name.
        globals.sheets = {SheetEntry{"Worksheet", 0, true}};
    } else if (kind == kWorkbook4 && version == 4) {
        ReadBundledSheets(stream, reader.Offset(), globals, got.rawSheetNames, text);
    }
    globals.dateStyles.reserve(got.styleFormats.size());
    for (std::size_t format : got.styleFormats)
        globals.dateStyles.push_back(IsDateStyle(format, version, got));
    globals.strings = ReadSharedStrings(got.stringParts);
    for (std::string_view data : got.nameRecords)
        ReadName(data, got.externSheets, globals.names);
    return globals;
}

}  // namespace tessel::db::excel
