#include "core/db/drivers/dbf/dbf_table.h"

#include <filesystem>
#include <limits>

#include "core/base/text.h"
#include "core/db/drivers/dbf/dbf_bytes.h"
#include "core/db/drivers/dbf/dbf_index_tags.h"
#include "core/db/drivers/dbf/dbf_schema.h"
#include "core/db/drivers/dbf/dbf_values.h"
#include "core/db/names.h"

namespace tessel::db::dbf {
namespace {

constexpr std::uint32_t kDbaseIIHeader = 521;
constexpr std::size_t kDescriptorSize = 32;
constexpr char kEndOfFile = 0x1A;

TableHeader ReadHeader(const FileHandle& file) {
    const std::uint64_t size = file.Size();
    std::string bytes = file.ReadAt(0, kHeaderProbe);
    std::uint64_t length = kDbaseIIHeader;
    if (bytes.size() >= 12 && bytes[0] != 0x02)
        length = ReadLe(bytes, 8, 2);
    if (length > bytes.size())
        bytes = file.ReadAt(0, static_cast<std::size_t>(std::min(length, size)));
    return ParseHeader(bytes, size, file.Path());
}

}  // namespace

std::string MemoPathOf(const std::string& path, MemoKind kind) {
    const std::string extension = kind == MemoKind::Fpt ? ".fpt" : ".dbt";
    const std::filesystem::path table(path);
    const std::string own = table.extension().string();
    const bool upper = !own.empty() && own[1] >= 'A' && own[1] <= 'Z';
    const std::string first = upper ? base::UpperAscii(extension) : extension;
    const std::string second = upper ? extension : base::UpperAscii(extension);
    std::filesystem::path candidate = table;
    candidate.replace_extension(first);
    std::error_code ignored;
    if (std::filesystem::exists(candidate, ignored))
        return candidate.string();
    std::filesystem::path other = table;
    other.replace_extension(second);
    if (std::filesystem::exists(other, ignored))
        return other.string();
    return candidate.string();
}

namespace {

MemoKind MemoKindFor(const TableHeader& header) {
    const MemoKind kind = MemoKindOf(header.version);
    if (kind != MemoKind::None)
        return kind;
    return IsVisualFoxPro(header.version) ? MemoKind::Fpt : MemoKind::Dbt3;
}

// Names that the table holds twice (other tools write them) get a number, so that every
// column can be named in a statement.
std::string UniqueName(const std::vector<FieldInfo>& columns, const std::string& name) {
    std::string candidate = name;
    for (int number = 2;; ++number) {
        bool taken = false;
        for (const auto& column : columns)
            taken = taken || SameName(column.name, candidate);
        if (!taken)
            return candidate;
        candidate = name + "_" + std::to_string(number);
    }
}

}  // namespace

DbfTable::DbfTable(std::string path, std::string name)
    : name_(std::move(name)),
      file_(std::move(path)),
      header_(ReadHeader(file_)),
      codec_(header_.languageDriver),
      writtenCount_(header_.recordCount) {
    bool hasMemo = false;
    for (std::size_t i = 0; i < header_.fields.size(); ++i) {
        const auto& field = header_.fields[i];
        if (static_cast<int>(i) == header_.nullFlagsField || field.type == '0')
            continue;
        hasMemo = hasMemo || IsMemoType(header_, field);
        columns_.push_back(
            FieldInfoOf(header_, field, UniqueName(columns_, codec_.Decode(field.name))));
        stored_.push_back(i);
    }
    if (hasMemo) {
        const MemoKind kind = MemoKindFor(header_);
        memo_ = std::make_unique<MemoFile>(kind, MemoPathOf(Path(), kind));
    }
    NoteState();
}

std::string DbfTable::MemoPath() const {
    return memo_ ? memo_->Path() : std::string();
}

std::uint64_t DbfTable::OffsetOf(std::uint32_t index) const {
    return header_.headerLength + static_cast<std::uint64_t>(index) * header_.recordLength;
}

void DbfTable::ReadRecords(std::uint32_t first, std::uint32_t count, std::string& buffer) const {
    const std::size_t wanted = static_cast<std::size_t>(count) * header_.recordLength;
    file_.ReadInto(OffsetOf(first), wanted, buffer);
    if (buffer.size() != wanted) {
        throw EngineError(err::kUnreadableDatabase,
                          "The table '" + Path() + "' is damaged: it ends before its record " +
                              std::to_string(first + 1 + buffer.size() / header_.recordLength) +
                              ".");
    }
}

Value DbfTable::Get(std::string_view record, std::size_t column) {
    const auto& field = header_.fields[stored_.at(column)];
    if (!IsMemoType(header_, field))
        return DecodeField(record, header_, field, codec_);
    if (NullFlag(record, header_, field.nullBit))
        return std::monostate{};
    const auto block = MemoBlockOf(record, field);
    if (!block || !memo_)
        return std::monostate{};
    auto bytes = memo_->Read(*block);
    if (!bytes)
        return std::monostate{};
    if (field.type == 'M' && (field.flags & fieldflag::kBinary) == 0)
        return codec_.Decode(*bytes);
    return std::move(*bytes);
}

void DbfTable::CheckWritable() const {
    if (!IsWritable(header_)) {
        throw EngineError(err::kReadOnly, "The table '" + Path() +
                                              "' is in a dBase II or dBase 7 format, which this "
                                              "program reads but does not write.");
    }
    if (!file_.Writable())
        throw EngineError(err::kReadOnly, "The table '" + Path() + "' is read-only.");
    // The programs that made an index file trust it to match the table; this program cannot
    // keep one up to date, so a change would leave their index wrong.
    // Looked for once per opening: a write of many rows must not list the directory each time.
    if (!indexFiles_)
        indexFiles_ = IndexFilesOf(Path());
    if (!indexFiles_->empty()) {
        throw EngineError(err::kReadOnly,
                          "The table '" + Path() + "' cannot be changed: its index file '" +
                              indexFiles_->front() +
                              "' would no longer match it, and this program cannot update dBase "
                              "or FoxPro index files. Change the table in the program that made "
                              "it, or copy its rows into a new table with CREATE TABLE and "
                              "INSERT INTO ... SELECT and change that one.");
    }
}

std::string DbfTable::RecordAt(RowId id) const {
    if (id < 1 || id > header_.recordCount) {
        throw EngineError(err::kItemNotFound,
                          "The table '" + name_ + "' has no record " + std::to_string(id) + ".");
    }
    std::string record;
    ReadRecords(static_cast<std::uint32_t>(id - 1), 1, record);
    return record;
}

void DbfTable::EncodeRow(std::string& record, const std::string& old, const Row& row,
                         UndoLog& undo) {
    if (row.size() != columns_.size()) {
        throw EngineError(err::kInvalidArgument, "A row for the table '" + name_ + "' needs " +
                                                     std::to_string(columns_.size()) + " values.");
    }
    for (std::size_t column = 0; column < row.size(); ++column) {
        const auto& field = header_.fields[stored_[column]];
        const Value& value = row[column];
        if (!IsMemoType(header_, field)) {
            EncodeField(record, header_, field, codec_, value, name_);
            continue;
        }
        if (!old.empty() && Get(old, column) == value)
            continue;
        const bool null = std::holds_alternative<std::monostate>(value);
        SetNullFlag(record, header_, field.nullBit, null);
        if (null) {
            PutMemoBlock(record, field, std::nullopt);
            continue;
        }
        std::string bytes;
        if (const auto* text = std::get_if<std::string>(&value))
            bytes = *text;
        else
            bytes = ValueToText(value);
        const bool text = field.type == 'M' && (field.flags & fieldflag::kBinary) == 0;
        if (text) {
            auto stored = codec_.Encode(bytes);
            if (!stored) {
                throw EngineError(err::kDataTypeMismatch,
                                  "The value for the field '" + field.name + "' of the table '" +
                                      name_ +
                                      "' has a character that the table's code page cannot hold.");
            }
            bytes = std::move(*stored);
        }
        if (!memo_ || !memo_->Present()) {
            throw EngineError(err::kFileMissing, "The memo file of the table '" + name_ + "' (" +
                                                     MemoPath() + ") is missing, so the field '" +
                                                     field.name + "' cannot be written.");
        }
        PutMemoBlock(record, field, memo_->Append(bytes, text, undo));
    }
}

RowId DbfTable::Append(const Row& given, UndoLog& undo) {
    CheckWritable();
    if (header_.recordCount == std::numeric_limits<std::uint32_t>::max())
        throw EngineError(err::kDiskFull, "The table '" + name_ + "' is full.");
    std::vector<std::uint32_t> autoNext;
    for (const auto& field : header_.fields)
        autoNext.push_back(field.autoNext);
    Row row = given;
    for (std::size_t column = 0; column < row.size() && column < stored_.size(); ++column) {
        auto& field = header_.fields[stored_[column]];
        if ((field.flags & fieldflag::kAutoIncrement) != 0 &&
            std::holds_alternative<std::monostate>(row[column])) {
            row[column] = static_cast<std::int64_t>(static_cast<std::int32_t>(field.autoNext));
            field.autoNext += field.autoStep == 0 ? 1 : field.autoStep;
            descriptorsChanged_ = true;
        }
    }
    const std::uint32_t oldCount = header_.recordCount;
    undo.Add([this, autoNext] {
        for (std::size_t i = 0; i < header_.fields.size() && i < autoNext.size(); ++i)
            header_.fields[i].autoNext = autoNext[i];
    });
    std::string record = BlankRecord(header_);
    EncodeRow(record, std::string(), row, undo);
    const std::uint64_t at = OffsetOf(oldCount);
    const std::uint64_t oldSize = file_.Size();
    const std::string replaced = at < oldSize ? file_.ReadAt(at, record.size() + 1) : "";
    undo.Add([this, at, oldSize, replaced, oldCount] {
        if (!replaced.empty())
            file_.WriteAt(at, replaced);
        file_.Truncate(oldSize);
        header_.recordCount = oldCount;
    });
    record += kEndOfFile;
    file_.WriteAt(at, record);
    header_.recordCount = oldCount + 1;
    return static_cast<RowId>(oldCount) + 1;
}

void DbfTable::Rewrite(RowId id, const Row& row, UndoLog& undo) {
    CheckWritable();
    const std::string old = RecordAt(id);
    std::string record = old;
    EncodeRow(record, old, row, undo);
    if (record == old)
        return;
    const std::uint64_t at = OffsetOf(static_cast<std::uint32_t>(id - 1));
    undo.Add([this, at, old] { file_.WriteAt(at, old); });
    file_.WriteAt(at, record);
}

void DbfTable::MarkDeleted(RowId id, UndoLog& undo) {
    CheckWritable();
    const std::string old = RecordAt(id);
    if (IsDeleted(old))
        return;
    const std::uint64_t at = OffsetOf(static_cast<std::uint32_t>(id - 1));
    const char flag = old[0];
    undo.Add([this, at, flag] { file_.WriteAt(at, std::string(1, flag)); });
    file_.WriteAt(at, "*");
}

void DbfTable::WriteHeader(UndoLog& undo) {
    if (memo_)
        memo_->WriteHeader(undo);
    if (header_.recordCount == writtenCount_ && !descriptorsChanged_)
        return;
    const std::string old = file_.ReadAt(0, header_.headerLength);
    std::string bytes = old;
    TableHeader dated = header_;
    StampToday(dated);
    // Only the date and the count: the other bytes belong to other programs (index and
    // transaction flags) and stay as they are.
    bytes.replace(1, 7, SerializeMainHeader(dated).substr(1, 7));
    if (descriptorsChanged_) {
        for (std::size_t i = 0; i < header_.fields.size(); ++i) {
            const std::size_t at = kDescriptorSize * (i + 1);
            if (at + kDescriptorSize <= bytes.size())
                WriteLe(bytes, at + 19, header_.fields[i].autoNext, 4);
        }
    }
    const std::uint32_t oldWritten = writtenCount_;
    const bool oldDescriptors = descriptorsChanged_;
    undo.Add([this, old, oldWritten, oldDescriptors] {
        file_.WriteAt(0, old);
        writtenCount_ = oldWritten;
        descriptorsChanged_ = oldDescriptors;
    });
    file_.WriteAt(0, bytes);
    writtenCount_ = header_.recordCount;
    descriptorsChanged_ = false;
}

void DbfTable::Sync() {
    file_.Sync();
    if (memo_)
        memo_->Sync();
}

}  // namespace tessel::db::dbf
