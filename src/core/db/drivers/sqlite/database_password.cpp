#include "core/db/drivers/sqlite/database_password.h"

#include <cstdio>

#include "core/db/connection_text.h"
#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/sha256.h"

namespace tessel::db::sqlite {
namespace {

constexpr const char* kPasswordProperty = "Password";

std::string RandomSalt() {
    unsigned char bytes[12];
    sqlite3_randomness(sizeof bytes, bytes);
    std::string hex;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

}  // namespace

void SetDatabasePassword(Handle& handle, const std::string& password) {
    const std::string salt = RandomSalt();
    handle.InTransaction([&] {
        MetadataStore store(handle);
        if (password.empty()) {
            store.DeleteProperty(objkind::kDatabase, "", kPasswordProperty);
            return;
        }
        store.PutProperty(
            objkind::kDatabase, "",
            Property{kPasswordProperty, ftype::kText, salt + "$" + Sha256Hex(salt + password)});
    });
}

void CheckDatabasePassword(Handle& handle, const std::string& connect) {
    const auto stored =
        MetadataStore(handle).GetProperty(objkind::kDatabase, "", kPasswordProperty);
    if (!stored)
        return;
    const auto* text = std::get_if<std::string>(&stored->value);
    const auto dollar = text ? text->find('$') : std::string::npos;
    if (dollar == std::string::npos)
        return;
    // Once the right password was given, the file stays open to this run until its password
    // changes: statements and the reopen after each of them carry no password of their own.
    if (!handle.UnlockedFor().empty() && handle.UnlockedFor() == *text)
        return;
    const std::string salt = text->substr(0, dollar);
    const std::string given = ConnectValue(connect, "pwd").value_or("");
    if (Sha256Hex(salt + given) != text->substr(dollar + 1)) {
        throw EngineError(err::kBadPassword, "Not a valid password: the database '" +
                                                 handle.Path() + "' is protected by a password.");
    }
    handle.SetUnlockedFor(*text);
}

}  // namespace tessel::db::sqlite
