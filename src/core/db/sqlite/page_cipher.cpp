#include "core/db/sqlite/page_cipher.h"

#include <sodium.h>

#include <cstring>

#include "core/db/errors.h"
#include "core/db/sodium_library.h"

namespace tessel::db::sqlite::crypt {
namespace {

constexpr unsigned char kMagic[6] = {'T', 'S', 'L', 'E', 'N', 'C'};
constexpr char kSqliteMagic[16] = "SQLite format 3";
// SQLite's header bytes 18 to 23 in these files: rollback journal (1, 1), the reserved bytes,
// and the payload fractions SQLite requires (64, 32, 32).
constexpr unsigned char kFixedFields[6] = {1, 1, kReserveBytes, 64, 32, 32};
constexpr char kCheckLabel[] = "tessel page key check";

// Interactive limits, as for the password digests: a fraction of a second per open.
constexpr unsigned long long kOpsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
constexpr std::size_t kMemLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

static_assert(kKeySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(kNonceSize == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(kTagSize == crypto_aead_xchacha20poly1305_ietf_ABYTES);
static_assert(kSaltSize == crypto_pwhash_SALTBYTES);

void PutPageSize(unsigned char* at, int pageSize) {
    const int stored = pageSize == 65536 ? 1 : pageSize;
    at[0] = static_cast<unsigned char>(stored >> 8);
    at[1] = static_cast<unsigned char>(stored & 0xff);
}

int GetPageSize(const unsigned char* at) {
    const int stored = (at[0] << 8) | at[1];
    return stored == 1 ? 65536 : stored;
}

// Where a page's parts lie: the sealed text from `start` to the reserved bytes.
struct Layout {
    std::size_t start;
    std::size_t textEnd;
    std::size_t nonce;
    std::size_t tag;
};

Layout LayoutOf(std::uint32_t page, int pageSize) {
    const auto size = static_cast<std::size_t>(pageSize);
    return {page == 1 ? kHeaderSize : 0, size - kReserveBytes, size - kNonceSize - kTagSize,
            size - kTagSize};
}

// The page number, and for page 1 its plaintext header, so that neither can be changed unseen.
std::size_t AssociatedData(std::uint32_t page, const unsigned char* header, unsigned char* out) {
    out[0] = static_cast<unsigned char>(page >> 24);
    out[1] = static_cast<unsigned char>(page >> 16);
    out[2] = static_cast<unsigned char>(page >> 8);
    out[3] = static_cast<unsigned char>(page);
    if (page != 1)
        return 4;
    std::memcpy(out + 4, header, kHeaderSize);
    return 4 + kHeaderSize;
}

}  // namespace

FileKey FileKey::Derive(const std::string& password, const Salt& salt) {
    StartSodium();
    FileKey key;
    key.salt_ = salt;
    if (crypto_pwhash(key.key_.data(), key.key_.size(), password.data(), password.size(),
                      salt.data(), kOpsLimit, kMemLimit, crypto_pwhash_ALG_ARGON2ID13) != 0) {
        throw EngineError(err::kDiskFull,
                          "Not enough memory to derive the key of an encrypted database.");
    }
    crypto_generichash(key.check_.data(), key.check_.size(),
                       reinterpret_cast<const unsigned char*>(kCheckLabel), sizeof kCheckLabel - 1,
                       key.key_.data(), key.key_.size());
    return key;
}

Salt FileKey::NewSalt() {
    StartSodium();
    Salt salt;
    randombytes_buf(salt.data(), salt.size());
    return salt;
}

FileKey::~FileKey() {
    sodium_memzero(key_.data(), key_.size());
    sodium_memzero(check_.data(), check_.size());
}

bool ValidPageSize(long long pageSize) {
    return pageSize >= 512 && pageSize <= 65536 && (pageSize & (pageSize - 1)) == 0;
}

std::optional<OwnHeader> ReadOwnHeader(const unsigned char* bytes, std::size_t size) {
    if (size < kHeaderSize || std::memcmp(bytes, kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    OwnHeader header;
    header.pageSize = GetPageSize(bytes + sizeof kMagic);
    if (!ValidPageSize(header.pageSize))
        return std::nullopt;
    std::memcpy(header.salt.data(), bytes + 8, kSaltSize);
    return header;
}

bool KeyMatches(const FileKey& key, const unsigned char* page, int pageSize) {
    const std::size_t at = static_cast<std::size_t>(pageSize) - kReserveBytes;
    return sodium_memcmp(page + at, key.Check().data(), kCheckSize) == 0;
}

bool SealPage(const FileKey& key, std::uint32_t page, const unsigned char* plain,
              unsigned char* sealed, int pageSize) {
    const Layout layout = LayoutOf(page, pageSize);
    if (page == 1) {
        unsigned char size[2];
        PutPageSize(size, pageSize);
        if (std::memcmp(plain, kSqliteMagic, sizeof kSqliteMagic) != 0 ||
            std::memcmp(plain + 16, size, 2) != 0 ||
            std::memcmp(plain + 18, kFixedFields, sizeof kFixedFields) != 0) {
            return false;
        }
        std::memcpy(sealed, kMagic, sizeof kMagic);
        PutPageSize(sealed + sizeof kMagic, pageSize);
        std::memcpy(sealed + 8, key.SaltBytes().data(), kSaltSize);
    }
    std::memset(sealed + layout.textEnd, 0, kCheckSize);
    if (page == 1)
        std::memcpy(sealed + layout.textEnd, key.Check().data(), kCheckSize);
    randombytes_buf(sealed + layout.nonce, kNonceSize);
    unsigned char associated[4 + kHeaderSize];
    const std::size_t associatedSize = AssociatedData(page, sealed, associated);
    crypto_aead_xchacha20poly1305_ietf_encrypt_detached(
        sealed + layout.start, sealed + layout.tag, nullptr, plain + layout.start,
        layout.textEnd - layout.start, associated, associatedSize, nullptr, sealed + layout.nonce,
        key.Key());
    return true;
}

bool OpenPage(const FileKey& key, std::uint32_t page, const unsigned char* sealed,
              unsigned char* plain, int pageSize) {
    const Layout layout = LayoutOf(page, pageSize);
    unsigned char associated[4 + kHeaderSize];
    const std::size_t associatedSize = AssociatedData(page, sealed, associated);
    const bool opened =
        crypto_aead_xchacha20poly1305_ietf_decrypt_detached(
            plain + layout.start, nullptr, sealed + layout.start, layout.textEnd - layout.start,
            sealed + layout.tag, associated, associatedSize, sealed + layout.nonce, key.Key()) == 0;
    // SQLite never reads the reserved bytes; they are returned empty.
    std::memset(plain + layout.textEnd, 0, kReserveBytes);
    if (!opened) {
        std::memset(plain, 0, static_cast<std::size_t>(pageSize));
        return false;
    }
    if (page == 1) {
        std::memcpy(plain, kSqliteMagic, sizeof kSqliteMagic);
        PutPageSize(plain + 16, pageSize);
        std::memcpy(plain + 18, kFixedFields, sizeof kFixedFields);
    }
    return true;
}

}  // namespace tessel::db::sqlite::crypt
