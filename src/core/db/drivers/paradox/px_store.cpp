#include "core/db/drivers/paradox/px_store.h"

#include <algorithm>
#include <filesystem>

#include "core/base/text.h"
#include "core/db/drivers/paradox/px_crypt.h"
#include "core/db/errors.h"

namespace tessel::db::paradox {
namespace {

namespace fs = std::filesystem;

class PxScan : public TableScan {
  public:
    explicit PxScan(std::shared_ptr<PxTable> table) : cursor_(std::move(table)) {}
    bool Next() override {
        if (!cursor_.Next())
            return false;
        ++id_;
        return true;
    }
    RowId Id() const override { return id_; }
    Value Get(std::size_t column) const override { return cursor_.Get(column); }

  private:
    mutable PxTable::Cursor cursor_;  // decoding text keeps conversion state
    RowId id_ = 0;
};

}  // namespace

std::vector<PxTableFile> TableFilesOf(const std::string& directory) {
    std::vector<PxTableFile> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        const fs::path& path = entry.path();
        if (base::UpperAscii(path.extension().string()) != ".DB" || !entry.is_regular_file(error))
            continue;
        files.push_back({path.stem().string(), path.string()});
    }
    std::sort(files.begin(), files.end(),
              [](const PxTableFile& a, const PxTableFile& b) { return a.name < b.name; });
    return files;
}

EngineError PasswordError(const std::string& path) {
    return EngineError(err::kBadPassword, "Not a valid password: the Paradox table '" + path +
                                              "' is protected by a password.");
}

PxStore::PxStore(std::string directory, std::string version)
    : directory_(std::move(directory)), version_(std::move(version)) {}

void PxStore::AddPasswords(const std::vector<std::string>& passwords) {
    for (const auto& password : passwords) {
        if (std::find(passwords_.begin(), passwords_.end(), password) == passwords_.end())
            passwords_.push_back(password);
    }
}

bool PxStore::Unlocked(const PxTable& table) const {
    const std::uint32_t key = table.Header().encryption;
    if (key == 0)
        return true;
    return std::any_of(passwords_.begin(), passwords_.end(),
                       [key](const std::string& password) { return PasswordOpens(password, key); });
}

std::shared_ptr<PxTable> PxStore::Open(const std::string& table) {
    for (const auto& file : TableFilesOf(directory_)) {
        if (base::UpperAscii(file.name) == base::UpperAscii(table))
            return std::make_shared<PxTable>(file.path);
    }
    throw EngineError(err::kItemNotFound,
                      "The directory '" + directory_ + "' holds no Paradox table '" + table + "'.");
}

std::vector<std::string> PxStore::Tables() {
    std::vector<std::string> tables;
    for (const auto& file : TableFilesOf(directory_)) {
        try {
            PxTable table(file.path);
            tables.push_back(file.name);
        } catch (const EngineError&) {
            // Damaged: left out so that the others stay usable; WhyNotListed names the cause.
        }
    }
    return tables;
}

std::optional<EngineError> PxStore::WhyNotListed(const std::string& table) {
    for (const auto& file : TableFilesOf(directory_)) {
        if (base::UpperAscii(file.name) != base::UpperAscii(table))
            continue;
        try {
            PxTable opened(file.path);
        } catch (const EngineError& damaged) {
            return damaged;
        }
    }
    return std::nullopt;
}

std::vector<FieldInfo> PxStore::Columns(const std::string& table) {
    return Open(table)->Fields();
}

std::vector<IndexInfo> PxStore::Indexes(const std::string& table) {
    return Open(table)->Indexes();
}

std::unique_ptr<TableScan> PxStore::Scan(const std::string& table,
                                         const std::vector<ScanConstraint>&) {
    auto opened = Open(table);
    if (!Unlocked(*opened))
        throw PasswordError(opened->Path());
    return std::make_unique<PxScan>(std::move(opened));
}

void PxStore::ReadOnly(const std::string& table) const {
    const std::string what = table.empty() ? "directory '" + directory_ + "'"
                                           : "table '" + table + "' in '" + directory_ + "'";
    throw EngineError(err::kReadOnly, "The Paradox " + what +
                                          " is only read by this program, which does not "
                                          "change Paradox tables. Copy the data into a "
                                          "database made by this program (for example with "
                                          "SELECT ... INTO) to change it.");
}

RowId PxStore::Insert(const std::string& table, const Row&) {
    ReadOnly(table);
}
void PxStore::Update(const std::string& table, RowId, const Row&) {
    ReadOnly(table);
}
void PxStore::Delete(const std::string& table, RowId) {
    ReadOnly(table);
}
void PxStore::CreateTable(const std::string& table, const std::vector<FieldInfo>&,
                          const std::vector<IndexInfo>&) {
    ReadOnly(table);
}
void PxStore::DropTable(const std::string& table) {
    ReadOnly(table);
}
void PxStore::RenameTable(const std::string& from, const std::string&) {
    ReadOnly(from);
}
void PxStore::AddColumn(const std::string& table, const FieldInfo&) {
    ReadOnly(table);
}
void PxStore::DropColumn(const std::string& table, const std::string&) {
    ReadOnly(table);
}
void PxStore::CreateIndex(const std::string& table, const IndexInfo&) {
    ReadOnly(table);
}
void PxStore::DropIndex(const std::string& table, const std::string&) {
    ReadOnly(table);
}

}  // namespace tessel::db::paradox
