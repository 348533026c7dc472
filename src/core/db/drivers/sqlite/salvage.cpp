#include "core/db/drivers/sqlite/salvage.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "core/db/errors.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::QuoteName;

constexpr std::int64_t kMinRowId = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMaxRowId = std::numeric_limits<std::int64_t>::max();

class RowCopier {
  public:
    RowCopier(Handle& source, Handle& target, const std::string& table)
        : source_(source), table_(table) {
        Statement probe = source.Prepare("SELECT * FROM " + QuoteName(table));
        columns_ = sqlite3_column_count(probe.Raw());
        std::string insert = "INSERT INTO " + QuoteName(table) + " VALUES (";
        for (int i = 0; i < columns_; ++i)
            insert += i == 0 ? "?" : ", ?";
        write_ = target.Prepare(insert + ")");
    }

    // Reads from `read`, whose first `skip` columns are not the table's, and writes each row.
    void Write(Statement& read, int skip) {
        for (int i = 0; i < columns_; ++i)
            sqlite3_bind_value(write_.Raw(), i + 1, sqlite3_column_value(read.Raw(), skip + i));
        try {
            write_.Step();
            ++saved_;
        } catch (const EngineError&) {
            // The salvaged row breaks the new table's rules: it stays behind.
        }
        sqlite3_reset(write_.Raw());
    }

    std::int64_t Saved() const { return saved_; }

  private:
    Handle& source_;
    std::string table_;
    int columns_ = 0;
    Statement write_;
    std::int64_t saved_ = 0;
};

bool HasRowIds(Handle& source, const std::string& table) {
    try {
        source.Prepare("SELECT rowid FROM " + QuoteName(table) + " LIMIT 0");
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

std::string ReadFrom(const std::string& table) {
    return "SELECT rowid, * FROM " + QuoteName(table) + " WHERE rowid >= ? ORDER BY rowid";
}

// True when reading from `start` on gets past its first step.
bool Readable(Handle& source, const std::string& table, std::int64_t start) {
    try {
        Statement read = source.Prepare(ReadFrom(table));
        read.Bind(1, static_cast<long long>(start));
        read.Step();
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

// Distances between rowids span the whole 64-bit range: they are counted unsigned.
std::uint64_t Distance(std::int64_t from, std::int64_t to) {
    return static_cast<std::uint64_t>(to) - static_cast<std::uint64_t>(from);
}

std::int64_t Advance(std::int64_t from, std::uint64_t by) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(from) + by);
}

// The smallest rowid above `failed` from which reading works again, found by doubling the step
// and then halving back; nothing when no larger rowid is readable. Doubling from a negative
// rowid reaches zero only at its last step, so the positive rowids are probed from zero then.
std::optional<std::int64_t> ResumePoint(Handle& source, const std::string& table,
                                        std::int64_t failed) {
    std::int64_t bad = failed;
    std::optional<std::int64_t> good;
    const auto probeFrom = [&](std::int64_t from) {
        for (std::uint64_t step = 1; step != 0; step <<= 1) {
            if (Distance(from, kMaxRowId) < step) {
                if (Readable(source, table, kMaxRowId))
                    good = kMaxRowId;
                return;
            }
            const std::int64_t candidate = Advance(from, step);
            if (Readable(source, table, candidate)) {
                good = candidate;
                return;
            }
            bad = candidate;
        }
    };
    probeFrom(failed);
    if (!good && failed < 0) {
        if (Readable(source, table, 0)) {
            good = 0;
        } else {
            bad = 0;
            probeFrom(0);
        }
    }
    if (!good)
        return std::nullopt;
    std::int64_t hi = *good;
    while (Distance(bad, hi) > 1) {
        const std::int64_t mid = Advance(bad, Distance(bad, hi) / 2);
        (Readable(source, table, mid) ? hi : bad) = mid;
    }
    return hi;
}

void CopyByRowId(Handle& source, const std::string& table, RowCopier& copier) {
    std::int64_t next = kMinRowId;  // the first rowid not yet read
    for (;;) {
        try {
            Statement read = source.Prepare(ReadFrom(table));
            read.Bind(1, static_cast<long long>(next));
            while (read.Step()) {
                const std::int64_t rowId = read.Integer(0);
                copier.Write(read, 1);
                if (rowId == kMaxRowId)
                    return;
                next = rowId + 1;
            }
            return;
        } catch (const EngineError&) {
            const auto resume = ResumePoint(source, table, next);
            if (!resume)
                return;
            next = *resume;
        }
    }
}

void CopyInOrder(Handle& source, const std::string& table, RowCopier& copier) {
    try {
        Statement read = source.Prepare("SELECT * FROM " + QuoteName(table));
        while (read.Step())
            copier.Write(read, 0);
    } catch (const EngineError&) {
        // The rest of a table without rowids cannot be sought: what was read is kept.
    }
}

std::optional<std::int64_t> CountThrough(Handle& source, const std::string& sql) {
    try {
        Statement count = source.Prepare(sql);
        if (count.Step())
            return count.Integer(0);
    } catch (const EngineError&) {
    }
    return std::nullopt;
}

// The largest count that the table itself or any of its indexes still gives.
std::optional<std::int64_t> CountRows(Handle& source, const std::string& table) {
    const std::string from = "SELECT count(*) FROM " + QuoteName(table);
    std::optional<std::int64_t> best = CountThrough(source, from + " NOT INDEXED");
    std::vector<std::string> indexes;
    try {
        Statement list = source.Prepare("SELECT name FROM pragma_index_list(?)");
        list.Bind(1, table);
        while (list.Step())
            indexes.push_back(list.Text(0));
    } catch (const EngineError&) {
    }
    for (const std::string& index : indexes) {
        // WHERE 1 keeps SQLite from answering with the table's own count.
        const auto counted =
            CountThrough(source, from + " INDEXED BY " + QuoteName(index) + " WHERE 1");
        if (counted && (!best || *counted > *best))
            best = counted;
    }
    return best;
}

}  // namespace

SalvagedRows SalvageRows(Handle& source, Handle& target, const std::string& table) {
    RowCopier copier(source, target, table);
    if (HasRowIds(source, table))
        CopyByRowId(source, table, copier);
    else
        CopyInOrder(source, table, copier);
    SalvagedRows result;
    result.saved = copier.Saved();
    result.total = CountRows(source, table);
    return result;
}

}  // namespace tessel::db::sqlite
