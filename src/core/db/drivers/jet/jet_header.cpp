#include "core/db/drivers/jet/jet_header.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "core/base/utf8.h"
#include "core/db/errors.h"

namespace tessel::db::jet {
namespace {

constexpr std::size_t kSignatureOffset = 4;
constexpr std::size_t kVersionOffset = 0x14;
// The part of the first page that the format hides under a fixed RC4 key.
constexpr std::size_t kMaskedOffset = 0x18;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kCreationDateOffset = 0x72;
constexpr unsigned char kTableDefinitionPage = 0x02;
constexpr unsigned long kCatalogPage = 2;

[[noreturn]] void ThrowNotJet(const std::string& path, const std::string& why) {
    throw EngineError(err::kUnreadableDatabase,
                      "The database file '" + path + "' cannot be read: " + why + ".");
}

// The RC4 stream cipher: the format uses it with a fixed key to hide the header.
void Rc4(const unsigned char* key, std::size_t keyLength, unsigned char* data, std::size_t size) {
    std::array<unsigned char, 256> state{};
    for (std::size_t i = 0; i < state.size(); ++i)
        state[i] = static_cast<unsigned char>(i);
    unsigned char j = 0;
    for (std::size_t i = 0; i < state.size(); ++i) {
        j = static_cast<unsigned char>(j + state[i] + key[i % keyLength]);
        std::swap(state[i], state[j]);
    }
    unsigned char x = 0;
    unsigned char y = 0;
    for (std::size_t n = 0; n < size; ++n) {
        x = static_cast<unsigned char>(x + 1);
        y = static_cast<unsigned char>(y + state[x]);
        std::swap(state[x], state[y]);
        data[n] ^= state[static_cast<unsigned char>(state[x] + state[y])];
    }
}

std::string Ucs2ToUtf8(const unsigned char* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char32_t unit = static_cast<char32_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0)
            break;
        base::AppendUtf8(text, unit);
    }
    return text;
}

std::string Latin1ToUtf8(const unsigned char* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && bytes[i] != 0; ++i)
        base::AppendUtf8(text, static_cast<char32_t>(bytes[i]));
    return text;
}

// The password of a Jet 3 or Jet 4 header whose masked part was already unmasked.
std::string PasswordOf(const unsigned char* page, JetFormat format) {
    if (format == JetFormat::Jet3)
        return Latin1ToUtf8(page + kPasswordOffset, 20);
    unsigned char bytes[40];
    std::memcpy(bytes, page + kPasswordOffset, sizeof bytes);
    // Jet 4 also masks the password with the creation date's whole days.
    double created = 0;
    std::memcpy(&created, page + kCreationDateOffset, sizeof created);
    std::uint32_t days = 0;
    if (created > -2147483648.0 && created < 2147483648.0)
        days = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
    for (std::size_t i = 0; i < sizeof bytes; ++i)
        bytes[i] ^= static_cast<unsigned char>(days >> (8 * (i % 4)));
    return Ucs2ToUtf8(bytes, sizeof bytes);
}

}  // namespace

std::string VersionText(JetFormat format) {
    switch (format) {
        case JetFormat::Jet3:
            return "3.0";
        case JetFormat::Jet4:
            return "4.0";
        case JetFormat::Ace12:
            return "12.0";
        case JetFormat::Ace14:
            return "14.0";
        case JetFormat::Ace15:
            return "15.0";
        case JetFormat::Ace16:
            return "16.0";
        case JetFormat::Ace17:
            return "17.0";
    }
    return "4.0";
}

JetHeader ParseJetHeader(const std::string& path, const std::string& firstPages,
                         long long fileSize) {
    if (firstPages.size() < kCreationDateOffset + 8 ||
        (std::memcmp(firstPages.data() + kSignatureOffset, "Standard Jet DB", 15) != 0 &&
         std::memcmp(firstPages.data() + kSignatureOffset, "Standard ACE DB", 15) != 0)) {
        ThrowNotJet(path, "it is not a Jet/ACE database, or its header is damaged");
    }
    JetHeader header;
    static constexpr JetFormat kFormats[] = {JetFormat::Jet3,  JetFormat::Jet4,  JetFormat::Ace12,
                                             JetFormat::Ace14, JetFormat::Ace15, JetFormat::Ace16,
                                             JetFormat::Ace17};
    const auto code = static_cast<unsigned char>(firstPages[kVersionOffset]);
    if (code >= std::size(kFormats))
        ThrowNotJet(path, "its header names a file format this program does not know");
    header.format = kFormats[code];
    header.pageSize = header.format == JetFormat::Jet3 ? 2048 : 4096;
    header.pageCount = fileSize / header.pageSize;
    if (header.pageCount <= static_cast<long long>(kCatalogPage) ||
        firstPages.size() < (kCatalogPage + 1) * static_cast<std::size_t>(header.pageSize)) {
        ThrowNotJet(path, "it is truncated (its catalogue is missing)");
    }
    const bool ace = header.format != JetFormat::Jet3 && header.format != JetFormat::Jet4;
    const auto catalogType = static_cast<unsigned char>(firstPages[kCatalogPage * header.pageSize]);
    if (ace && catalogType != kTableDefinitionPage) {
        header.officeEncrypted = true;
        return header;
    }
    if (!ace) {
        std::string page = firstPages.substr(0, header.pageSize);
        auto* bytes = reinterpret_cast<unsigned char*>(page.data());
        static constexpr unsigned char kHeaderKey[] = {0xc7, 0xda, 0x39, 0x6b};
        Rc4(kHeaderKey, sizeof kHeaderKey, bytes + kMaskedOffset,
            header.format == JetFormat::Jet3 ? 126 : 128);
        header.password = PasswordOf(bytes, header.format);
    }
    return header;
}

JetHeader ReadJetHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowNotJet(path, "it cannot be opened");
    in.seekg(0, std::ios::end);
    const long long size = static_cast<long long>(in.tellg());
    in.seekg(0);
    std::string pages(static_cast<std::size_t>(std::min<long long>(size, 3 * 4096)), '\0');
    in.read(pages.data(), static_cast<std::streamsize>(pages.size()));
    pages.resize(static_cast<std::size_t>(in.gcount()));
    return ParseJetHeader(path, pages, size);
}

}  // namespace tessel::db::jet
