#include "core/db/drivers/excel/biff_records.h"

#include "core/db/drivers/excel/little_endian.h"

#include <cstring>

namespace tessel::db::excel {
namespace {

constexpr std::uint16_t kBof2 = 0x0009, kBof3 = 0x0209, kBof4 = 0x0409, kBof8 = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kFormula = 0x0006, kFormula3 = 0x0206, kFormula4 = 0x0406;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kName = 0x0018;
constexpr std::uint16_t kExternSheet = 0x0017;

struct Record {
    std::uint16_t type = 0;
    std::string_view data;
};

class Reader {
  public:
    Reader(std::string_view stream, std::size_t at) : stream_(stream), at_(at) {}
    bool Next(Record& record) {
        if (at_ + 4 > stream_.size())
            return false;
        record.type = U16(stream_, at_);
        const std::size_t length = U16(stream_, at_ + 2);
        const std::size_t start = at_ + 4;
        record.data = stream_.substr(start, std::min(length, stream_.size() - start));
        at_ = start + length;
        return true;
    }

  private:
    std::string_view stream_;
    std::size_t at_;
};

int VersionOfBof(const Record& record) {
    switch (record.type) {
        case kBof2:
            return 2;
        case kBof3:
            return 3;
        case kBof4:
            return 4;
        case kBof8:
            return U16(record.data, 0) == 0x0600 ? 8 : 5;
        default:
            return 0;
    }
}

// UTF-8 of a string whose characters are one byte (Latin-1 as stored) or two (UTF-16LE).
std::string CharactersOf(std::string_view bytes, std::size_t count, bool wide) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = wide ? 2 * i : i;
        if (at + (wide ? 2 : 1) > bytes.size())
            break;
        const char32_t c = wide ? U16(bytes, at) : static_cast<unsigned char>(bytes[at]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The text of a STRING record that follows a formula with a text result.
std::string StringRecordText(std::string_view data, int version) {
    const std::size_t count = U16(data, 0);
    if (version == 8 && data.size() >= 3)
        return CharactersOf(data.substr(3), count, (data[2] & 1) != 0);
    return CharactersOf(data.substr(std::min<std::size_t>(2, data.size())), count, false);
}

double DoubleOf(std::string_view bytes) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(bytes[i]);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The cached results of the formulas of one sheet's substream, which begins at `at`.
std::vector<FormulaResult> SheetFormulas(std::string_view stream, std::size_t at, int version) {
    std::vector<FormulaResult> results;
    Reader reader(stream, at);
    Record record;
    bool pendingString = false;
    int depth = 0;
    while (reader.Next(record)) {
        if (VersionOfBof(record) != 0) {
            ++depth;  // a chart inside the sheet has its own BOF and EOF
            continue;
        }
        if (record.type == kEof) {
            if (--depth <= 0)
                break;
            continue;
        }
        if (record.type == kString && pendingString) {
            results.back().value = StringRecordText(record.data, version);
            pendingString = false;
            continue;
        }
        pendingString = false;
        if (record.type != kFormula && record.type != kFormula3 && record.type != kFormula4)
            continue;
        const std::size_t resultAt = version == 2 ? 7 : 6;
        if (record.data.size() < resultAt + 8)
            continue;
        const std::string_view result = record.data.substr(resultAt, 8);
        FormulaResult cell{U16(record.data, 0), U16(record.data, 2), {}};
        if (U16(result, 6) != 0xFFFF || version == 2) {
            cell.value = DoubleOf(result);
        } else {
            switch (static_cast<unsigned char>(result[0])) {
                case 0:
                    pendingString = true;  // the text follows in a STRING record
                    break;
                case 1:
                    cell.value = result[2] != 0;
                    break;
                case 3:
                    cell.value = std::string();
                    break;
                default:
                    break;  // an error value (#DIV/0! ...) reads as Null
            }
        }
        results.push_back(std::move(cell));
    }
    return results;
}

// A name whose formula is one rectangle (or one cell) of one sheet; others are left out.
void ReadName(std::string_view data, const std::vector<std::uint16_t>& externSheets,
              BiffFacts& facts) {
    if (data.size() < 15)
        return;
    const std::uint16_t options = U16(data, 0);
    if ((options & 0x0021) != 0)  // hidden or built-in (print area, filter database)
        return;
    const std::size_t nameLength = static_cast<unsigned char>(data[3]);
    const std::size_t formulaSize = U16(data, 4);
    const bool wide = (data[14] & 1) != 0;
    const std::size_t nameBytes = nameLength * (wide ? 2 : 1);
    if (15 + nameBytes + formulaSize > data.size() || formulaSize < 7)
        return;
    std::string_view formula = data.substr(15 + nameBytes, formulaSize);
    const unsigned token = static_cast<unsigned char>(formula[0]);
    BiffFacts::Name name;
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
    if (name.sheet >= facts.sheetCount || name.lastRow < name.firstRow ||
        name.lastColumn < name.firstColumn || name.name.empty())
        return;
    facts.names.push_back(std::move(name));
}

}  // namespace

BiffFacts ScanBiff(const std::string& bytes) {
    const std::string_view stream(bytes);
    BiffFacts facts;
    Reader reader(stream, 0);
    Record record;
    if (!reader.Next(record) || (facts.biffVersion = VersionOfBof(record)) == 0)
        return facts;
    const int version = facts.biffVersion;
    if (version <= 4 && U16(record.data, 2) != 0x0100) {
        // A bare one-sheet stream: the sheet's records follow its BOF.
        facts.sheetCount = 1;
        facts.formulas.push_back(SheetFormulas(stream, 0, version));
        return facts;
    }
    std::vector<std::size_t> sheetStarts;
    std::vector<std::uint16_t> externSheets;  // sheet of each EXTERNSHEET entry
    std::vector<std::string_view> nameRecords;
    while (reader.Next(record) && record.type != kEof) {
        if (record.type == kFilePass) {
            facts.encrypted = true;
        } else if (record.type == kBoundSheet && record.data.size() >= 6) {
            sheetStarts.push_back(U32(record.data, 0));
        } else if (record.type == kExternSheet && version == 8) {
            const std::size_t count = U16(record.data, 0);
            for (std::size_t i = 0; i < count && 2 + 6 * i + 6 <= record.data.size(); ++i)
                externSheets.push_back(U16(record.data, 2 + 6 * i + 2));
        } else if (record.type == kName && version == 8) {
            nameRecords.push_back(record.data);
        }
    }
    facts.sheetCount = sheetStarts.size();
    if (facts.encrypted)
        return facts;
    for (std::string_view data : nameRecords)
        ReadName(data, externSheets, facts);
    for (std::size_t start : sheetStarts) {
        facts.formulas.push_back(start < stream.size() ? SheetFormulas(stream, start, version)
                                                       : std::vector<FormulaResult>{});
    }
    return facts;
}

}  // namespace tessel::db::excel
