#include "core/db/drivers/text/text_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/base/atomic_file.h"
#include "core/db/drivers/text/table_names.h"
#include "core/db/drivers/text/table_rows.h"
#include "core/db/names.h"

namespace tessel::db::text {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxIniBytes = std::size_t{16} << 20;

class TextScan : public TableScan {
  public:
    TextScan(const std::string& path, const TableDefinition& definition,
             std::shared_ptr<const TableChanges> changes)
        : rows_(path, definition, std::move(changes)), style_(StyleOf(rows_.Definition().format)) {}

    bool Next() override { return rows_.Next(); }
    RowId Id() const override { return rows_.Id(); }
    Value Get(std::size_t column) const override {
        const auto& fields = rows_.Definition().fields;
        const auto& texts = rows_.Fields();
        if (column >= fields.size() || column >= texts.size())
            return std::monostate{};
        return ReadValue(texts[column], fields[column].type, style_);
    }

  private:
    TableRows rows_;
    ValueStyle style_;  // points into rows_' definition, which does not move
};

[[noreturn]] void ThrowFileError(long number, const std::string& what, const std::string& path,
                                 const std::error_code& code) {
    throw EngineError(number,
                      "The file '" + path + "' cannot be " + what + ": " + code.message() + ".");
}

}  // namespace

TextStore::TextStore(std::string directory) : directory_(std::move(directory)) {}

std::string TextStore::PathOf(const std::string& fileName) const {
    return (fs::path(directory_) / fileName).string();
}

TextStore::Stamp TextStore::StampOf(const std::string& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return Stamp{};
    return Stamp{true, static_cast<long long>(info.st_size),
                 static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

std::vector<std::string> TextStore::FileNames() {
    std::error_code code;
    std::vector<std::string> names;
    for (fs::directory_iterator it(directory_, code), end; !code && it != end; it.increment(code)) {
        const std::string name = it->path().filename().string();
        std::error_code ignored;
        if (IsTableFileName(name) && it->is_regular_file(ignored))
            names.push_back(name);
    }
    if (code) {
        throw EngineError(
            code == std::errc::no_such_file_or_directory ? err::kFileMissing : err::kCannotOpenFile,
            "The directory '" + directory_ + "' cannot be read: " + code.message() + ".");
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> TextStore::Tables() {
    std::vector<std::string> tables;
    for (const auto& name : FileNames())
        tables.push_back(TableNameOf(name));
    return tables;
}

// The file name is the table's own name with its last "#" as the dot: no need to list files.
std::vector<std::string> TextStore::OtherNames(const std::string& table) {
    const std::size_t mark = table.rfind('#');
    if (mark == std::string::npos ||
        !IsTableFileName(table.substr(0, mark) + "." + table.substr(mark + 1)))
        return {};
    std::string fileName = table;
    fileName[mark] = '.';
    return {fileName};
}

std::string TextStore::FileOf(const std::string& table, long missing) {
    for (const auto& name : FileNames()) {
        if (SameName(TableNameOf(name), table) || SameName(name, table))
            return name;
    }
    throw EngineError(missing, "The table '" + table + "' does not exist: the directory '" +
                                   directory_ + "' holds no file of that name.");
}

SchemaIni TextStore::ReadIni() {
    const std::string path = PathOf(kSchemaIniName);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (errno == ENOENT)
            return SchemaIni();
        throw EngineError(err::kCannotOpenFile,
                          "The file '" + path + "' cannot be read: " + std::strerror(errno) + ".");
    }
    std::string text;
    char block[16384];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0 && text.size() <= kMaxIniBytes)
        text.append(block, got);
    std::fclose(file);
    if (text.size() > kMaxIniBytes) {
        throw EngineError(err::kUnreadableDatabase,
                          "The file '" + path + "' is larger than 16 MB: it is not a schema.ini.");
    }
    return SchemaIni(std::move(text));
}

void TextStore::WriteIni(const SchemaIni& before, const std::string& text) {
    const std::string path = PathOf(kSchemaIniName);
    if (text == before.Text())
        return;
    try {
        base::WriteFileAtomically(path, text);
    } catch (const base::FileWriteError& error) {
        ThrowFileError(err::kCannotOpenFile, "written", error.Path(),
                       std::error_code(error.SystemError(), std::generic_category()));
    }
}

TextStore::Described& TextStore::Describe(const std::string& fileName) {
    const std::string path = PathOf(fileName);
    const std::string iniPath = PathOf(kSchemaIniName);
    const Stamp file = StampOf(path);
    const Stamp ini = StampOf(iniPath);
    auto found = described_.find(fileName);
    if (found != described_.end() && found->second.file == file && found->second.ini == ini)
        return found->second;
    const SchemaIni schema = ReadIni();
    Described described;
    described.file = file;
    described.ini = ini;
    described.definition = LoadDefinition(path, fileName, schema.Find(fileName), iniPath);
    described_.erase(fileName);
    Described& kept = described_[fileName] = std::move(described);
    kept.writer = std::make_unique<RecordWriter>(kept.definition.format, path);
    return kept;
}

std::vector<FieldInfo> TextStore::Columns(const std::string& table) {
    return Describe(FileOf(table)).definition.fields;
}

std::vector<IndexInfo> TextStore::Indexes(const std::string& table) {
    FileOf(table);
    return {};
}

FilterUse TextStore::Filter(const std::string& table, std::size_t, CompareOp) {
    FileOf(table);
    return FilterUse::Ignore;
}

std::unique_ptr<TableScan> TextStore::Scan(const std::string& table,
                                           const std::vector<ScanConstraint>&) {
    const std::string fileName = FileOf(table);
    const Described& described = Describe(fileName);
    std::shared_ptr<const TableChanges> changes;
    const auto pending = pending_.Tables().find(fileName);
    if (inTransaction_ && pending != pending_.Tables().end())
        changes = pending->second;
    return std::make_unique<TextScan>(PathOf(fileName), described.definition, changes);
}

FieldTexts TextStore::TextsOf(const std::string& fileName, const Row& row) {
    Described& described = Describe(fileName);
    const auto& fields = described.definition.fields;
    if (row.size() != fields.size()) {
        throw EngineError(err::kInvalidArgument, "A row of '" + fileName + "' needs " +
                                                     std::to_string(fields.size()) + " values.");
    }
    const ValueStyle style = StyleOf(described.definition.format);
    FieldTexts texts;
    for (std::size_t i = 0; i < fields.size(); ++i)
        texts.push_back(WriteValue(row[i], fields[i], style, TableNameOf(fileName)));
    described.writer->Line(texts);  // a character the code page lacks fails the statement now
    return texts;
}

// A change outside a transaction is a transaction of its own.
template <typename Change>
void TextStore::InTransaction(Change&& change) {
    if (inTransaction_) {
        change();
        return;
    }
    Begin();
    try {
        change();
        Sync();
        Commit();
    } catch (...) {
        Rollback();
        throw;
    }
}

RowId TextStore::Insert(const std::string& table, const Row& row) {
    RowId id = 0;
    InTransaction([&] {
        const std::string fileName = FileOf(table);
        FieldTexts texts = TextsOf(fileName, row);
        id = pending_.NewRowId(fileName);
        pending_.Set(fileName, id, std::move(texts));
    });
    return id;
}

void TextStore::Update(const std::string& table, RowId id, const Row& row) {
    InTransaction([&] {
        const std::string fileName = FileOf(table);
        pending_.Set(fileName, id, TextsOf(fileName, row));
    });
}

void TextStore::Delete(const std::string& table, RowId id) {
    InTransaction([&] { pending_.Set(FileOf(table), id, std::nullopt); });
}

void TextStore::CreateTable(const std::string& table, const std::vector<FieldInfo>& fields,
                            const std::vector<IndexInfo>& indexes) {
    if (!indexes.empty()) {
        throw EngineError(err::kNotSupported, "Text files keep no indexes: create the table '" +
                                                  table +
                                                  "' without PRIMARY KEY and UNIQUE constraints.");
    }
    for (const auto& field : fields) {
        if (field.required) {
            throw EngineError(err::kNotSupported,
                              "Text files cannot refuse empty values: create the field '" +
                                  field.name + "' of '" + table + "' without NOT NULL.");
        }
    }
    const auto fileName = FileNameForTable(table);
    if (!fileName)
        throw EngineError(err::kInvalidName, "'" + table + "' cannot name a file of a table.");
    for (const auto& existing : FileNames()) {
        if (SameName(existing, *fileName))
            throw EngineError(err::kObjectExists, "The table '" + table + "' already exists.");
    }
    const std::string section = SectionFor(*fileName, fields);
    const TableFormat format =
        FormatOf(*fileName, SchemaIni(section).Find(*fileName), PathOf(kSchemaIniName));
    const std::string path = PathOf(*fileName);
    const std::string header = RecordWriter(format, path).HeaderLine();

    const SchemaIni before = ReadIni();
    WriteIni(before, before.Replaced(*fileName, section));
    try {
        base::AtomicFile file(path);
        file.Write(header);
        file.Commit(base::Replace::Never);
    } catch (const base::FileWriteError& error) {
        try {
            WriteIni(SchemaIni(before.Replaced(*fileName, section)), before.Text());
        } catch (const EngineError&) {
        }
        ThrowFileError(error.SystemError() == EEXIST ? err::kObjectExists : err::kCannotOpenFile,
                       "created", error.Path(),
                       std::error_code(error.SystemError(), std::generic_category()));
    }
}

void TextStore::DropTable(const std::string& table) {
    const std::string fileName = FileOf(table, err::kNoSuchTable);
    std::error_code code;
    fs::remove(PathOf(fileName), code);
    if (code)
        ThrowFileError(err::kCannotOpenFile, "removed", PathOf(fileName), code);
    pending_.ForgetTable(fileName);
    described_.erase(fileName);
    const SchemaIni ini = ReadIni();
    if (ini.Find(fileName))
        WriteIni(ini, ini.Replaced(fileName, ""));
}

void TextStore::RenameTable(const std::string& from, const std::string& to) {
    const std::string fileName = FileOf(from);
    const auto newName = FileNameForTable(to, ExtensionOf(fileName));
    if (!newName)
        throw EngineError(err::kInvalidName, "'" + to + "' cannot name a file of a table.");
    for (const auto& existing : FileNames()) {
        if (SameName(existing, *newName) && !SameName(existing, fileName))
            throw EngineError(err::kObjectExists, "The table '" + to + "' already exists.");
    }
    const SchemaIni before = ReadIni();
    const std::string renamed = before.Renamed(fileName, *newName);
    WriteIni(before, renamed);
    std::error_code code;
    fs::rename(PathOf(fileName), PathOf(*newName), code);
    if (code) {
        try {
            WriteIni(SchemaIni(renamed), before.Text());
        } catch (const EngineError&) {
        }
        ThrowFileError(err::kCannotOpenFile, "renamed", PathOf(fileName), code);
    }
    described_.erase(fileName);
}

void TextStore::CreateIndex(const std::string& table, const IndexInfo& index) {
    FileOf(table);
    throw EngineError(err::kNotSupported, "The index '" + index.name + "' cannot be created: '" +
                                              table + "' is a text file, which keeps no indexes.");
}

void TextStore::Begin() {
    pending_.Clear();
    prepared_.clear();
    inTransaction_ = true;
    synced_ = false;
}

void TextStore::Sync() {
    if (!inTransaction_ || synced_)
        return;
    for (const auto& [fileName, changes] : pending_.Tables()) {
        if (changes->rows.empty())
            continue;
        auto write =
            std::make_unique<TableWrite>(PathOf(fileName), Describe(fileName).definition, changes);
        write->Prepare();
        prepared_.emplace_back(fileName, std::move(write));
    }
    synced_ = true;
}

void TextStore::Commit() {
    if (!inTransaction_)
        return;
    Sync();
    for (auto& [fileName, write] : prepared_) {
        write->Commit();
        // Rows added at the end change nothing that was judged from the first rows; any
        // other change is described again from the file.
        auto found = described_.find(fileName);
        if (found == described_.end())
            continue;
        if (write->Appended() && found->second.definition.settledByRows)
            found->second.file = StampOf(PathOf(fileName));
        else
            described_.erase(found);
    }
    prepared_.clear();
    pending_.Clear();
    inTransaction_ = false;
}

void TextStore::Rollback() {
    for (auto& prepared : prepared_)
        prepared.second->Undo();
    prepared_.clear();
    pending_.Clear();
    inTransaction_ = false;
}

void TextStore::Savepoint(int level) {
    pending_.Mark(level);
}

void TextStore::Release(int level) {
    pending_.Forget(level);
}

void TextStore::RollbackTo(int level) {
    pending_.UndoTo(level);
}

}  // namespace tessel::db::text
