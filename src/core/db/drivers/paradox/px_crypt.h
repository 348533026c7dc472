// Encrypted Paradox tables: their blocks are scrambled with a key kept in the header, and the
// key is the checksum of the table's password, so that a password is checked without storing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessel::db::paradox {

// True when `password` is the one whose checksum is `key`.
bool PasswordOpens(const std::string& password, std::uint32_t key);

// Unscrambles one block of the table file (blocks count from 1) in place.
void DecryptTableBlock(unsigned char* block, std::size_t size, std::uint32_t key,
                       std::uint32_t blockNumber);
// Unscrambles one block of a memo file in place; `size` is a multiple of 256.
void DecryptMemoBlock(unsigned char* block, std::size_t size, std::uint32_t key);

}  // namespace tessel::db::paradox
