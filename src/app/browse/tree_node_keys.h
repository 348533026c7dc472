// Keys, texts and tags of the database tree's nodes.
//
// Every node has a key that is unique in the tree, built from the names on its path so that
// a node can be found again; the rules below fix how. Keys are made once, when the node is
// added, and never follow a rename.
#pragma once

#include <string>

#include "core/db/engine.h"

namespace tessel::app::treekeys {

// Tags: what a node stands for.
inline constexpr const char* kTagProperties = "Properties";
inline constexpr const char* kTagTable = "Table";
inline constexpr const char* kTagFields = "Fields";
inline constexpr const char* kTagIndexes = "Indexes";
inline constexpr const char* kTagQuery = "Query";
inline constexpr const char* kTagField = "Field";
inline constexpr const char* kTagIndex = "Index";
inline constexpr const char* kTagProperty = "Property";

// Image keys of the tree's image list.
inline constexpr const char* kImageTable = "Table";
inline constexpr const char* kImageQuery = "Query";
inline constexpr const char* kImageIndex = "Index";
inline constexpr const char* kImageProperty = "Property";
inline constexpr const char* kImageAttached = "Attached";
inline constexpr const char* kImageField = "Field";

// Longest text value of a database, table or query property shown after the "=".
inline constexpr std::size_t kPropertyTextCut = 50;

// ">Properties": the database's properties at the root.
std::string DatabasePropertiesKey();
// "T" & table.
std::string TableKey(const std::string& table);
// table & ">Fields", ">Indexes", ">Properties", ">AttachType" (the table's name, not its key).
std::string TableFieldsKey(const std::string& table);
std::string TableIndexesKey(const std::string& table);
std::string TablePropertiesKey(const std::string& table);
std::string AttachTypeKey(const std::string& table);
// The query's name itself.
std::string QueryKey(const std::string& query);
// query & ">Properties".
std::string QueryPropertiesKey(const std::string& query);
// table node key & ">Fields>" & field, table node key & ">Indexes>" & index.
std::string FieldKey(const std::string& tableNodeKey, const std::string& field);
std::string IndexKey(const std::string& tableNodeKey, const std::string& index);
// Property of a field or index: the holder's parent's key, the holder's key, ">", property.
std::string MemberPropertyKey(const std::string& holderParentKey, const std::string& holderKey,
                              const std::string& property);
// Property of the database, a table or a query: the owner's key (the database-properties
// node, the table node or the query node), ">", property.
std::string OwnerPropertyKey(const std::string& ownerKey, const std::string& property);

// A table is attached when either attached-table bit is set.
bool IsAttachedTable(std::uint32_t attributes);
bool IsSystemObject(std::uint32_t attributes);
// The attachment-type node's text: the part of the Connect text before the first ";" (or
// "Access" when that part is empty) & " Table". Throws EngineError (invalid argument) when the
// Connect text holds no ";".
std::string AttachTypeText(const std::string& connect);

// The first `count` characters (not bytes) of UTF-8 text.
std::string FirstCharacters(const std::string& text, std::size_t count);
// "P=value"; a text value is cut to kPropertyTextCut characters when `cutText` is set.
std::string PropertyText(const std::string& name, const db::Value& value, bool cutText);

}  // namespace tessel::app::treekeys
