#include "core/db/drivers/sqlite/database_password.h"

#include <sodium.h>

#include <algorithm>

#include "core/db/connection_text.h"
#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/sha256.h"
#include "core/db/sodium_library.h"

namespace tessel::db::sqlite {
namespace {

constexpr const char* kPasswordProperty = "Password";

// Interactive limits: one check costs a fraction of a second and 64 MiB, which a person opening
// a file does not notice but which makes guessing slow.
constexpr unsigned long long kOpsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
constexpr std::size_t kMemLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

// Files written before the Argon2id digest keep "SALT$SHA256(SALT + password)", with a salt of
// 24 hex digits.
constexpr std::size_t kOldSaltSize = 24;
constexpr std::size_t kOldDigestSize = 64;

enum class DigestForm { Current, Old, Damaged };

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

DigestForm FormOf(const std::string& stored) {
    if (stored.rfind(crypto_pwhash_STRPREFIX, 0) == 0) {
        // needs_rehash decodes every field of the string and fails on a damaged one.
        const bool sound =
            stored.size() < crypto_pwhash_STRBYTES &&
            crypto_pwhash_str_needs_rehash(stored.c_str(), kOpsLimit, kMemLimit) >= 0;
        return sound ? DigestForm::Current : DigestForm::Damaged;
    }
    const bool old = stored.size() == kOldSaltSize + 1 + kOldDigestSize &&
                     stored[kOldSaltSize] == '$' &&
                     std::all_of(stored.begin(), stored.begin() + kOldSaltSize, IsHex) &&
                     std::all_of(stored.begin() + kOldSaltSize + 1, stored.end(), IsHex);
    return old ? DigestForm::Old : DigestForm::Damaged;
}

std::string NewDigest(const std::string& password) {
    StartSodium();
    char digest[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(digest, password.data(), password.size(), kOpsLimit, kMemLimit) != 0) {
        throw EngineError(err::kDiskFull,
                          "Not enough memory to keep the database password's digest.");
    }
    return digest;
}

bool Matches(const std::string& stored, DigestForm form, const std::string& given) {
    if (form == DigestForm::Current)
        return crypto_pwhash_str_verify(stored.c_str(), given.data(), given.size()) == 0;
    const std::string salt = stored.substr(0, kOldSaltSize);
    const std::string expected = stored.substr(kOldSaltSize + 1);
    const std::string actual = Sha256Hex(salt + given);
    return sodium_memcmp(actual.data(), expected.data(), kOldDigestSize) == 0;
}

void StoreDigest(Handle& handle, const std::string& digest) {
    MetadataStore(handle).PutProperty(objkind::kDatabase, "",
                                      Property{kPasswordProperty, ftype::kText, digest});
}

}  // namespace

void SetDatabasePassword(Handle& handle, const std::string& password) {
    const std::string digest = password.empty() ? std::string() : NewDigest(password);
    handle.InTransaction([&] {
        if (digest.empty()) {
            MetadataStore(handle).DeleteProperty(objkind::kDatabase, "", kPasswordProperty);
            return;
        }
        StoreDigest(handle, digest);
    });
}

void CheckDatabasePassword(Handle& handle, const std::string& connect) {
    const auto stored =
        MetadataStore(handle).GetProperty(objkind::kDatabase, "", kPasswordProperty);
    if (!stored)
        return;
    StartSodium();
    const auto* text = std::get_if<std::string>(&stored->value);
    const DigestForm form = text ? FormOf(*text) : DigestForm::Damaged;
    if (form == DigestForm::Damaged) {
        // Opening it without a password would let anyone past a gate that a damaged (or
        // tampered) value claims is there.
        throw EngineError(err::kReserved, "The database '" + handle.Path() +
                                              "' cannot be opened: its stored password is "
                                              "damaged, so no password can be checked against "
                                              "it.");
    }
    // Once the right password was given, the file stays open to this run until its password
    // changes: statements and the reopen after each of them carry no password of their own.
    if (!handle.UnlockedFor().empty() && handle.UnlockedFor() == *text)
        return;
    const std::string given = ConnectValue(connect, "pwd").value_or("");
    if (!Matches(*text, form, given)) {
        throw EngineError(err::kBadPassword, "Not a valid password: the database '" +
                                                 handle.Path() + "' is protected by a password.");
    }
    if (form == DigestForm::Old && !handle.ReadOnly()) {
        const std::string digest = NewDigest(given);
        handle.InTransaction([&] { StoreDigest(handle, digest); });
        handle.SetUnlockedFor(digest);
        return;
    }
    handle.SetUnlockedFor(*text);
}

}  // namespace tessel::db::sqlite
