#include "core/db/drivers/paradox/px_header.h"

#include "core/base/code_page.h"
#include "core/db/drivers/paradox/px_bytes.h"
#include "core/db/errors.h"

namespace tessel::db::paradox {
namespace {

constexpr std::size_t kBaseHeader = 0x58;      // the fields begin here in 3.x tables
constexpr std::size_t kExtendedHeader = 0x78;  // and here from 4.0 on
constexpr std::uint8_t kFirst40Version = 5;
constexpr std::uint8_t kFirst70Version = 12;

[[noreturn]] void Damaged(const std::string& path, const std::string& why) {
    throw EngineError(err::kUnreadableDatabase,
                      "The Paradox table '" + path + "' cannot be read: " + why + ".");
}

// Bytes a field of `type` takes in the record; 0 for a type the format does not have.
std::size_t FieldLength(std::uint8_t type, std::uint16_t size) {
    switch (type) {
        case ptype::kAlpha:
        case ptype::kBytes:
            return size;
        case ptype::kMemo:
        case ptype::kBlob:
        case ptype::kFormattedMemo:
        case ptype::kOle:
        case ptype::kGraphic:
            return size >= 10 ? size : 0;
        case ptype::kDate:
        case ptype::kLong:
        case ptype::kTime:
        case ptype::kAutoIncrement:
            return size == 4 ? 4 : 0;
        case ptype::kShort:
            return size == 2 ? 2 : 0;
        case ptype::kCurrency:
        case ptype::kNumber:
        case ptype::kTimestamp:
            return size == 8 ? 8 : 0;
        case ptype::kLogical:
            return size == 1 ? 1 : 0;
        case ptype::kBcd:
            return size <= 32 ? 17 : 0;
        default:
            return 0;
    }
}

bool IsTableType(std::uint8_t fileType) {
    return fileType == 0 || fileType == 2;
}
// The files of secondary indexes: .Xnn (3, 5) and .XGn (6, 8).
bool IsIndexType(std::uint8_t fileType) {
    return fileType == 3 || fileType == 5 || fileType == 6 || fileType == 8;
}

bool HasExtendedHeader(std::uint8_t versionId, std::uint8_t fileType) {
    return versionId >= kFirst40Version && (IsTableType(fileType) || IsIndexType(fileType));
}

bool LooksLikeFile(std::string_view bytes, bool (*typeFits)(std::uint8_t)) {
    if (bytes.size() < kBaseHeader)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint8_t blockKb = p[5];
    const std::uint8_t versionId = p[0x39];
    return typeFits(p[4]) && blockKb >= 1 && blockKb <= 32 && versionId >= 3 && versionId <= 12 &&
           Le16(p) > 0 && Le16(p + 2) >= kBaseHeader;
}

PxHeader Parse(std::string_view bytes, std::uint64_t fileSize, const std::string& path, bool index);

}  // namespace

std::string PxHeader::VersionText() const {
    if (versionId <= 3)
        return "3.0";
    if (versionId == 4)
        return "3.5";
    if (versionId < 10)
        return "4.0";
    if (versionId < kFirst70Version)
        return "5.0";
    return "7.0";
}

bool LooksLikeTable(std::string_view bytes) {
    return LooksLikeFile(bytes, IsTableType);
}

PxHeader ParseHeader(std::string_view bytes, std::uint64_t fileSize, const std::string& path) {
    return Parse(bytes, fileSize, path, false);
}

PxHeader ParseIndexHeader(std::string_view bytes, std::uint64_t fileSize, const std::string& path) {
    return Parse(bytes, fileSize, path, true);
}

namespace {

PxHeader Parse(std::string_view bytes, std::uint64_t fileSize, const std::string& path,
               bool index) {
    if (!LooksLikeFile(bytes, index ? IsIndexType : IsTableType))
        Damaged(path, index ? "its header is not that of a Paradox index"
                            : "its header is not that of a Paradox table");
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    PxHeader header;
    header.recordSize = Le16(p);
    header.headerSize = Le16(p + 2);
    header.fileType = p[4];
    header.blockSize = static_cast<std::size_t>(p[5]) * 1024;
    header.recordCount = Le32(p + 6);
    header.fileBlocks = Le16(p + 0x0C);
    header.firstBlock = Le16(p + 0x0E);
    header.versionId = p[0x39];
    const std::uint16_t fieldCount = Le16(p + 0x21);
    header.keyFields = Le16(p + 0x23);
    const bool extended = HasExtendedHeader(header.versionId, header.fileType);
    const std::size_t fieldsAt = extended ? kExtendedHeader : kBaseHeader;
    if (header.headerSize > bytes.size() || header.headerSize > fileSize)
        Damaged(path, "the file ends inside its header");
    if (header.headerSize < fieldsAt)
        Damaged(path, "its header is too short");
    if (extended) {
        header.encryption = Le32(p + 0x5C);
        header.codePage = Le16(p + 0x6A);
    } else {
        header.encryption = Le32(p + 0x25);
    }
    if (fieldCount == 0 || header.keyFields > fieldCount)
        Damaged(path, "its header gives " + std::to_string(fieldCount) + " fields");
    if (header.recordSize > header.blockSize - 6)
        Damaged(path, "a record is larger than a block");

    const std::size_t nameLength = header.versionId >= kFirst70Version ? 261 : 79;
    std::size_t at = fieldsAt + 2u * fieldCount + 4 + 4u * fieldCount + nameLength;
    if (at > header.headerSize)
        Damaged(path, "its field list does not fit its header");
    std::string codePageName = header.codePage == 0 ? "OEM" : std::to_string(header.codePage);
    std::unique_ptr<base::CodePage> codePage;
    try {
        codePage = std::make_unique<base::CodePage>(codePageName);
    } catch (const std::invalid_argument&) {
        codePage = std::make_unique<base::CodePage>("OEM");
    }
    std::size_t offset = 0;
    for (std::uint16_t i = 0; i < fieldCount; ++i) {
        PxField field;
        field.type = p[fieldsAt + 2u * i];
        field.size = p[fieldsAt + 2u * i + 1];
        field.length = FieldLength(field.type, field.size);
        if (field.length == 0) {
            Damaged(path, "field " + std::to_string(i + 1) + " has the unknown type " +
                              std::to_string(field.type) + " or size " +
                              std::to_string(field.size));
        }
        field.offset = offset;
        offset += field.length;
        const std::size_t end = bytes.find('\0', at);
        if (end == std::string_view::npos || end >= header.headerSize)
            Damaged(path, "the name of field " + std::to_string(i + 1) + " is cut off");
        field.name = codePage->Decode(bytes.substr(at, end - at));
        at = end + 1;
        header.fields.push_back(std::move(field));
    }
    if (offset != header.recordSize) {
        Damaged(path, "its fields take " + std::to_string(offset) + " bytes but its records " +
                          std::to_string(header.recordSize));
    }
    // A composite index names itself after the field numbers and the sort order.
    if (index && (header.fileType == 6 || header.fileType == 8) && extended) {
        at += 2u * fieldCount;
        const std::size_t sortEnd = bytes.find('\0', at);
        if (sortEnd != std::string_view::npos && sortEnd + 1 < header.headerSize) {
            const std::size_t nameEnd = bytes.find('\0', sortEnd + 1);
            if (nameEnd != std::string_view::npos && nameEnd < header.headerSize)
                header.indexName =
                    codePage->Decode(bytes.substr(sortEnd + 1, nameEnd - sortEnd - 1));
        }
    }
    return header;
}

}  // namespace

}  // namespace tessel::db::paradox
