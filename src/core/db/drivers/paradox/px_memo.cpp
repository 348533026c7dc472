#include "core/db/drivers/paradox/px_memo.h"

#include <filesystem>

#include "core/base/text.h"
#include "core/db/drivers/paradox/px_bytes.h"
#include "core/db/drivers/paradox/px_crypt.h"
#include "core/db/errors.h"

namespace tessel::db::paradox {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPointer = 10;
constexpr std::size_t kChunk = 4096;
constexpr std::uint8_t kSingleBlock = 2;
constexpr std::uint8_t kSharedBlock = 3;
constexpr std::uint32_t kWholeBlockSlot = 0xFF;
constexpr std::size_t kSlotsAt = 12;
constexpr std::size_t kSlotSize = 5;
constexpr std::size_t kSingleHeader = 9;
constexpr std::size_t kGraphicPrefix = 8;

}  // namespace

std::string MemoFileOf(const std::string& tablePath) {
    const fs::path table(tablePath);
    std::error_code error;
    const std::string stem = base::UpperAscii(table.stem().string());
    for (const auto& entry : fs::directory_iterator(table.parent_path(), error)) {
        const fs::path& candidate = entry.path();
        if (base::UpperAscii(candidate.stem().string()) == stem &&
            base::UpperAscii(candidate.extension().string()) == ".MB")
            return candidate.string();
    }
    return "";
}

PxMemoFile::PxMemoFile(std::string path, std::string tablePath, std::uint32_t key)
    : path_(std::move(path)), tablePath_(std::move(tablePath)), key_(key) {}

void PxMemoFile::Damaged(const std::string& why) const {
    throw EngineError(err::kUnreadableDatabase, "The memo file '" + path_ +
                                                    "' of the Paradox table '" + tablePath_ +
                                                    "' cannot be read: " + why + ".");
}

std::optional<std::string> PxMemoFile::Read(const PxField& field, const unsigned char* bytes) {
    const std::size_t leader = field.length - kPointer;
    const unsigned char* pointer = bytes + leader;
    const std::uint32_t offset = Le32(pointer);
    const std::uint32_t length = Le32(pointer + 4);
    if (length == 0)
        return std::nullopt;
    std::string value;
    if (length <= leader && offset == 0) {
        value.assign(reinterpret_cast<const char*>(bytes), length);
    } else {
        value = Stored(offset, length);
    }
    if (field.type == ptype::kGraphic)
        value.erase(0, std::min(value.size(), kGraphicPrefix));
    return value;
}

std::string PxMemoFile::Stored(std::uint32_t offset, std::uint32_t length) {
    if (path_.empty()) {
        throw EngineError(err::kUnreadableDatabase,
                          "The Paradox table '" + tablePath_ +
                              "' has memo or blob values but its memo file (.mb) is missing.");
    }
    if (!file_)
        file_ = std::make_unique<dbf::FileHandle>(path_);
    const std::uint64_t blockAt = offset & ~std::uint32_t{0xFF};
    const std::uint32_t slot = offset & 0xFF;
    const std::uint64_t size = file_->Size();
    if (blockAt == 0 || blockAt + kChunk > size)
        Damaged("a value points to offset " + std::to_string(offset) + " outside the file");
    if (blockAt != blockAt_) {
        file_->ReadInto(blockAt, kChunk, block_);
        blockAt_ = blockAt;
        const auto* head = reinterpret_cast<const unsigned char*>(block_.data());
        // A block of several chunks is read whole, so that it is unscrambled as one.
        const std::size_t chunks = Le16(head + 1);
        if (head[0] == kSingleBlock && key_ == 0 && chunks > 1) {
            if (blockAt + chunks * kChunk > size)
                Damaged("a block at offset " + std::to_string(blockAt) + " runs past the end");
            file_->ReadInto(blockAt, chunks * kChunk, block_);
        }
        if (key_ != 0) {
            DecryptMemoBlock(reinterpret_cast<unsigned char*>(block_.data()), block_.size(), key_);
            const auto* plain = reinterpret_cast<const unsigned char*>(block_.data());
            const std::size_t plainChunks = Le16(plain + 1);
            if (plain[0] == kSingleBlock && plainChunks > 1) {
                if (blockAt + plainChunks * kChunk > size)
                    Damaged("a block at offset " + std::to_string(blockAt) + " runs past the end");
                file_->ReadInto(blockAt, plainChunks * kChunk, block_);
                DecryptMemoBlock(reinterpret_cast<unsigned char*>(block_.data()), block_.size(),
                                 key_);
            }
        }
    }
    const auto* head = reinterpret_cast<const unsigned char*>(block_.data());
    if (slot == kWholeBlockSlot) {
        if (head[0] != kSingleBlock)
            Damaged("the block at offset " + std::to_string(blockAt) + " is not a value's block");
        if (kSingleHeader + static_cast<std::uint64_t>(length) > block_.size())
            Damaged("a value of " + std::to_string(length) + " bytes runs past its block");
        return block_.substr(kSingleHeader, length);
    }
    if (head[0] != kSharedBlock)
        Damaged("the block at offset " + std::to_string(blockAt) + " is not a block of values");
    const std::size_t entry = kSlotsAt + slot * kSlotSize;
    if (entry + kSlotSize > block_.size())
        Damaged("slot " + std::to_string(slot) + " is outside its block");
    const unsigned char* e = head + entry;
    const std::size_t start = static_cast<std::size_t>(e[0]) * 16;
    const std::size_t stored = e[1] == 0 ? 0 : (static_cast<std::size_t>(e[1]) - 1) * 16 + e[4];
    if (start == 0 || stored != length || start + stored > block_.size())
        Damaged("slot " + std::to_string(slot) + " of the block at offset " +
                std::to_string(blockAt) + " does not hold the value its record points to");
    return block_.substr(start, stored);
}

}  // namespace tessel::db::paradox
