#include "core/db/drivers/paradox/px_table.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "core/base/text.h"
#include "core/db/drivers/paradox/px_bytes.h"
#include "core/db/drivers/paradox/px_crypt.h"
#include "core/db/drivers/paradox/px_values.h"
#include "core/db/errors.h"

namespace tessel::db::paradox {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLongestHeader = 0x10000;
constexpr std::size_t kBlockHead = 6;

std::unique_ptr<base::CodePage> CodePageOf(int number) {
    try {
        if (number != 0)
            return std::make_unique<base::CodePage>(std::to_string(number));
    } catch (const std::invalid_argument&) {
    }
    // Tables before 4.0 name no code page: they were written in the DOS one.
    return std::make_unique<base::CodePage>("OEM");
}

PxHeader ReadHeader(const dbf::FileHandle& file, std::uint64_t size, const std::string& path) {
    return ParseHeader(file.ReadAt(0, kLongestHeader), size, path);
}

// The secondary index files beside a table: .Xnn for one field, .XGn for several.
std::vector<std::string> SecondaryIndexFiles(const std::string& tablePath) {
    const fs::path table(tablePath);
    const std::string stem = base::UpperAscii(table.stem().string());
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(table.parent_path(), error)) {
        const fs::path& candidate = entry.path();
        const std::string extension = base::UpperAscii(candidate.extension().string());
        if (base::UpperAscii(candidate.stem().string()) == stem && extension.size() == 4 &&
            extension[1] == 'X' && std::isxdigit(static_cast<unsigned char>(extension[3])) &&
            (extension[2] == 'G' || std::isxdigit(static_cast<unsigned char>(extension[2]))))
            files.push_back(candidate.string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A secondary index as the tree shows it: its own name (a one-field index is named by its
// field) and the fields before the primary key's. An index file that cannot be read is left
// out: the table's rows do not depend on it.
std::optional<IndexInfo> ReadSecondaryIndex(const std::string& path, std::size_t keyFields) {
    try {
        dbf::FileHandle file(path);
        const PxHeader header = ParseIndexHeader(file.ReadAt(0, kLongestHeader), file.Size(), path);
        if (header.keyFields <= keyFields || header.keyFields > header.fields.size())
            return std::nullopt;
        IndexInfo index;
        const std::size_t count = header.keyFields - keyFields;
        for (std::size_t i = 0; i < count; ++i)
            index.fields += (i == 0 ? "+" : ";+") + header.fields[i].name;
        index.name = !header.indexName.empty() ? header.indexName
                     : count == 1              ? header.fields[0].name
                                               : fs::path(path).extension().string().substr(1);
        return index;
    } catch (const EngineError&) {
        return std::nullopt;
    }
}

}  // namespace

PxTable::PxTable(std::string path)
    : path_(std::move(path)),
      file_(path_),
      size_(file_.Size()),
      header_(ReadHeader(file_, size_, path_)),
      codePage_(CodePageOf(header_.codePage)),
      memo_(MemoFileOf(path_), path_, header_.encryption) {}

void PxTable::Damaged(const std::string& why) const {
    throw EngineError(err::kUnreadableDatabase,
                      "The Paradox table '" + path_ + "' cannot be read: " + why + ".");
}

std::vector<FieldInfo> PxTable::Fields() const {
    std::vector<FieldInfo> fields;
    for (std::size_t i = 0; i < header_.fields.size(); ++i) {
        FieldInfo info = FieldInfoOf(header_.fields[i]);
        info.required = i < header_.keyFields;
        fields.push_back(std::move(info));
    }
    return fields;
}

std::vector<IndexInfo> PxTable::Indexes() const {
    if (header_.fileType != 0 || header_.keyFields == 0)
        return {};
    IndexInfo primary;
    primary.name = "Primary";
    for (std::size_t i = 0; i < header_.keyFields; ++i)
        primary.fields += (i == 0 ? "+" : ";+") + header_.fields[i].name;
    primary.primary = true;
    primary.unique = true;
    primary.required = true;
    std::vector<IndexInfo> indexes{primary};
    for (const auto& path : SecondaryIndexFiles(path_)) {
        if (auto index = ReadSecondaryIndex(path, header_.keyFields))
            indexes.push_back(std::move(*index));
    }
    return indexes;
}

PxTable::Cursor::Cursor(std::shared_ptr<PxTable> table)
    : table_(std::move(table)),
      text_([table = table_.get()](std::string_view bytes) { return table->Text(bytes); }),
      visited_(table_->header_.fileBlocks + 1u, false) {}

bool PxTable::Cursor::LoadBlock(std::uint32_t number) {
    const PxHeader& header = table_->header_;
    if (number > header.fileBlocks)
        table_->Damaged("block " + std::to_string(number) + " is beyond its " +
                        std::to_string(header.fileBlocks) + " blocks");
    if (visited_[number])
        table_->Damaged("its chain of blocks returns to block " + std::to_string(number));
    visited_[number] = true;
    const std::uint64_t at =
        header.headerSize + static_cast<std::uint64_t>(number - 1) * header.blockSize;
    // Writers leave the last block short of its full size; the records it holds must be there.
    if (at + kBlockHead > table_->size_)
        table_->Damaged("the file ends before block " + std::to_string(number));
    const std::size_t present =
        static_cast<std::size_t>(std::min<std::uint64_t>(header.blockSize, table_->size_ - at));
    table_->file_.ReadInto(at, present, block_);
    block_.resize(header.blockSize, '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(block_.data());
    if (header.encryption != 0)
        DecryptTableBlock(bytes, block_.size(), header.encryption, number);
    next_ = Le16(bytes);
    const auto last = static_cast<std::int16_t>(Le16(bytes + 4));
    if (last < 0) {
        records_ = 0;
    } else {
        records_ = static_cast<std::size_t>(last) / header.recordSize + 1;
        if (static_cast<std::size_t>(last) % header.recordSize != 0 ||
            kBlockHead + records_ * header.recordSize > header.blockSize)
            table_->Damaged("block " + std::to_string(number) + " claims more records than " +
                            "it holds");
        if (kBlockHead + records_ * header.recordSize > present)
            table_->Damaged("the file ends inside block " + std::to_string(number));
    }
    index_ = 0;
    return true;
}

bool PxTable::Cursor::Next() {
    if (!started_) {
        started_ = true;
        const PxHeader& header = table_->header_;
        if (header.firstBlock == 0 || header.fileBlocks == 0)
            return false;
        LoadBlock(header.firstBlock);
    } else {
        ++index_;
    }
    while (index_ >= records_) {
        if (next_ == 0)
            return false;
        LoadBlock(next_);
    }
    return true;
}

const unsigned char* PxTable::Cursor::Record() const {
    return reinterpret_cast<const unsigned char*>(block_.data()) + kBlockHead +
           index_ * table_->header_.recordSize;
}

Value PxTable::Cursor::Get(std::size_t column) {
    const auto& fields = table_->header_.fields;
    if (column >= fields.size())
        return std::monostate{};
    const PxField& field = fields[column];
    const unsigned char* bytes = Record() + field.offset;
    switch (field.type) {
        case ptype::kMemo:
        case ptype::kFormattedMemo: {
            auto stored = table_->memo_.Read(field, bytes);
            if (!stored)
                return std::monostate{};
            return table_->Text(*stored);
        }
        case ptype::kBlob:
        case ptype::kOle:
        case ptype::kGraphic: {
            auto stored = table_->memo_.Read(field, bytes);
            if (!stored)
                return std::monostate{};
            return std::move(*stored);
        }
        default:
            return DecodeFixed(field, bytes, text_);
    }
}

}  // namespace tessel::db::paradox
