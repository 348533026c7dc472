#include "core/generate/ansi_export.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <unordered_set>
#include <utility>

#include "core/base/text.h"
#include "core/db/jetsql/ansi_type_names.h"
#include "core/files/file_commands.h"
#include "core/files/script_files.h"
#include "core/generate/column_removal.h"
#include "core/generate/schema_script.h"
#include "core/generate/sql_words.h"
#include "core/script/script_runner.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

constexpr const char* kConvertingStatus = "Converting Jet SQL to ANSI SQL...wait";
constexpr const char* kExportDialogTitle = "Export to universal ANSI SQL script file";
constexpr int kSaveDialogFlags = 6;  // ask before overwriting, hide the read-only box
// Only the first seven slots of the list are filled; the eighth is never read.
constexpr std::size_t kNoSizeTypeCount = 7;

// The export holds one statement a line, so a line break kept inside quotes or brackets would
// make the rest of the statement read as a statement of its own.
void RefuseLineBreak(const std::string& statement) {
    const auto lineBreak = statement.find_first_of("\r\n");
    if (lineBreak == std::string::npos)
        return;
    throw ProgramError(db::err::kInvalidArgument,
                       "The script cannot be exported: the statement that begins \"" +
                           statement.substr(0, lineBreak) +
                           "\" holds a line break inside quotes or brackets, and the export "
                           "writes each statement on one line, so the rest would be read as "
                           "another statement. Remove the line break, then export again.");
}

// The statements of a script as Script > Execute would cut them, one a line without its ";".
// Script commands go; a last statement without ";" stays, whole, without a line break.
std::string StatementsPerLine(const std::string& script) {
    bool lastIsOpen = false;
    std::vector<SplitStatement> statements;
    try {
        statements = SplitScript(script);
    } catch (const db::EngineError& error) {
        if (error.Number() != db::err::kInvalidArgument)
            throw;
        // The only fault that closing the text mends is a missing final ";"; a text that ends
        // inside quotes fails again and is reported.
        const std::string closed = script + ";";
        statements = SplitScript(closed);
        lastIsOpen = true;
    }
    std::string lines;
    for (std::size_t i = 0; i < statements.size(); ++i) {
        const bool isOpenEnd = lastIsOpen && i + 1 == statements.size();
        if (!statements[i].isCommand || isOpenEnd)
            RefuseLineBreak(statements[i].text);
        if (isOpenEnd) {
            lines += statements[i].text;
        } else if (!statements[i].isCommand) {
            lines += statements[i].text;
            lines += "\r\n";
        }
    }
    return base::Trim(lines, " ");
}

bool EqualsUpper(const std::string& text, const std::string& upperWord) {
    return text.size() == upperWord.size() &&
           std::equal(text.begin(), text.end(), upperWord.begin(), [](char a, char b) {
               return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a) == b;
           });
}

void UpperCaseTypeWords(std::vector<sqlwords::Token>& tokens,
                        const std::vector<std::string>& typeWords) {
    const std::unordered_set<std::string> words(typeWords.begin(), typeWords.end());
    for (auto& token : tokens) {
        if (token.kind != sqlwords::TokenKind::Word)
            continue;
        std::string upper = base::UpperAscii(token.text);
        if (words.count(upper) != 0)
            token.text = std::move(upper);
    }
}

// In list order over the result so far, as the mapping table is meant to be read: INTEGER
// becomes SMALLINT before LONG becomes INTEGER.
void MapTypeWords(std::vector<sqlwords::Token>& tokens, const std::vector<std::string>& mappedWords,
                  const UnknownTypeNotice& notice) {
    for (const std::string& word : mappedWords) {
        const std::string upperWord = base::UpperAscii(word);
        const std::string ansiName = JetANSITypeName(word, notice);
        for (auto& token : tokens) {
            if (token.kind == sqlwords::TokenKind::Word && EqualsUpper(token.text, upperWord)) {
                token.text = ansiName;
            }
        }
    }
}

}  // namespace

void ScriptExport(Session& session) {
    SharedState& state = session.state;
    session.ui.SetStatusText(kConvertingStatus);
    const bool converted = ConvertSQL(session);
    session.ui.SetStatusText("");
    // A failed conversion has been reported; writing the text of an earlier one would put a
    // stale script under the new name.
    if (!converted)
        return;
    state.ansiExport.exportMode = true;
    if (!state.app.appPath.empty()) {
        const std::string exportDirectory = state.app.appPath + "/export";
        try {
            EnsureDirectory(exportDirectory);
        } catch (const db::EngineError& error) {
            ShowStandardError(session.ui, error);
            return;
        }
        state.editor.commonDialog.initialDirectory = exportDirectory;
    }
    state.editor.commonDialog.title = kExportDialogTitle;
    state.editor.commonDialog.flags = kSaveDialogFlags;
    state.editor.commonDialog.defaultExtension = kScriptDefaultExtension;
    state.editor.scriptFileFilter = kScriptFileFilter;
    const std::string name = AskScriptFileName(session, "");
    if (name.empty())
        return;
    // A bare name is meant in the directory the dialog showed, not wherever the program runs.
    std::filesystem::path path(name);
    if (path.is_relative() && !state.editor.commonDialog.initialDirectory.empty()) {
        path = std::filesystem::path(state.editor.commonDialog.initialDirectory) / path;
    }
    WriteScriptFile(session, path.string());
}

std::string AnsiScript(const std::string& script, const TypeLists& types,
                       const UnknownTypeNotice& notice) {
    // Scripts of any length convert: the old limit of 32767 characters came from 16-bit
    // counters, not from the format.
    const std::string statements = StatementsPerLine(script);
    return statements.empty() ? statements : AnsiStatements(statements, types, notice);
}

std::string AnsiStatements(const std::string& statements, const TypeLists& types,
                           const UnknownTypeNotice& notice) {
    std::vector<sqlwords::Token> tokens = sqlwords::Tokenize(statements);
    UpperCaseTypeWords(tokens, types.JetTypeList);
    const std::size_t noSizeCount = std::min(kNoSizeTypeCount, types.NoSizeTypeList.size());
    const std::vector<std::string> noSizeTypes(
        types.NoSizeTypeList.begin(),
        types.NoSizeTypeList.begin() + static_cast<long>(noSizeCount));
    sqlwords::RemoveColumnsOfTypes(tokens, noSizeTypes);
    MapTypeWords(tokens, types.ANSIMappedTypeList, notice);
    return sqlwords::Join(tokens);
}

bool ConvertSQL(Session& session) {
    Ui& ui = session.ui;
    ui.SetPointer(Pointer::Busy);
    std::string result;
    try {
        result = StatementsPerLine(ui.EditorText());
    } catch (const std::exception& error) {
        ui.SetPointer(Pointer::Default);
        ShowStandardError(ui, AsEngineError(error));
        return false;
    }
    if (!result.empty())
        ConvertSQLANSI(session, result);
    session.state.ansiExport.exportText = std::move(result);
    ui.SetPointer(Pointer::Default);
    return true;
}

std::string ConvertSQLANSI(Session& session, std::string& S) {
    TypeLists& types = session.state.types;
    try {
        if (types.JetTypeList.empty())
            FillTypeLists(types);
        S = AnsiStatements(S, types, UnknownTypeBox(session));
    } catch (const std::exception& error) {
        session.ui.SetPointer(Pointer::Default);
        ShowStandardError(session.ui, AsEngineError(error));
        S.clear();
    }
    return S;
}

std::string JetANSIType(Session& session, const std::string& name) {
    return JetANSITypeName(name, UnknownTypeBox(session));
}

std::string JetANSITypeName(const std::string& name, const UnknownTypeNotice& notice) {
    for (const auto& [jetName, ansiName] : db::jetsql::kAnsiTypeNames) {
        if (name == jetName)
            return ansiName;
    }
    if (notice)
        notice("Unidentified Jet SQL data type");
    return "";
}

}  // namespace tessel
