#include "app/browse/tree_node_keys.h"

#include "core/session/standard_error.h"

namespace tessel::app::treekeys {

std::string DatabasePropertiesKey() {
    return std::string(">") + kTagProperties;
}

std::string TableKey(const std::string& table) {
    return "T" + table;
}

std::string TableFieldsKey(const std::string& table) {
    return table + ">Fields";
}

std::string TableIndexesKey(const std::string& table) {
    return table + ">Indexes";
}

std::string TablePropertiesKey(const std::string& table) {
    return table + ">Properties";
}

std::string AttachTypeKey(const std::string& table) {
    return table + ">AttachType";
}

std::string QueryKey(const std::string& query) {
    return query;
}

std::string QueryPropertiesKey(const std::string& query) {
    return query + ">Properties";
}

std::string FieldKey(const std::string& tableNodeKey, const std::string& field) {
    return tableNodeKey + ">Fields>" + field;
}

std::string IndexKey(const std::string& tableNodeKey, const std::string& index) {
    return tableNodeKey + ">Indexes>" + index;
}

std::string MemberPropertyKey(const std::string& holderParentKey, const std::string& holderKey,
                              const std::string& property) {
    return holderParentKey + holderKey + ">" + property;
}

std::string OwnerPropertyKey(const std::string& ownerKey, const std::string& property) {
    return ownerKey + ">" + property;
}

bool IsAttachedTable(std::uint32_t attributes) {
    return (attributes & (db::attr::kAttachedTable | db::attr::kAttachedOdbc)) != 0;
}

bool IsSystemObject(std::uint32_t attributes) {
    return (attributes & db::attr::kSystemObjectMask) != 0;
}

std::string AttachTypeText(const std::string& connect) {
    const auto semicolon = connect.find(';');
    if (semicolon == std::string::npos) {
        throw ProgramError(db::err::kInvalidArgument,
                           "The connect text \"" + connect +
                               "\" of an attached table names no type: it holds no \";\".");
    }
    const std::string type = connect.substr(0, semicolon);
    return (type.empty() ? std::string("Access") : type) + " Table";
}

std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t position = 0;
    for (std::size_t characters = 0; characters < count && position < text.size(); ++characters) {
        // Skip the continuation bytes of one UTF-8 sequence.
        ++position;
        while (position < text.size() &&
               (static_cast<unsigned char>(text[position]) & 0xC0) == 0x80) {
            ++position;
        }
    }
    return text.substr(0, position);
}

std::string PropertyText(const std::string& name, const db::Value& value, bool cutText) {
    std::string shown = db::ValueToText(value);
    if (cutText && std::holds_alternative<std::string>(value)) {
        shown = FirstCharacters(shown, kPropertyTextCut);
    }
    return name + "=" + shown;
}

}  // namespace tessel::app::treekeys
