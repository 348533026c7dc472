#include "core/db/drivers/paradox/px_crypt.h"

// pxlib's scrambling routines work on a buffer alone and are sound; its header does not
// declare them.
extern "C" {
long px_passwd_checksum(const char* password);
void px_decrypt_db_block(unsigned char* src, unsigned char* dest, unsigned long encryption,
                         unsigned long blocksize, unsigned long blockno);
void px_decrypt_mb_block(unsigned char* src, unsigned char* dest, unsigned long encryption,
                         unsigned long blocksize);
}

namespace tessel::db::paradox {
namespace {

// pxlib's checksum writes past its buffer for longer passwords; Paradox passwords are
// far shorter.
constexpr std::size_t kLongestPassword = 255;
constexpr std::size_t kChunk = 256;

}  // namespace

bool PasswordOpens(const std::string& password, std::uint32_t key) {
    if (password.empty() || password.size() > kLongestPassword ||
        password.find('\0') != std::string::npos)
        return false;
    return static_cast<std::uint32_t>(px_passwd_checksum(password.c_str())) == key;
}

void DecryptTableBlock(unsigned char* block, std::size_t size, std::uint32_t key,
                       std::uint32_t blockNumber) {
    px_decrypt_db_block(block, block, key, size - size % kChunk, blockNumber);
}

void DecryptMemoBlock(unsigned char* block, std::size_t size, std::uint32_t key) {
    px_decrypt_mb_block(block, block, key, size - size % kChunk);
}

}  // namespace tessel::db::paradox
