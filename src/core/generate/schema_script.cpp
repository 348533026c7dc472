#include "core/generate/schema_script.h"

#include <array>
#include <utility>

#include "core/db/connection_text.h"
#include "core/db/engine.h"
#include "core/generate/written_names.h"
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

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

std::string TableWhat(const std::string& table) {
    return "the name of the table " + Quoted(table);
}

// The index's field text separates names with ";": a field whose name holds ";" and stands in
// that text would make it name other fields than the index has.
void RefuseAmbiguousFields(const db::IndexInfo& index, const std::string& table,
                           const std::vector<db::FieldInfo>& tableFields) {
    for (const auto& field : tableFields) {
        if (field.name.find(';') == std::string::npos ||
            index.fields.find(field.name) == std::string::npos) {
            continue;
        }
        throw ProgramError(db::err::kInvalidName,
                           "The script cannot be generated: the fields of the index " +
                               Quoted(index.name) + " on the table " + Quoted(table) +
                               " cannot be told apart, because the name of the field " +
                               Quoted(field.name) +
                               " holds \";\". Rename the field, then generate the script again.");
    }
}

// The column list of an index from its "+A;-B c" field text, each name as the script writes it:
// "A,-[B c]". A sign is read only at the start of an item, so a name holding "+" stays whole.
std::string IndexColumnsText(const db::IndexInfo& index, const std::string& table,
                             const std::vector<db::FieldInfo>& tableFields) {
    RefuseAmbiguousFields(index, table, tableFields);
    std::string text;
    std::size_t start = 0;
    const std::string& fields = index.fields;
    while (start <= fields.size()) {
        auto end = fields.find(';', start);
        if (end == std::string::npos)
            end = fields.size();
        std::string item = fields.substr(start, end - start);
        std::string sign;
        if (!item.empty() && (item[0] == '+' || item[0] == '-')) {
            sign = item[0] == '-' ? "-" : "";
            item.erase(0, 1);
        }
        if (start > 0)
            text += ',';
        text += sign + ScriptName(item, "the name of the field " + Quoted(item) + " of the table " +
                                            Quoted(table));
        start = end + 1;
    }
    return text;
}

bool IsSystemTable(const db::TableInfo& table) {
    return (table.attributes & db::attr::kSystemObjectMask) != 0;
}

std::string TableStatement(const std::string& table, const std::vector<db::FieldInfo>& fields,
                           const UnknownTypeNotice& notice) {
    std::string line = "CREATE TABLE " + ScriptName(table, TableWhat(table)) + " (";
    bool first = true;
    for (const auto& field : fields) {
        if (!first)
            line += ", ";
        first = false;
        line += ScriptName(field.name, "the name of the field " + Quoted(field.name) +
                                           " of the table " + Quoted(table));
        line += ' ';
        line += JetFieldTypeName(field.type, notice);
        if (field.type == db::ftype::kText)
            line += " (" + std::to_string(field.size) + ")";
    }
    line += ")";
    return StatementLine(line, false, TableWhat(table), db::err::kInvalidName);
}

// A unique index that is neither primary nor ignores nulls is written like its sibling that
// ignores nulls: leaving it out would lose the index.
std::string IndexStatement(const db::IndexInfo& index, const std::string& table,
                           const std::vector<db::FieldInfo>& tableFields) {
    std::string opening = "CREATE INDEX ";
    std::string closing;
    if (index.unique) {
        if (index.primary) {
            closing = ") WITH PRIMARY";
        } else {
            opening = "CREATE UNIQUE INDEX ";
            closing = ")";
        }
    } else {
        // Only an index that refuses Nulls says so: the rebuilt table must take every row that
        // the source took.
        if (index.ignoreNulls) {
            closing = ") WITH IGNORE NULL";
        } else {
            closing = index.required ? ") WITH DISALLOW NULL" : ")";
        }
    }
    const std::string columns =
        index.fields.empty() ? "" : IndexColumnsText(index, table, tableFields);
    const std::string what =
        "the name of the index " + Quoted(index.name) + " on the table " + Quoted(table);
    return StatementLine(opening + ScriptName(index.name, what) + " ON " +
                             ScriptName(table, TableWhat(table)) + "(" + columns + closing,
                         false, what, db::err::kInvalidName);
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
    const std::string version = PropertyText(properties, "Version");
    script.Line(StatementLine("dbVersion " + version, true,
                              "the version " + Quoted(version) + " of the database",
                              db::err::kInvalidArgument));
    // The file name stands as written in its command; one that would not read back as written
    // would make the script create or open another file than this one.
    const std::string file = PropertyText(properties, "Name");
    script.Line(StatementLine("dbMake " + file, true,
                              "the name of the database file " + Quoted(file), db::err::kBadPath));
    script.Line(kSeparator);

    for (const auto& table : database.TableDefs()) {
        if (IsSystemTable(table))
            continue;
        const auto fields = database.Fields(table.name);
        script.Line(TableStatement(table.name, fields, notice));
        for (const auto& index : database.Indexes(table.name)) {
            if (index.foreign) {
                script.Line(kSeparator);
                script.Line("// foreign key: ");
            }
            script.Line(IndexStatement(index, table.name, fields));
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
