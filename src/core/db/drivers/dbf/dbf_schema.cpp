#include "core/db/drivers/dbf/dbf_schema.h"

#include "core/base/text.h"
#include "core/db/drivers/dbf/dbf_codepage.h"
#include "core/db/jetsql/type_map.h"

namespace tessel::db::dbf {
namespace {

constexpr std::size_t kMaxNameLength = 10;
constexpr long kMaxTextLength = 254;

const char* NewestVersion(Family family) {
    return family == Family::FoxPro ? "3.0" : "5.0";
}

bool IsFoxPro2Version(const std::string& version) {
    return version == "2.0" || version == "2.5" || version == "2.6";
}

[[noreturn]] void Refuse(long number, const std::string& table, const std::string& field,
                         const std::string& why) {
    throw EngineError(number,
                      "The field '" + field + "' of the table '" + table + "' " + why + ".");
}

FieldDescriptor Field(const std::string& name, char type, int length, int decimals = 0) {
    FieldDescriptor field;
    field.name = name;
    field.type = type;
    field.length = static_cast<std::uint8_t>(length);
    field.decimals = static_cast<std::uint8_t>(decimals);
    return field;
}

}  // namespace

FieldDescriptor StoredField(Format format, const std::string& table, const FieldInfo& info,
                            const std::string& name) {
    const bool vfp = format == Format::VisualFoxPro;
    const bool autoIncrement = (info.attributes & attr::kAutoIncrField) != 0;
    if (autoIncrement && !(vfp && info.type == ftype::kLong))
        Refuse(err::kInvalidFieldType, table, info.name,
               "is an autoincrement field, which only Visual FoxPro (FoxPro 3.0) tables hold");
    switch (info.type) {
        case ftype::kText:
        case ftype::kChar: {
            const long size = info.size > 0 ? info.size : 255;
            if (size > kMaxTextLength)
                Refuse(err::kInvalidFieldType, table, info.name,
                       "is longer than the 254 characters a dBase or FoxPro field holds; use a "
                       "MEMO field");
            return Field(name, 'C', static_cast<int>(size));
        }
        case ftype::kGuid:
            return Field(name, 'C', 38);
        case ftype::kByte:
            return Field(name, 'N', 3);
        case ftype::kInteger:
            return Field(name, 'N', 6);
        case ftype::kLong:
            if (vfp) {
                auto field = Field(name, 'I', 4);
                if (autoIncrement) {
                    field.flags = fieldflag::kAutoIncrement | fieldflag::kBinary;
                    field.autoNext = 1;
                    field.autoStep = 1;
                }
                return field;
            }
            return Field(name, 'N', 11);
        case ftype::kBigInt:
            return Field(name, 'N', 20);
        case ftype::kSingle:
        case ftype::kDouble:
        case ftype::kFloat:
            if (vfp)
                return Field(name, 'B', 8, 6);
            return Field(name, format == Format::Dbase3 ? 'N' : 'F', 20, 6);
        case ftype::kCurrency:
            return vfp ? Field(name, 'Y', 8, 4) : Field(name, 'N', 20, 4);
        case ftype::kNumeric:
        case ftype::kDecimal:
            return Field(name, 'N', 20, 4);
        case ftype::kDate:
        case ftype::kTime:
        case ftype::kTimeStamp:
            return vfp ? Field(name, 'T', 8) : Field(name, 'D', 8);
        case ftype::kBoolean:
            return Field(name, 'L', 1);
        case ftype::kMemo:
            return Field(name, 'M', vfp ? 4 : 10);
        case ftype::kBinary:
        case ftype::kVarBinary:
        case ftype::kLongBinary:
            if (format == Format::Dbase3)
                Refuse(err::kInvalidFieldType, table, info.name,
                       "is binary, which dBase III tables cannot hold");
            return Field(name, 'G', vfp ? 4 : 10);
        default:
            Refuse(err::kInvalidFieldType, table, info.name,
                   "has a type that dBase and FoxPro tables cannot hold");
    }
}

namespace {

std::uint8_t VersionByte(Format format, bool memo, bool autoIncrement) {
    switch (format) {
        case Format::Dbase3:
            return memo ? 0x83 : 0x03;
        case Format::Dbase4:
            return memo ? 0x8B : 0x03;
        case Format::FoxPro2:
            return memo ? 0xF5 : 0x03;
        case Format::VisualFoxPro:
            return autoIncrement ? 0x31 : 0x30;
    }
    return 0x03;
}

}  // namespace

Format FormatOfTable(std::uint8_t versionByte, Family family, const std::string& connectVersion) {
    if (IsVisualFoxPro(versionByte))
        return Format::VisualFoxPro;
    switch (versionByte) {
        case 0x83:
            return Format::Dbase3;
        case 0xF5:
            return Format::FoxPro2;
        case 0x03: {
            const Format format = FormatOf(family, connectVersion);
            return format == Format::VisualFoxPro ? Format::FoxPro2 : format;
        }
        default:
            return Format::Dbase4;
    }
}

std::uint8_t VersionWithMemo(std::uint8_t versionByte, Format format) {
    if (versionByte != 0x03)
        return versionByte;
    return VersionByte(format, true, false);
}

std::string VersionOfConnect(Family family, const std::string& connect) {
    const std::string head = base::UpperAscii(connect.substr(0, connect.find(';') + 1));
    for (const auto& row : ConnectionTypes()) {
        if (row.family == family && base::UpperAscii(row.typeText) == head &&
            *row.detectedVersion != '\0')
            return row.detectedVersion;
    }
    return NewestVersion(family);
}

Format FormatOf(Family family, const std::string& version) {
    if (family == Family::FoxPro)
        return IsFoxPro2Version(version) ? Format::FoxPro2 : Format::VisualFoxPro;
    return version == "3.0" ? Format::Dbase3 : Format::Dbase4;
}

// A byte that several versions write cannot tell them apart: then the connect text's version
// decides when it is one of them, and otherwise the newest version that writes the byte.
std::string VersionOfTable(std::uint8_t versionByte, Family family,
                           const std::string& connectVersion) {
    if (family == Family::FoxPro) {
        if (IsVisualFoxPro(versionByte))
            return "3.0";
        if (versionByte == 0x02)
            return "2.0";
        return IsFoxPro2Version(connectVersion) ? connectVersion : "2.6";
    }
    switch (versionByte) {
        case 0x02:
        case 0x83:
            return "3.0";
        case 0x8B:
        case 0xCB:
        case 0x43:
        case 0x63:
        case 0x7B:
            return connectVersion == "5.0" ? "5.0" : "4.0";
        case 0x04:
        case 0x8C:
            return "5.0";
        default:
            return connectVersion == "3.0" || connectVersion == "4.0" ? connectVersion : "5.0";
    }
}

std::string StoredName(const std::string& table, const std::string& name, TextCodec& codec) {
    const auto stored = codec.Encode(base::UpperAscii(name));
    if (!stored)
        Refuse(err::kInvalidName, table, name,
               "has a name with a character that the table's code page cannot hold");
    if (stored->empty() || stored->size() > kMaxNameLength)
        Refuse(err::kInvalidName, table, name,
               "has a name longer than the 10 characters a dBase or FoxPro field name holds");
    return *stored;
}

FieldInfo FieldInfoOf(const TableHeader& header, const FieldDescriptor& field,
                      const std::string& name) {
    FieldInfo info;
    info.name = name;
    bool autoIncrement = false;
    const bool vfp = IsVisualFoxPro(header.version);
    switch (field.type) {
        case 'C':
        case 'V':
            info.type = ftype::kText;
            info.size = field.length;
            break;
        case 'Q':
            info.type = ftype::kBinary;
            info.size = field.length;
            break;
        case 'N':
            if (field.decimals == 0 && field.length <= 4)
                info.type = ftype::kInteger;
            else if (field.decimals == 0 && field.length <= 9)
                info.type = ftype::kLong;
            else
                info.type = ftype::kDouble;
            break;
        case 'F':
        case 'O':
            info.type = ftype::kDouble;
            break;
        case 'B':
            info.type = vfp ? ftype::kDouble : ftype::kLongBinary;
            break;
        case 'I':
        case '+':
            info.type = ftype::kLong;
            autoIncrement = field.type == '+' || (field.flags & fieldflag::kAutoIncrement) != 0;
            break;
        case 'Y':
            info.type = ftype::kCurrency;
            break;
        case 'D':
        case 'T':
        case '@':
            info.type = ftype::kDate;
            break;
        case 'L':
            info.type = ftype::kBoolean;
            break;
        case 'M':
            info.type = ftype::kMemo;
            break;
        case 'G':
        case 'P':
        case 'W':
            info.type = ftype::kLongBinary;
            break;
        default:
            info.type = ftype::kText;
            info.size = field.length;
            break;
    }
    if (info.size == 0)
        info.size = jetsql::DefaultSize(info.type);
    info.attributes = jetsql::FieldAttributes(info.type, autoIncrement);
    return info;
}

TableHeader NewTableHeader(Format format, const std::string& table,
                           const std::vector<FieldInfo>& fields) {
    TableHeader header;
    bool memo = false;
    bool autoIncrement = false;
    TextCodec codec(kNewTableDriver);
    for (const auto& info : fields) {
        const std::string stored = StoredName(table, info.name, codec);
        for (const auto& other : header.fields) {
            if (other.name == stored)
                Refuse(err::kFieldExists, table, info.name, "is defined more than once");
        }
        auto field = StoredField(format, table, info, stored);
        if (format == Format::VisualFoxPro && !info.required &&
            (field.flags & fieldflag::kAutoIncrement) == 0)
            field.flags |= fieldflag::kNullable;
        memo = memo || field.type == 'M' || field.type == 'G';
        autoIncrement = autoIncrement || (field.flags & fieldflag::kAutoIncrement) != 0;
        header.fields.push_back(field);
    }
    if (header.fields.empty())
        throw EngineError(err::kInvalidArgument,
                          "The new table '" + table + "' needs at least one field.");
    header.version = VersionByte(format, memo, autoIncrement);
    header.languageDriver = kNewTableDriver;
    StampToday(header);
    if (format == Format::VisualFoxPro && memo)
        header.tableFlags = 0x02;
    LayOut(header);
    if (header.recordLength > 0xFFFF)
        throw EngineError(err::kInvalidArgument, "The records of the new table '" + table +
                                                     "' would be longer than 65535 bytes.");
    return header;
}

}  // namespace tessel::db::dbf
