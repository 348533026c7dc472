#include "core/db/drivers/dbf/dbf_index_tags.h"

#include <algorithm>

#include <filesystem>
#include <set>

#include "core/base/text.h"
#include "core/db/drivers/dbf/dbf_bytes.h"
#include "core/db/drivers/dbf/dbf_io.h"
#include "core/db/names.h"

namespace tessel::db::dbf {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCdxNode = 512;
constexpr std::size_t kCdxHeader = 1024;
constexpr std::uint32_t kNoNode = 0xFFFFFFFFu;
constexpr int kMaxNodes = 4096;
constexpr std::uint8_t kCdxUnique = 0x01;
constexpr std::uint8_t kCdxCandidate = 0x04;
constexpr std::size_t kMdxTagTable = 544;
constexpr std::size_t kMdxTagEntry = 32;
constexpr std::size_t kMdxMaxTags = 48;
constexpr std::size_t kMdxBlock = 512;

struct Tag {
    std::string name;
    std::string expression;
    bool unique = false;
    bool descending = false;
};

std::string CText(std::string_view bytes) {
    return base::Trim(bytes.substr(0, bytes.find('\0')), " ");
}

// The keys of the compact leaf nodes of a compound index's tag of tags, each with its record
// number (the offset of the tag's header).
std::vector<std::pair<std::string, std::uint32_t>> CdxTagKeys(const FileHandle& file,
                                                              std::uint32_t root,
                                                              std::size_t keyLength) {
    std::vector<std::pair<std::string, std::uint32_t>> keys;
    std::uint32_t node = root;
    int visited = 0;
    // Down the leftmost children to the first leaf.
    while (visited++ < kMaxNodes) {
        const std::string bytes = file.ReadAt(node, kCdxNode);
        if (bytes.size() < kCdxNode)
            return keys;
        if ((ReadLe(bytes, 0, 2) & 0x02) != 0)
            break;
        if (ReadLe(bytes, 2, 2) == 0 || 12 + keyLength + 8 > kCdxNode)
            return keys;
        node = ReadBe(bytes, 12 + keyLength + 4, 4);
    }
    std::set<std::uint32_t> seen;
    while (node != kNoNode && visited++ < kMaxNodes && seen.insert(node).second) {
        const std::string bytes = file.ReadAt(node, kCdxNode);
        if (bytes.size() < kCdxNode)
            break;
        const std::size_t count = ReadLe(bytes, 2, 2);
        const unsigned recordBits = static_cast<unsigned char>(bytes[20]);
        const unsigned duplicateBits = static_cast<unsigned char>(bytes[21]);
        const unsigned trailingBits = static_cast<unsigned char>(bytes[22]);
        const std::size_t infoBytes = static_cast<unsigned char>(bytes[23]);
        if (infoBytes == 0 || infoBytes > 8 || recordBits + duplicateBits + trailingBits > 64 ||
            24 + count * infoBytes > kCdxNode)
            break;
        std::size_t end = kCdxNode;
        std::string previous(keyLength, ' ');
        for (std::size_t i = 0; i < count; ++i) {
            std::uint64_t info = 0;
            for (std::size_t b = infoBytes; b-- > 0;)
                info = (info << 8) | static_cast<unsigned char>(bytes[24 + i * infoBytes + b]);
            const auto bits = [&](unsigned from, unsigned width) {
                return width == 0 ? 0 : (info >> from) & ((std::uint64_t{1} << width) - 1);
            };
            const auto record = static_cast<std::uint32_t>(bits(0, recordBits));
            const std::size_t duplicate = bits(recordBits, duplicateBits);
            const std::size_t trailing = bits(recordBits + duplicateBits, trailingBits);
            if (duplicate + trailing > keyLength)
                return keys;
            const std::size_t fresh = keyLength - duplicate - trailing;
            if (fresh > end - (24 + count * infoBytes))
                return keys;
            end -= fresh;
            std::string key = previous.substr(0, duplicate) + bytes.substr(end, fresh) +
                              std::string(trailing, ' ');
            keys.emplace_back(key, record);
            previous = std::move(key);
        }
        node = ReadLe(bytes, 8, 4);
    }
    return keys;
}

std::vector<Tag> CdxTags(const std::string& path) {
    FileHandle file(path);
    const std::string header = file.ReadAt(0, kCdxHeader);
    if (header.size() < kCdxHeader)
        return {};
    const std::uint32_t root = ReadLe(header, 0, 4);
    const std::size_t keyLength = ReadLe(header, 12, 2);
    if (keyLength == 0 || keyLength > 240)
        return {};
    std::vector<Tag> tags;
    for (const auto& [key, offset] : CdxTagKeys(file, root, keyLength)) {
        const std::string tagHeader = file.ReadAt(offset, kCdxHeader);
        if (tagHeader.size() < kCdxHeader)
            continue;
        Tag tag;
        tag.name = CText(key);
        const auto options = static_cast<std::uint8_t>(tagHeader[14]);
        tag.unique = (options & (kCdxUnique | kCdxCandidate)) != 0;
        tag.descending = ReadLe(tagHeader, 502, 2) != 0;
        tag.expression = CText(std::string_view(tagHeader).substr(512));
        tags.push_back(tag);
    }
    return tags;
}

std::vector<Tag> MdxTags(const std::string& path) {
    FileHandle file(path);
    const std::string header = file.ReadAt(0, kMdxTagTable + kMdxTagEntry * kMdxMaxTags);
    if (header.size() < kMdxTagTable)
        return {};
    const std::size_t inUse = std::min<std::size_t>(ReadLe(header, 28, 1), kMdxMaxTags);
    std::vector<Tag> tags;
    for (std::size_t i = 0; i < inUse; ++i) {
        const std::size_t at = kMdxTagTable + i * kMdxTagEntry;
        if (at + kMdxTagEntry > header.size())
            break;
        const std::uint32_t page = ReadLe(header, at, 4);
        const std::string tagHeader =
            file.ReadAt(static_cast<std::uint64_t>(page) * kMdxBlock, 256);
        if (tagHeader.size() < 256)
            continue;
        Tag tag;
        tag.name = CText(std::string_view(header).substr(at + 4, 11));
        const auto format = static_cast<std::uint8_t>(tagHeader[8]);
        tag.descending = (format & 0x08) != 0;
        tag.unique = (format & 0x40) != 0;
        tag.expression = CText(std::string_view(tagHeader).substr(24, 220));
        tags.push_back(tag);
    }
    return tags;
}

Tag NdxTag(const std::string& path) {
    FileHandle file(path);
    const std::string header = file.ReadAt(0, kMdxBlock);
    Tag tag;
    tag.name = fs::path(path).stem().string();
    if (header.size() < kMdxBlock)
        return tag;
    tag.unique = header[23] != 0;
    tag.expression = CText(std::string_view(header).substr(24, 488));
    return tag;
}

}  // namespace

std::string FieldsOfExpression(const std::string& expression, const std::vector<FieldInfo>& columns,
                               bool descending) {
    std::string fields;
    std::size_t start = 0;
    while (start <= expression.size()) {
        auto end = expression.find('+', start);
        if (end == std::string::npos)
            end = expression.size();
        const std::string part = base::Trim(expression.substr(start, end - start), " ");
        const FieldInfo* found = nullptr;
        for (const auto& column : columns) {
            if (SameName(column.name, part))
                found = &column;
        }
        if (found == nullptr)
            return "";
        if (!fields.empty())
            fields += ';';
        fields += (descending ? "-" : "+") + found->name;
        start = end + 1;
    }
    return fields;
}

std::vector<std::string> IndexFilesOf(const std::string& tablePath) {
    const fs::path table(tablePath);
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(table.parent_path(), error)) {
        if (!SameName(entry.path().stem().string(), table.stem().string()))
            continue;
        const std::string extension = base::LowerAscii(entry.path().extension().string());
        if (extension == ".cdx" || extension == ".mdx" || extension == ".ndx")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<IndexInfo> ReadIndexTags(const std::string& tablePath,
                                     const std::vector<FieldInfo>& columns) {
    std::vector<IndexInfo> indexes;
    for (const auto& path : IndexFilesOf(tablePath)) {
        const std::string extension = base::LowerAscii(fs::path(path).extension().string());
        std::vector<Tag> tags;
        try {
            if (extension == ".cdx")
                tags = CdxTags(path);
            else if (extension == ".mdx")
                tags = MdxTags(path);
            else
                tags.push_back(NdxTag(path));
        } catch (const EngineError&) {
            continue;
        }
        for (const auto& tag : tags) {
            IndexInfo index;
            index.name = tag.name;
            index.fields = FieldsOfExpression(tag.expression, columns, tag.descending);
            index.unique = tag.unique;
            if (!index.name.empty() && !index.fields.empty())
                indexes.push_back(index);
        }
    }
    return indexes;
}

}  // namespace tessel::db::dbf
