#include "core/db/drivers/jet/jet_definitions.h"

#include <list>
#include <map>
#include <mutex>

#include "core/db/drivers/jet/jet_catalog.h"

namespace tessel::db::jet {
namespace {

// A handful of files is what one session works with; older ones are forgotten first.
constexpr std::size_t kFilesKept = 16;

// Table names compare without regard to ASCII case, as the engine compares them.
std::string Key(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

struct FileDefinitions {
    std::string stamp;
    std::shared_ptr<const CatalogRead> catalog;
    std::map<std::string, std::shared_ptr<const TableDefinition>> tables;
};

std::mutex mutex;
std::list<FileDefinitions> files;  // the most recently used first

// The definitions of the file `stamp`, made the most recent; the mutex is held.
FileDefinitions& FileOf(const std::string& stamp) {
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (it->stamp == stamp) {
            files.splice(files.begin(), files, it);
            return files.front();
        }
    }
    files.push_front(FileDefinitions{stamp, nullptr, {}});
    if (files.size() > kFilesKept)
        files.pop_back();
    return files.front();
}

}  // namespace

std::shared_ptr<const TableDefinition> RememberedTable(
    const std::string& stamp, const std::string& table,
    const std::function<TableDefinition()>& read) {
    const std::string key = Key(table);
    {
        std::lock_guard lock(mutex);
        auto& tables = FileOf(stamp).tables;
        if (auto found = tables.find(key); found != tables.end())
            return found->second;
    }
    // Read outside the lock: reading may take long and other files need not wait for it.
    auto definition = std::make_shared<const TableDefinition>(read());
    std::lock_guard lock(mutex);
    FileOf(stamp).tables.emplace(key, definition);
    return definition;
}

void ForgetFile(const std::string& stamp) {
    std::lock_guard lock(mutex);
    files.remove_if([&](const FileDefinitions& file) { return file.stamp == stamp; });
}

std::shared_ptr<const CatalogRead> RememberedCatalog(const std::string& stamp,
                                                     const std::function<CatalogRead()>& read) {
    {
        std::lock_guard lock(mutex);
        if (auto catalog = FileOf(stamp).catalog)
            return catalog;
    }
    auto catalog = std::make_shared<const CatalogRead>(read());
    std::lock_guard lock(mutex);
    FileOf(stamp).catalog = catalog;
    return catalog;
}

}  // namespace tessel::db::jet
