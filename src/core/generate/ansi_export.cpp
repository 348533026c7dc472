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
void MapTypeWords(Session& session, std::vector<sqlwords::Token>& tokens,
                  const std::vector<std::string>& mappedWords) {
    for (const std::string& word : mappedWords) {
        const std::string upperWord = base::UpperAscii(word);
        const std::string ansiName = JetANSIType(session, word);
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
    state.exportMode = true;
    if (!state.appPath.empty()) {
        const std::string exportDirectory = state.appPath + "/export";
        try {
            EnsureDirectory(exportDirectory);
        } catch (const db::EngineError& error) {
            ShowStandardError(session.ui, error);
            return;
        }
        state.commonDialog.initialDirectory = exportDirectory;
    }
    state.commonDialog.title = kExportDialogTitle;
    state.commonDialog.flags = kSaveDialogFlags;
    state.commonDialog.defaultExtension = kScriptDefaultExtension;
    state.scriptFileFilter = kScriptFileFilter;
    const std::string name = AskScriptFileName(session, "");
    if (name.empty())
        return;
    // A bare name is meant in the directory the dialog showed, not wherever the program runs.
    std::filesystem::path path(name);
    if (path.is_relative() && !state.commonDialog.initialDirectory.empty()) {
        path = std::filesystem::path(state.commonDialog.initialDirectory) / path;
    }
    WriteScriptFile(session, path.string());
}

bool ConvertSQL(Session& session) {
    Ui& ui = session.ui;
    ui.SetPointer(Pointer::Busy);
    try {
        // Scripts of any length convert: the old limit of 32767 characters came from 16-bit
        // counters, not from the format.
        std::string result = StatementsPerLine(ui.EditorText());
        if (!result.empty())
            ConvertSQLANSI(session, result);
        session.state.exportText = std::move(result);
    } catch (const std::exception& error) {
        ui.SetPointer(Pointer::Default);
        ShowStandardError(ui, AsEngineError(error));
        return false;
    }
    ui.SetPointer(Pointer::Default);
    return true;
}

std::string ConvertSQLANSI(Session& session, std::string& S) {
    SharedState& state = session.state;
    try {
        if (state.JetTypeList.empty())
            FillTypeLists(state);
        std::vector<sqlwords::Token> tokens = sqlwords::Tokenize(S);
        UpperCaseTypeWords(tokens, state.JetTypeList);
        const std::size_t noSizeCount = std::min(kNoSizeTypeCount, state.NoSizeTypeList.size());
        const std::vector<std::string> noSizeTypes(
            state.NoSizeTypeList.begin(),
            state.NoSizeTypeList.begin() + static_cast<long>(noSizeCount));
        sqlwords::RemoveColumnsOfTypes(tokens, noSizeTypes);
        MapTypeWords(session, tokens, state.ANSIMappedTypeList);
        S = sqlwords::Join(tokens);
    } catch (const std::exception& error) {
        session.ui.SetPointer(Pointer::Default);
        ShowStandardError(session.ui, AsEngineError(error));
        S.clear();
    }
    return S;
}

std::string JetANSIType(Session& session, const std::string& name) {
    for (const auto& [jetName, ansiName] : db::jetsql::kAnsiTypeNames) {
        if (name == jetName)
            return ansiName;
    }
    ReportUnidentifiedType(session, "Unidentified Jet SQL data type");
    return "";
}

}  // namespace tessel
