#include "core/db/drivers/dbf/dbf_memo.h"

#include "core/db/drivers/dbf/dbf_bytes.h"
#include "core/db/errors.h"

namespace tessel::db::dbf {
namespace {

constexpr std::uint32_t kHeaderSize = 512;
constexpr std::uint32_t kFptBlockSize = 64;
constexpr std::size_t kReadChunk = 4096;
constexpr char kEndOfText = 0x1A;
constexpr std::string_view kDbt4Mark("\xFF\xFF\x08\x00", 4);

}  // namespace

MemoFile::MemoFile(MemoKind kind, const std::string& path) : kind_(kind), path_(path) {
    try {
        file_ = FileHandle(path);
    } catch (const EngineError& error) {
        if (error.Number() == err::kFileMissing)
            return;
        throw;
    }
    const std::string header = file_.ReadAt(0, kHeaderSize);
    if (header.size() < 8) {
        throw EngineError(err::kUnreadableDatabase,
                          "The memo file '" + path + "' is damaged: its header is cut short.");
    }
    if (kind == MemoKind::Fpt) {
        nextBlock_ = ReadBe(header, 0, 4);
        blockSize_ = ReadBe(header, 6, 2);
        if (blockSize_ == 0)
            blockSize_ = kFptBlockSize;
    } else {
        nextBlock_ = ReadLe(header, 0, 4);
        blockSize_ = kind == MemoKind::Dbt4 && header.size() >= 22 ? ReadLe(header, 20, 2) : 0;
        if (blockSize_ == 0)
            blockSize_ = kHeaderSize;
    }
    // The next block is never inside the header and never before the end of the file, whatever
    // the header says.
    const std::uint64_t end = (file_.Size() + blockSize_ - 1) / blockSize_;
    const std::uint32_t first = (kHeaderSize + blockSize_ - 1) / blockSize_;
    writtenNext_ = nextBlock_;
    nextBlock_ = static_cast<std::uint32_t>(
        std::max<std::uint64_t>({nextBlock_, first, std::min<std::uint64_t>(end, UINT32_MAX)}));
}

std::optional<std::string> MemoFile::Read(std::uint32_t block) const {
    if (!Present())
        return std::nullopt;
    const std::uint64_t start = static_cast<std::uint64_t>(block) * blockSize_;
    const std::uint64_t size = file_.Size();
    if (block == 0 || start >= size)
        return std::nullopt;
    const std::uint64_t left = size - start;
    if (kind_ == MemoKind::Fpt) {
        const std::string head = file_.ReadAt(start, 8);
        if (head.size() < 8)
            return std::nullopt;
        const std::uint64_t length = ReadBe(head, 4, 4);
        if (length > left - 8)
            return std::nullopt;
        return file_.ReadAt(start + 8, static_cast<std::size_t>(length));
    }
    if (kind_ == MemoKind::Dbt4) {
        const std::string head = file_.ReadAt(start, 8);
        if (head.size() == 8 && std::string_view(head).substr(0, 4) == kDbt4Mark) {
            const std::uint64_t length = ReadLe(head, 4, 4);
            if (length < 8 || length > left)
                return std::nullopt;
            return file_.ReadAt(start + 8, static_cast<std::size_t>(length - 8));
        }
    }
    // dBase III: the text runs to the first end-of-text mark (or the end of the file).
    std::string value;
    std::string chunk;
    for (std::uint64_t at = start; at < size; at += kReadChunk) {
        file_.ReadInto(at, kReadChunk, chunk);
        const auto end = chunk.find(kEndOfText);
        value.append(chunk, 0, end);
        if (end != std::string::npos || chunk.empty())
            break;
    }
    return value;
}

std::uint32_t MemoFile::Append(const std::string& bytes, bool text, UndoLog& undo) {
    if (!Present()) {
        throw EngineError(err::kFileMissing,
                          "The memo file '" + path_ +
                              "' is missing, so memo values of its table cannot be written.");
    }
    std::string stored;
    if (kind_ == MemoKind::Fpt) {
        stored.assign(8, '\0');
        WriteBe(stored, 0, text ? 1 : 0, 4);
        WriteBe(stored, 4, bytes.size(), 4);
        stored += bytes;
    } else if (kind_ == MemoKind::Dbt4) {
        stored.assign(kDbt4Mark);
        stored.append(4, '\0');
        WriteLe(stored, 4, bytes.size() + 8, 4);
        stored += bytes;
    } else {
        if (bytes.find(kEndOfText) != std::string::npos) {
            throw EngineError(err::kDataTypeMismatch,
                              "A memo value with the character 0x1A cannot be kept in the dBase "
                              "III memo file '" +
                                  path_ + "'.");
        }
        stored = bytes + std::string(2, kEndOfText);
    }
    const std::uint64_t blocks = (stored.size() + blockSize_ - 1) / blockSize_;
    if (nextBlock_ + blocks > UINT32_MAX) {
        throw EngineError(err::kDiskFull, "The memo file '" + path_ + "' is full.");
    }
    stored.resize(blocks * blockSize_, '\0');
    const std::uint32_t block = nextBlock_;
    const std::uint64_t oldSize = file_.Size();
    const std::uint32_t oldNext = nextBlock_;
    undo.Add([this, oldSize, oldNext] {
        file_.Truncate(oldSize);
        nextBlock_ = oldNext;
    });
    file_.WriteAt(static_cast<std::uint64_t>(block) * blockSize_, stored);
    nextBlock_ = static_cast<std::uint32_t>(block + blocks);
    return block;
}

void MemoFile::WriteHeader(UndoLog& undo) {
    if (!Present() || nextBlock_ == writtenNext_)
        return;
    std::string field(4, '\0');
    if (kind_ == MemoKind::Fpt)
        WriteBe(field, 0, nextBlock_, 4);
    else
        WriteLe(field, 0, nextBlock_, 4);
    const std::string old = file_.ReadAt(0, 4);
    const std::uint32_t oldWritten = writtenNext_;
    undo.Add([this, old, oldWritten] {
        file_.WriteAt(0, old);
        writtenNext_ = oldWritten;
    });
    file_.WriteAt(0, field);
    writtenNext_ = nextBlock_;
}

void MemoFile::Sync() {
    if (Present())
        file_.Sync();
}

std::string MemoFile::EmptyFile(MemoKind kind) {
    std::string header(kHeaderSize, '\0');
    if (kind == MemoKind::Fpt) {
        WriteBe(header, 0, kHeaderSize / kFptBlockSize, 4);
        WriteBe(header, 6, kFptBlockSize, 2);
    } else {
        WriteLe(header, 0, 1, 4);
        if (kind == MemoKind::Dbt4)
            WriteLe(header, 20, kHeaderSize, 2);
    }
    return header;
}

}  // namespace tessel::db::dbf
