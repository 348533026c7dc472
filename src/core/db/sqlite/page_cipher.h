// The on-disk form of an encrypted database file. Every page is sealed on its own with
// XChaCha20-Poly1305 under a key that Argon2id derives from the password and the file's salt; the
// nonce (fresh for every write) and the tag live in the bytes SQLite reserves at the end of each
// page, so the page size SQLite sees stays a power of two. The page number is bound in as
// associated data, so that a page copied to another place is refused like a damaged one.
//
// Page 1 starts with a plaintext header of our own instead of SQLite's magic text:
//   [0, 6)   "TSLENC"           recognises the file
//   [6, 8)   page size          big-endian, 1 for 65536 (as SQLite writes it)
//   [8, 24)  salt               for the key derivation
// and keeps a key check in its reserved bytes, so that a wrong password is told apart from a
// damaged page. SQLite's own first 24 bytes are fixed for these files and are put back on read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tessel::db::sqlite::crypt {

inline constexpr std::size_t kHeaderSize = 24;
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kKeySize = 32;
inline constexpr std::size_t kCheckSize = 16;
inline constexpr std::size_t kNonceSize = 24;
inline constexpr std::size_t kTagSize = 16;
// The bytes every page reserves: key check (page 1 only), nonce, tag.
inline constexpr int kReserveBytes = static_cast<int>(kCheckSize + kNonceSize + kTagSize);

using Salt = std::array<unsigned char, kSaltSize>;

// A derived key with its salt and check value; wiped when it goes.
class FileKey {
  public:
    // Derives the key (slow by design: Argon2id with interactive limits). Throws EngineError
    // when the library cannot start or memory runs out.
    static FileKey Derive(const std::string& password, const Salt& salt);
    // A new random salt for a new file.
    static Salt NewSalt();
    ~FileKey();
    FileKey(const FileKey& other) = default;
    FileKey& operator=(const FileKey&) = delete;

    const Salt& SaltBytes() const { return salt_; }
    const unsigned char* Key() const { return key_.data(); }
    const std::array<unsigned char, kCheckSize>& Check() const { return check_; }

  private:
    FileKey() = default;
    Salt salt_{};
    std::array<unsigned char, kKeySize> key_{};
    std::array<unsigned char, kCheckSize> check_{};
};

// What page 1's plaintext header says.
struct OwnHeader {
    int pageSize = 0;
    Salt salt{};
};

// The header of the first `size` bytes of a file, when they start like one of ours.
std::optional<OwnHeader> ReadOwnHeader(const unsigned char* bytes, std::size_t size);

// Whether a page size is one SQLite can have.
bool ValidPageSize(long long pageSize);

// The key check stored in page 1 of a file (`page` is the disk image of page 1).
bool KeyMatches(const FileKey& key, const unsigned char* page, int pageSize);

// Seals the plaintext page `plain` (page number `page`, counted from 1) into `sealed`. False
// when page 1's plaintext does not have the fixed header of these files (a write that would
// change the page size, the reserved bytes or the journal form).
bool SealPage(const FileKey& key, std::uint32_t page, const unsigned char* plain,
              unsigned char* sealed, int pageSize);

// Opens the disk image `sealed` into `plain`; false when it fails its check (damaged, or sealed
// with another key or for another page), and `plain` is then zeros.
bool OpenPage(const FileKey& key, std::uint32_t page, const unsigned char* sealed,
              unsigned char* plain, int pageSize);

}  // namespace tessel::db::sqlite::crypt
