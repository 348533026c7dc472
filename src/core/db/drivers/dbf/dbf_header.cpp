#include "core/db/drivers/dbf/dbf_header.h"

#include <algorithm>
#include <ctime>

#include "core/db/drivers/dbf/dbf_bytes.h"
#include "core/db/errors.h"

namespace tessel::db::dbf {
namespace {

constexpr std::size_t kMainHeader = 32;
constexpr std::size_t kDescriptor = 32;
constexpr std::size_t kDbaseIIDescriptor = 16;
constexpr std::size_t kDbaseIIFields = 32;
constexpr std::uint32_t kDbaseIIDataStart = 521;
constexpr std::size_t kDbase7Header = 68;
constexpr std::size_t kDbase7Descriptor = 48;
constexpr std::size_t kBacklink = 263;
constexpr char kTerminator = 0x0D;
constexpr const char* kNullFlagsName = "_NullFlags";

[[noreturn]] void Damaged(const std::string& file, const std::string& why) {
    throw EngineError(
        err::kUnreadableDatabase,
        "The table '" + file + "' is damaged or is not a dBase or FoxPro table: " + why + ".");
}

std::string NameOf(std::string_view bytes) {
    const auto end = bytes.find('\0');
    return std::string(bytes.substr(0, end));
}

bool IsDbase7(std::uint8_t version) {
    return (version & 0x07) == 0x04;
}

bool HasVariableLength(char type) {
    return type == 'V' || type == 'Q';
}

// The bits of _NullFlags: per field in order, one for a V/Q value shorter than its field, then
// one for Null when the field may be Null.
void AssignNullBits(TableHeader& header) {
    int bit = 0;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        if (static_cast<int>(i) == header.nullFlagsField)
            continue;
        auto& field = header.fields[i];
        field.lengthBit = HasVariableLength(field.type) ? bit++ : -1;
        field.nullBit = (field.flags & fieldflag::kNullable) != 0 ? bit++ : -1;
    }
    if (header.nullFlagsField < 0 && bit > 0) {
        for (auto& field : header.fields)
            field.lengthBit = field.nullBit = -1;
    }
}

void ReadDbaseII(TableHeader& header, std::string_view bytes, const std::string& file) {
    if (bytes.size() < 8)
        Damaged(file, "its header is cut short");
    header.recordCount = ReadLe(bytes, 1, 2);
    header.month = static_cast<unsigned char>(bytes[3]);
    header.day = static_cast<unsigned char>(bytes[4]);
    header.year = 1900 + static_cast<unsigned char>(bytes[5]);
    header.recordLength = ReadLe(bytes, 6, 2);
    header.headerLength = kDbaseIIDataStart;
    std::size_t at = 8;
    for (std::size_t i = 0; i < kDbaseIIFields; ++i, at += kDbaseIIDescriptor) {
        if (at >= bytes.size())
            Damaged(file, "its field list is cut short");
        if (bytes[at] == kTerminator)
            break;
        if (at + kDbaseIIDescriptor > bytes.size())
            Damaged(file, "its field list is cut short");
        FieldDescriptor field;
        field.name = NameOf(bytes.substr(at, 11));
        field.type = bytes[at + 11];
        field.length = static_cast<std::uint8_t>(bytes[at + 12]);
        field.decimals = static_cast<std::uint8_t>(bytes[at + 15]);
        header.fields.push_back(field);
    }
}

void ReadStandard(TableHeader& header, std::string_view bytes, const std::string& file,
                  bool dbase7) {
    const std::size_t start = dbase7 ? kDbase7Header : kMainHeader;
    const std::size_t size = dbase7 ? kDbase7Descriptor : kDescriptor;
    if (bytes.size() < start)
        Damaged(file, "its header is cut short");
    header.year = 1900 + static_cast<unsigned char>(bytes[1]);
    header.month = static_cast<unsigned char>(bytes[2]);
    header.day = static_cast<unsigned char>(bytes[3]);
    header.recordCount = ReadLe(bytes, 4, 4);
    header.headerLength = ReadLe(bytes, 8, 2);
    header.recordLength = ReadLe(bytes, 10, 2);
    header.tableFlags = static_cast<std::uint8_t>(bytes[28]);
    header.languageDriver = static_cast<std::uint8_t>(bytes[29]);
    if (header.headerLength < start + 1)
        Damaged(file, "its header length " + std::to_string(header.headerLength) + " is too small");
    for (std::size_t at = start;; at += size) {
        if (at >= header.headerLength || at >= bytes.size())
            Damaged(file, "its field list has no end within the header");
        if (bytes[at] == kTerminator)
            break;
        if (at + size > header.headerLength || at + size > bytes.size())
            Damaged(file, "its field list is cut short");
        FieldDescriptor field;
        if (dbase7) {
            field.name = NameOf(bytes.substr(at, 32));
            field.type = bytes[at + 32];
            field.length = static_cast<std::uint8_t>(bytes[at + 33]);
            field.decimals = static_cast<std::uint8_t>(bytes[at + 34]);
            field.autoNext = ReadLe(bytes, at + 42, 4);
        } else {
            field.name = NameOf(bytes.substr(at, 11));
            field.type = bytes[at + 11];
            field.length = static_cast<std::uint8_t>(bytes[at + 16]);
            field.decimals = static_cast<std::uint8_t>(bytes[at + 17]);
            if (IsVisualFoxPro(header.version)) {
                field.flags = static_cast<std::uint8_t>(bytes[at + 18]);
                field.autoNext = ReadLe(bytes, at + 19, 4);
                field.autoStep = static_cast<std::uint8_t>(bytes[at + 23]);
                if (field.type == '0' && field.name == kNullFlagsName)
                    header.nullFlagsField = static_cast<int>(header.fields.size());
            }
        }
        header.fields.push_back(field);
    }
}

}  // namespace

bool IsVisualFoxPro(std::uint8_t version) {
    return version == 0x30 || version == 0x31 || version == 0x32;
}

MemoKind MemoKindOf(std::uint8_t version) {
    switch (version) {
        case 0x83:
            return MemoKind::Dbt3;
        case 0x8B:
        case 0xCB:
        case 0x8C:
        case 0x7B:
            return MemoKind::Dbt4;
        case 0xF5:
        case 0x30:
        case 0x31:
        case 0x32:
            return MemoKind::Fpt;
        default:
            return MemoKind::None;
    }
}

bool IsWritable(const TableHeader& header) {
    return header.layout == Layout::Standard;
}

TableHeader ParseHeader(std::string_view bytes, std::uint64_t fileSize, const std::string& file) {
    if (bytes.empty())
        Damaged(file, "the file is empty");
    TableHeader header;
    header.version = static_cast<std::uint8_t>(bytes[0]);
    if (header.version == 0x02) {
        header.layout = Layout::DbaseII;
        ReadDbaseII(header, bytes, file);
    } else if (IsDbase7(header.version)) {
        header.layout = Layout::Dbase7;
        ReadStandard(header, bytes, file, true);
    } else {
        ReadStandard(header, bytes, file, false);
    }
    if (header.fields.empty())
        Damaged(file, "it has no fields");
    std::uint32_t offset = 1;
    for (auto& field : header.fields) {
        if (field.length == 0)
            Damaged(file, "the field '" + field.name + "' has no length");
        field.offset = offset;
        offset += field.length;
    }
    if (offset != header.recordLength) {
        Damaged(file, "its record length " + std::to_string(header.recordLength) +
                          " does not match its fields (" + std::to_string(offset) + ")");
    }
    const std::uint64_t needed =
        static_cast<std::uint64_t>(header.headerLength) +
        static_cast<std::uint64_t>(header.recordCount) * header.recordLength;
    if (header.headerLength > fileSize || needed > fileSize) {
        Damaged(file, "it is cut short (" + std::to_string(header.recordCount) + " records need " +
                          std::to_string(needed) + " bytes, the file has " +
                          std::to_string(fileSize) + ")");
    }
    AssignNullBits(header);
    if (header.nullFlagsField >= 0) {
        int bits = 0;
        for (const auto& field : header.fields)
            bits = std::max({bits, field.nullBit + 1, field.lengthBit + 1});
        if (bits > 8 * header.fields[header.nullFlagsField].length)
            Damaged(file, "its null flags are too short for its fields");
    }
    return header;
}

std::string SerializeMainHeader(const TableHeader& header) {
    std::string bytes(kMainHeader, '\0');
    bytes[0] = static_cast<char>(header.version);
    bytes[1] = static_cast<char>(header.year - 1900);
    bytes[2] = static_cast<char>(header.month);
    bytes[3] = static_cast<char>(header.day);
    WriteLe(bytes, 4, header.recordCount, 4);
    WriteLe(bytes, 8, header.headerLength, 2);
    WriteLe(bytes, 10, header.recordLength, 2);
    bytes[28] = static_cast<char>(header.tableFlags);
    bytes[29] = static_cast<char>(header.languageDriver);
    return bytes;
}

std::string SerializeHeader(const TableHeader& header) {
    std::string bytes = SerializeMainHeader(header);
    const bool vfp = IsVisualFoxPro(header.version);
    for (const auto& field : header.fields) {
        std::string descriptor(kDescriptor, '\0');
        descriptor.replace(0, std::min<std::size_t>(field.name.size(), 10), field.name, 0, 10);
        descriptor[11] = field.type;
        if (vfp)
            WriteLe(descriptor, 12, field.offset, 4);
        descriptor[16] = static_cast<char>(field.length);
        descriptor[17] = static_cast<char>(field.decimals);
        if (vfp) {
            descriptor[18] = static_cast<char>(field.flags);
            WriteLe(descriptor, 19, field.autoNext, 4);
            descriptor[23] = static_cast<char>(field.autoStep);
        }
        bytes += descriptor;
    }
    bytes += kTerminator;
    if (vfp)
        bytes.append(kBacklink, '\0');
    bytes.resize(header.headerLength, '\0');
    return bytes;
}

void StampToday(TableHeader& header) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    header.year = local.tm_year + 1900;
    header.month = local.tm_mon + 1;
    header.day = local.tm_mday;
}

void LayOut(TableHeader& header) {
    header.layout = Layout::Standard;
    header.nullFlagsField = -1;
    std::erase_if(header.fields, [](const FieldDescriptor& field) { return field.type == '0'; });
    if (IsVisualFoxPro(header.version)) {
        int bits = 0;
        for (const auto& field : header.fields) {
            bits += HasVariableLength(field.type) ? 1 : 0;
            bits += (field.flags & fieldflag::kNullable) != 0 ? 1 : 0;
        }
        if (bits > 0) {
            FieldDescriptor flags;
            flags.name = kNullFlagsName;
            flags.type = '0';
            flags.length = static_cast<std::uint8_t>((bits + 7) / 8);
            flags.flags = fieldflag::kSystem | fieldflag::kBinary;
            header.nullFlagsField = static_cast<int>(header.fields.size());
            header.fields.push_back(flags);
        }
    }
    std::uint32_t offset = 1;
    for (auto& field : header.fields) {
        field.offset = offset;
        offset += field.length;
    }
    header.recordLength = offset;
    header.headerLength =
        static_cast<std::uint32_t>(kMainHeader + kDescriptor * header.fields.size() + 1 +
                                   (IsVisualFoxPro(header.version) ? kBacklink : 0));
    AssignNullBits(header);
}

}  // namespace tessel::db::dbf
