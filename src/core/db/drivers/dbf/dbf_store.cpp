#include "core/db/drivers/dbf/dbf_store.h"

#include <algorithm>
#include <filesystem>

#include "core/base/atomic_file.h"
#include "core/base/text.h"
#include "core/db/drivers/dbf/dbf_index_tags.h"
#include "core/db/drivers/dbf/dbf_scan.h"
#include "core/db/drivers/dbf/dbf_schema.h"
#include "core/db/drivers/dbf/dbf_values.h"
#include "core/db/names.h"
#include "core/db/system_error.h"

namespace tessel::db::dbf {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRewriteBytes = 256 * 1024;
constexpr const char* kTableExtension = ".dbf";
// Files that belong to a table by its name: memo files and index files.
constexpr const char* kCompanions[] = {".dbt", ".fpt", ".mdx", ".cdx", ".ndx"};

std::string Key(const std::string& table) {
    return base::UpperAscii(table);
}

bool IsCompanion(const fs::path& path) {
    const std::string extension = base::LowerAscii(path.extension().string());
    return std::any_of(std::begin(kCompanions), std::end(kCompanions),
                       [&](const char* own) { return extension == own; });
}

// The memo and index files beside the table file `path`.
std::vector<fs::path> CompanionsOf(const std::string& path) {
    std::vector<fs::path> found;
    const fs::path table(path);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(table.parent_path(), error)) {
        if (entry.path().stem() == table.stem() && IsCompanion(entry.path()))
            found.push_back(entry.path());
    }
    return found;
}

[[noreturn]] void NoIndexWriting(const std::string& table) {
    throw EngineError(err::kNotSupported,
                      "The table '" + table +
                          "' cannot get or lose an index: this program cannot write dBase or "
                          "FoxPro index files. The table stays usable without one.");
}

void CheckTableName(const std::string& table) {
    CheckObjectName(table);
    if (table.find('/') != std::string::npos) {
        throw EngineError(err::kInvalidName,
                          "'" + table + "' is not a valid table name: it holds a '/'.");
    }
}

void WriteNewFile(const std::string& path, const std::string& bytes) {
    try {
        base::AtomicFile file(path);
        file.Write(bytes);
        file.Commit(base::Replace::Never);
    } catch (const base::FileWriteError& error) {
        if (error.SystemError() == EEXIST)
            throw EngineError(err::kObjectExists, "The file '" + path + "' already exists.");
        throw FromWriteError(error, err::kReadOnly);
    }
}

}  // namespace

DbfStore::DbfStore(std::string directory, Family family, std::string connectVersion)
    : directory_(std::move(directory)),
      family_(family),
      connectVersion_(std::move(connectVersion)) {}

std::vector<DbfStore::TableFile> DbfStore::ListFiles() const {
    std::error_code error;
    fs::directory_iterator entries(directory_, error);
    if (error) {
        throw EngineError(
            SystemErrorNumber(error.value(), err::kFileMissing),
            "The directory '" + directory_ + "' cannot be read: " + error.message() + ".");
    }
    std::vector<TableFile> files;
    for (const auto& entry : entries) {
        std::error_code ignored;
        if (!entry.is_regular_file(ignored))
            continue;
        const fs::path& path = entry.path();
        if (base::LowerAscii(path.extension().string()) != kTableExtension)
            continue;
        files.push_back({path.stem().string(), path.string()});
    }
    std::sort(files.begin(), files.end(),
              [](const TableFile& a, const TableFile& b) { return a.name < b.name; });
    return files;
}

DbfStore::TableFile DbfStore::FileOf(const std::string& table, long missing) const {
    for (auto& file : ListFiles()) {
        if (SameName(file.name, table))
            return file;
    }
    throw EngineError(missing,
                      "The directory '" + directory_ + "' holds no table '" + table + "'.");
}

std::shared_ptr<DbfTable> DbfStore::Open(const std::string& table) {
    const auto found = open_.find(Key(table));
    if (found != open_.end())
        return found->second;
    const TableFile file = FileOf(table, err::kItemNotFound);
    auto opened = std::make_shared<DbfTable>(file.path, file.name);
    open_[Key(table)] = opened;
    return opened;
}

void DbfStore::Forget(const std::string& table) {
    open_.erase(Key(table));
}

// The newest version that any table's version byte gives; with no table, the connect text's.
std::string DbfStore::Version() {
    std::string version;
    for (const auto& file : ListFiles()) {
        try {
            const std::string first = FileHandle(file.path).ReadAt(0, 1);
            if (!first.empty()) {
                version = std::max(version, VersionOfTable(static_cast<std::uint8_t>(first[0]),
                                                           family_, connectVersion_));
            }
        } catch (const EngineError&) {
            // An unreadable table says nothing about the version.
        }
    }
    return version.empty() ? connectVersion_ : version;
}

std::vector<std::string> DbfStore::Tables() {
    std::vector<std::string> tables;
    for (const auto& file : ListFiles()) {
        try {
            Open(file.name);
            tables.push_back(file.name);
        } catch (const EngineError&) {
            // Damaged: left out so that the others stay usable; Columns names the cause.
        }
    }
    return tables;
}

std::optional<EngineError> DbfStore::WhyNotListed(const std::string& table) {
    for (const auto& file : ListFiles()) {
        if (!SameName(file.name, table))
            continue;
        try {
            Open(file.name);
        } catch (const EngineError& damaged) {
            return damaged;
        }
    }
    return std::nullopt;
}

std::vector<FieldInfo> DbfStore::Columns(const std::string& table) {
    return Open(table)->Columns();
}

std::vector<IndexInfo> DbfStore::Indexes(const std::string& table) {
    const auto opened = Open(table);
    return ReadIndexTags(opened->Path(), opened->Columns());
}

FilterUse DbfStore::Filter(const std::string&, std::size_t, CompareOp) {
    return FilterUse::Ignore;
}

std::unique_ptr<TableScan> DbfStore::Scan(const std::string& table,
                                          const std::vector<ScanConstraint>&) {
    return std::make_unique<DbfScan>(Open(table));
}

void DbfStore::Touch(const std::shared_ptr<DbfTable>& table) {
    if (std::find(touched_.begin(), touched_.end(), table) == touched_.end())
        touched_.push_back(table);
}

template <typename Change>
auto DbfStore::Changing(const std::string& table, Change change) {
    const auto apply = [&] {
        const auto opened = Open(table);
        Touch(opened);
        return change(*opened);
    };
    if (inTransaction_)
        return apply();
    Begin();
    try {
        auto result = apply();
        Sync();
        Commit();
        return result;
    } catch (...) {
        Rollback();
        throw;
    }
}

RowId DbfStore::Insert(const std::string& table, const Row& row) {
    return Changing(table, [&](DbfTable& opened) { return opened.Append(row, undo_); });
}

void DbfStore::Update(const std::string& table, RowId id, const Row& row) {
    Changing(table, [&](DbfTable& opened) {
        opened.Rewrite(id, row, undo_);
        return id;
    });
}

void DbfStore::Delete(const std::string& table, RowId id) {
    Changing(table, [&](DbfTable& opened) {
        opened.MarkDeleted(id, undo_);
        return id;
    });
}

void DbfStore::CreateTable(const std::string& table, const std::vector<FieldInfo>& fields,
                           const std::vector<IndexInfo>& indexes) {
    CheckTableName(table);
    for (const auto& file : ListFiles()) {
        if (SameName(file.name, table))
            throw EngineError(err::kObjectExists, "The table '" + table + "' already exists.");
    }
    if (!indexes.empty()) {
        throw EngineError(err::kNotSupported,
                          "The table '" + table +
                              "' was not created: this program cannot write dBase or FoxPro "
                              "index files, so it cannot keep a PRIMARY KEY or UNIQUE "
                              "constraint. Create the table without them.");
    }
    const TableHeader header = NewTableHeader(FormatOf(family_, connectVersion_), table, fields);
    const std::string path = (fs::path(directory_) / (table + kTableExtension)).string();
    const MemoKind memo = MemoKindOf(header.version);
    std::string memoPath;
    if (memo != MemoKind::None) {
        memoPath = MemoPathOf(path, memo);
        WriteNewFile(memoPath, MemoFile::EmptyFile(memo));
    }
    try {
        WriteNewFile(path, SerializeHeader(header) + '\x1A');
    } catch (...) {
        if (!memoPath.empty())
            std::remove(memoPath.c_str());
        throw;
    }
    Forget(table);
}

void DbfStore::DropTable(const std::string& table) {
    const TableFile file = FileOf(table, err::kNoSuchTable);
    Forget(table);
    std::error_code error;
    if (!fs::remove(file.path, error) || error) {
        throw EngineError(
            SystemErrorNumber(error.value(), err::kReadOnly),
            "The table file '" + file.path + "' could not be removed: " + error.message() + ".");
    }
    for (const auto& companion : CompanionsOf(file.path))
        fs::remove(companion, error);
}

void DbfStore::RenameTable(const std::string& from, const std::string& to) {
    CheckTableName(to);
    const TableFile file = FileOf(from, err::kItemNotFound);
    for (const auto& other : ListFiles()) {
        if (SameName(other.name, to) && !SameName(other.name, from))
            throw EngineError(err::kObjectExists, "The table '" + to + "' already exists.");
    }
    Forget(from);
    const fs::path source(file.path);
    std::vector<std::pair<fs::path, fs::path>> moves{
        {source, source.parent_path() / (to + source.extension().string())}};
    for (const auto& companion : CompanionsOf(file.path))
        moves.emplace_back(companion, source.parent_path() / (to + companion.extension().string()));
    for (std::size_t i = 0; i < moves.size(); ++i) {
        std::error_code error;
        fs::rename(moves[i].first, moves[i].second, error);
        if (error) {
            for (std::size_t k = i; k-- > 0;)
                fs::rename(moves[k].second, moves[k].first, error);
            throw EngineError(
                SystemErrorNumber(error.value(), err::kReadOnly),
                "The table '" + from + "' could not be renamed: " + error.message() + ".");
        }
    }
}

void DbfStore::RewriteWith(const std::shared_ptr<DbfTable>& table, TableHeader header,
                           const std::vector<int>& sources) {
    const TableHeader& old = table->Header();
    LayOut(header);
    if (header.recordLength > 0xFFFF) {
        throw EngineError(err::kInvalidArgument, "The records of the table '" + table->Name() +
                                                     "' would be longer than 65535 bytes.");
    }
    header.recordCount = old.recordCount;
    StampToday(header);
    try {
        base::AtomicFile out(table->Path());
        out.Write(SerializeHeader(header));
        const std::uint32_t batch = std::max<std::uint32_t>(1, kRewriteBytes / old.recordLength);
        std::string buffer;
        std::string chunk;
        for (std::uint32_t first = 0; first < old.recordCount; first += batch) {
            const std::uint32_t count = std::min(batch, old.recordCount - first);
            table->ReadRecords(first, count, buffer);
            chunk.clear();
            for (std::uint32_t k = 0; k < count; ++k) {
                const std::string_view record(buffer.data() + k * old.recordLength,
                                              old.recordLength);
                std::string copy = BlankRecord(header);
                copy[0] = record[0];
                for (std::size_t i = 0; i < sources.size(); ++i) {
                    if (sources[i] < 0)
                        continue;
                    const auto& from = old.fields[sources[i]];
                    const auto& to = header.fields[i];
                    copy.replace(to.offset, to.length, record.substr(from.offset, from.length));
                    SetNullFlag(copy, header, to.nullBit, NullFlag(record, old, from.nullBit));
                    SetNullFlag(copy, header, to.lengthBit, NullFlag(record, old, from.lengthBit));
                }
                chunk += copy;
            }
            out.Write(chunk);
        }
        out.Write("\x1A");
        out.Commit();
    } catch (const base::FileWriteError& error) {
        throw FromWriteError(error, err::kReadOnly);
    }
    Forget(table->Name());
}

void DbfStore::AddColumn(const std::string& table, const FieldInfo& field) {
    const auto opened = Open(table);
    const TableHeader& old = opened->Header();
    opened->CheckWritable();
    for (const auto& column : opened->Columns()) {
        if (SameName(column.name, field.name))
            throw EngineError(err::kFieldExists, "The table '" + table + "' already has a field '" +
                                                     field.name + "'.");
    }
    const Format format = FormatOfTable(old.version, family_, connectVersion_);
    TextCodec codec(old.languageDriver);
    FieldDescriptor added = StoredField(format, table, field, StoredName(table, field.name, codec));
    if (format == Format::VisualFoxPro && !field.required &&
        (added.flags & fieldflag::kAutoIncrement) == 0)
        added.flags |= fieldflag::kNullable;
    TableHeader header = old;
    header.fields.clear();
    std::vector<int> sources;
    for (std::size_t i = 0; i < old.fields.size(); ++i) {
        if (static_cast<int>(i) == old.nullFlagsField)
            continue;
        header.fields.push_back(old.fields[i]);
        sources.push_back(static_cast<int>(i));
    }
    header.fields.push_back(added);
    sources.push_back(-1);
    if (IsMemoType(header, added)) {
        header.version = VersionWithMemo(old.version, format);
        if (format == Format::VisualFoxPro)
            header.tableFlags |= 0x02;
        const MemoKind kind = MemoKindOf(header.version);
        const std::string memoPath = MemoPathOf(opened->Path(), kind);
        std::error_code ignored;
        if (kind != MemoKind::None && !fs::exists(memoPath, ignored))
            WriteNewFile(memoPath, MemoFile::EmptyFile(kind));
    }
    RewriteWith(opened, header, sources);
}

void DbfStore::DropColumn(const std::string& table, const std::string& column) {
    const auto opened = Open(table);
    const TableHeader& old = opened->Header();
    const auto& columns = opened->Columns();
    std::optional<std::size_t> dropped;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (SameName(columns[i].name, column))
            dropped = opened->StoredIndex(i);
    }
    if (!dropped) {
        throw EngineError(err::kItemNotFound,
                          "The table '" + table + "' has no field '" + column + "'.");
    }
    opened->CheckWritable();
    if (columns.size() == 1) {
        throw EngineError(err::kInvalidArgument, "The field '" + column +
                                                     "' is the last field of the table '" + table +
                                                     "'; drop the table instead.");
    }
    TableHeader header = old;
    header.fields.clear();
    std::vector<int> sources;
    for (std::size_t i = 0; i < old.fields.size(); ++i) {
        if (static_cast<int>(i) == old.nullFlagsField || i == *dropped)
            continue;
        header.fields.push_back(old.fields[i]);
        sources.push_back(static_cast<int>(i));
    }
    RewriteWith(opened, header, sources);
}

void DbfStore::CreateIndex(const std::string& table, const IndexInfo&) {
    NoIndexWriting(table);
}

void DbfStore::DropIndex(const std::string& table, const std::string&) {
    NoIndexWriting(table);
}

void DbfStore::Begin() {
    if (inTransaction_)
        return;
    // A table that another program changed since is read again.
    std::erase_if(open_, [](const auto& entry) { return !entry.second->Unchanged(); });
    inTransaction_ = true;
}

void DbfStore::Sync() {
    for (const auto& table : touched_)
        table->WriteHeader(undo_);
    for (const auto& table : touched_)
        table->Sync();
}

void DbfStore::Commit() {
    for (const auto& table : touched_)
        table->NoteState();
    inTransaction_ = false;
    undo_.Clear();
    savepoints_.clear();
    touched_.clear();
}

void DbfStore::Rollback() {
    inTransaction_ = false;
    savepoints_.clear();
    try {
        undo_.RollbackTo(0);
        for (const auto& table : touched_)
            table->NoteState();
    } catch (...) {
        undo_.Clear();
        touched_.clear();
        open_.clear();
        throw;
    }
    touched_.clear();
}

void DbfStore::Savepoint(int level) {
    savepoints_[level] = undo_.Mark();
}

void DbfStore::Release(int level) {
    savepoints_.erase(savepoints_.lower_bound(level), savepoints_.end());
}

void DbfStore::RollbackTo(int level) {
    const auto found = savepoints_.find(level);
    if (found == savepoints_.end())
        return;
    undo_.RollbackTo(found->second);
    savepoints_.erase(savepoints_.upper_bound(level), savepoints_.end());
}

}  // namespace tessel::db::dbf
