#include "core/db/drivers/jet/jet_text.h"

#include <vector>

namespace tessel::db::jet {

std::string DecodeText(const JetFile& file, std::string_view stored) {
    if (stored.empty())
        return {};
    // UTF-8 needs at most three bytes for each stored byte (one code-page byte, or one byte of
    // a compressed run); the spare bytes keep libmdb's closing zero inside the buffer.
    std::vector<char> out(stored.size() * 3 + 8);
    const int written =
        mdb_unicode2ascii(file.Handle(), stored.data(), stored.size(), out.data(), out.size());
    if (written <= 0)
        return {};
    return std::string(out.data(),
                       std::min<std::size_t>(static_cast<std::size_t>(written), out.size()));
}

}  // namespace tessel::db::jet
