#include "core/generate/schema_script.h"

#include <array>
#include <utility>

#include "core/db/connection_text.h"
#include "core/db/engine.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

using db::EngineError;

// The number of the classic "object variable not set" failure: generating with no database.
constexpr long kNoDatabase = 91;

constexpr const char* kHeaderRule = "// ************************";
constexpr const char* kSeparator = "// ";

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The text of a database property, as the engine's property collection holds it.
std::string PropertyText(const std::vector<db::Property>& properties, const std::string& name) {
    for (const auto& property : properties) {
        if (!SameNameIgnoringCase(property.name, name))
            continue;
        if (!property.readable) {
            throw EngineError(db::err::kNotSupported,
                              "The database's property " + name + " cannot be read.");
        }
        return db::ValueToText(property.value);
    }
    throw EngineError(db::err::kItemNotFound, "The database has no property named " + name + ".");
}

// What follows "dbConnect ": the connection type for a database opened without a connect
// text, the word before the first blank of one that has a blank, else the text as it is. The
// password part is left out: scripts are saved, exported and passed around, and the password
// is asked for when the database is opened.
std::string ConnectWord(const std::string& openedWith, const std::string& connectionType) {
    const std::string connect = db::WithoutPasswords(openedWith);
    const bool onlyPassword =
        connect != openedWith && connect.find_first_not_of("; ") == std::string::npos;
    if (connect.empty() || onlyPassword)
        return connectionType;
    const auto blank = connect.find(' ');
    if (blank != std::string::npos)
        return connect.substr(0, blank);
    return connect;
}

// Names are written as they are, so that generated scripts read like hand-written ones; only a
// name that the statement could not take as one word (a blank, a punctuation mark, a leading
// digit) is put in brackets, or the script would fail where it should recreate the table.
bool IsPlainName(const std::string& name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    for (unsigned char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
        if (!plain)
            return false;
    }
    return true;
}

std::string ScriptName(const std::string& name) {
    return IsPlainName(name) ? name : "[" + name + "]";
}

// The index's field text with each name as the script writes it: "+Ship Date;-B" gives
// "+[Ship Date];-B".
std::string ScriptFieldsText(const std::string& fields) {
    std::string text;
    std::size_t start = 0;
    while (start <= fields.size()) {
        auto end = fields.find(';', start);
        if (end == std::string::npos)
            end = fields.size();
        std::string item = fields.substr(start, end - start);
        std::string sign;
        if (!item.empty() && (item[0] == '+' || item[0] == '-')) {
            sign = item.substr(0, 1);
            item.erase(0, 1);
        }
        if (start > 0)
            text += ';';
        text += sign + ScriptName(item);
        start = end + 1;
    }
    return text;
}

bool IsSystemTable(const db::TableInfo& table) {
    return (table.attributes & db::attr::kSystemObjectMask) != 0;
}

std::string TableStatement(const std::string& table, const std::vector<db::FieldInfo>& fields,
                           const UnknownTypeNotice& notice) {
    std::string line = "CREATE TABLE " + ScriptName(table) + " (";
    bool first = true;
    for (const auto& field : fields) {
        if (!first)
            line += ", ";
        first = false;
        line += ScriptName(field.name);
        line += ' ';
        line += JetFieldTypeName(field.type, notice);
        if (field.type == db::ftype::kText)
            line += " (" + std::to_string(field.size) + ")";
    }
    line += ");";
    return line;
}

// A unique index that is neither primary nor ignores nulls is written like its sibling that
// ignores nulls: leaving it out would lose the index.
std::string IndexStatement(const db::IndexInfo& index, const std::string& table) {
    std::string opening = "CREATE INDEX ";
    std::string closing;
    if (index.unique) {
        if (index.primary) {
            closing = ") WITH PRIMARY;";
        } else {
            opening = "CREATE UNIQUE INDEX ";
            closing = ");";
        }
    } else {
        closing = index.ignoreNulls ? ") WITH IGNORE NULL;" : ") WITH DISALLOW NULL;";
    }
    const std::string columns =
        index.fields.empty() ? "" : idxFields(ScriptFieldsText(index.fields));
    return opening + ScriptName(index.name) + " ON " + ScriptName(table) + "(" + columns + closing;
}

class ScriptText {
  public:
    void Line(const std::string& line) {
        text_ += line;
        text_ += "\r\n";
    }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

}  // namespace

std::string SchemaScript(db::Database& database, const std::string& connectionType,
                         const UnknownTypeNotice& notice) {
    ScriptText script;
    script.Line(kHeaderRule);
    script.Line("// Generated Quillet script");
    script.Line(kHeaderRule);
    script.Line(kSeparator);

    const auto properties = database.Properties();
    script.Line("dbConnect " + ConnectWord(PropertyText(properties, "Connect"), connectionType) +
                ";");
    script.Line("dbVersion " + PropertyText(properties, "Version") + ";");
    script.Line("dbMake " + PropertyText(properties, "Name") + ";");
    script.Line(kSeparator);

    for (const auto& table : database.TableDefs()) {
        if (IsSystemTable(table))
            continue;
        script.Line(TableStatement(table.name, database.Fields(table.name), notice));
        for (const auto& index : database.Indexes(table.name)) {
            if (index.foreign) {
                script.Line(kSeparator);
                script.Line("// foreign key: ");
            }
            script.Line(IndexStatement(index, table.name));
            if (index.foreign)
                script.Line(kSeparator);
        }
        script.Line(kSeparator);
    }
    script.Line("// end of script");
    return script.Take();
}

void ScriptGenerate(Session& session) {
    try {
        OpenDB(session, "", false);
    } catch (const std::exception& error) {
        ShowStandardError(session.ui, AsEngineError(error));
    }
    if (session.state.current.currentDatabaseFileName.empty())
        return;
    GenerateSQL(session);
    // The editor now holds an untitled script: the next Save asks for a name.
    session.state.editor.currentScriptFileName.clear();
}

void GenerateSQL(Session& session) {
    Ui& ui = session.ui;
    ui.SetPointer(Pointer::Busy);
    try {
        if (!session.state.current.currentDatabase) {
            throw ProgramError(kNoDatabase,
                               "No database is open: open a database to generate its script.");
        }
        const std::string script =
            SchemaScript(*session.state.current.currentDatabase,
                         session.state.current.connectionType, UnknownTypeBox(session));
        ui.SetEditorText(script);
        // As every change of the editor's text does.
        session.state.editor.scriptChanged = true;
    } catch (const std::exception& error) {
        ui.SetPointer(Pointer::Default);
        ShowStandardError(ui, AsEngineError(error));
        return;
    }
    ui.SetPointer(Pointer::Default);
}

std::string FieldType(Session& session, int intType) {
    return JetFieldTypeName(intType, UnknownTypeBox(session));
}

std::string JetFieldTypeName(int intType, const UnknownTypeNotice& notice) {
    static constexpr std::array<std::pair<int, const char*>, 21> kTypeNames{{
        {db::ftype::kBoolean, "BIT"},
        {db::ftype::kByte, "BYTE"},
        {db::ftype::kInteger, "INTEGER"},
        {db::ftype::kLong, "LONG"},
        {db::ftype::kCurrency, "CURRENCY"},
        {db::ftype::kSingle, "SINGLE"},
        {db::ftype::kDouble, "DOUBLE"},
        {db::ftype::kDate, "DATETIME"},
        {db::ftype::kBinary, "BINARY"},
        {db::ftype::kText, "TEXT"},
        {db::ftype::kLongBinary, "LONGBINARY"},
        {db::ftype::kMemo, "MEMO"},
        {db::ftype::kGuid, "GUID"},
        {db::ftype::kBigInt, "BIGINT"},
        {db::ftype::kVarBinary, "VARBINARY"},
        {db::ftype::kChar, "CHAR"},
        {db::ftype::kNumeric, "NUMERIC"},
        {db::ftype::kDecimal, "DECIMAL"},
        {db::ftype::kFloat, "FLOAT"},
        {db::ftype::kTime, "TIME"},
        {db::ftype::kTimeStamp, "TIMESTAMP"},
    }};
    for (const auto& [code, name] : kTypeNames) {
        if (code == intType)
            return name;
    }
    if (notice)
        notice("Unidentified Jet SQL data field type");
    return kUnidentifiedFieldType;
}

void ReportUnidentifiedType(Session& session, const std::string& message) {
    session.ui.SetPointer(Pointer::Default);
    session.ui.MessageBox(message, msgbox::kExclamation, "Jet SQL syntax error");
    session.ui.SetPointer(Pointer::Busy);
}

UnknownTypeNotice UnknownTypeBox(Session& session) {
    return [&session](const std::string& message) { ReportUnidentifiedType(session, message); };
}

std::string idxFields(const std::string& sFields) {
    std::string columns;
    columns.reserve(sFields.size());
    for (char c : sFields) {
        if (c == '+')
            continue;
        columns += c == ';' ? ',' : c;
    }
    return columns;
}

}  // namespace tessel
