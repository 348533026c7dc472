#include "core/generate/written_names.h"

#include "core/db/errors.h"
#include "core/db/jetsql/tokenizer.h"
#include "core/script/script_runner.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

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

bool HoldsControlCharacter(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20)
            return true;
    }
    return false;
}

// Read back by the tokenizer that runs the statement, the written name is one name, whole.
bool ReadsBackAs(const std::string& written, const std::string& name) {
    const auto tokens = db::jetsql::Tokenize(written);
    return tokens.size() == 1 && tokens[0].IsName() && tokens[0].Value() == name &&
           tokens[0].begin == 0 && tokens[0].end == written.size();
}

// Why a text cannot stand in a script as written; the most telling cause first. Inside brackets
// ";" and "//" are parts of the name; a script command takes its argument as it stands, so there
// brackets mean nothing.
std::string Cause(const std::string& text, bool bracketed) {
    if (text.find('\0') != std::string::npos)
        return "holds a NUL character, which no statement may hold";
    if (bracketed && text.find(']') != std::string::npos)
        return "holds \"]\", which would end the bracketed name early";
    if (!bracketed && text.find(';') != std::string::npos)
        return "holds \";\", where the script would end the statement";
    if (text.find_first_of("\r\n") != std::string::npos)
        return "holds a line break, which the script would not keep as it is";
    if (bracketed && HoldsControlCharacter(text))
        return "holds a control character, which the script would not keep as it is";
    if (!bracketed && text.find("//") != std::string::npos)
        return "holds \"//\", which the script would read as the start of a comment";
    return "would not read back from the script as it is written";
}

[[noreturn]] void Refuse(long number, const std::string& what, const std::string& text,
                         bool bracketed) {
    throw ProgramError(number, "The script cannot be generated: " + what + " " +
                                   Cause(text, bracketed) +
                                   ", so the script would not do what it says. Rename it, then "
                                   "generate the script again.");
}

}  // namespace

std::string ScriptName(const std::string& name, const std::string& what) {
    std::string written = IsPlainName(name) ? name : "[" + name + "]";
    // Control characters (a NUL, a line break) would be refused when the statement runs, or
    // changed by the editor; the tokenizer alone would keep them.
    if (HoldsControlCharacter(name) || !ReadsBackAs(written, name))
        Refuse(db::err::kInvalidName, what, name, true);
    return written;
}

std::string StatementLine(const std::string& statement, bool isCommand, const std::string& what,
                          long number) {
    std::string line = statement + ";";
    // The line is split as the script will hold it, followed by a line break, so that "//"
    // reads as it will there.
    bool same = false;
    try {
        const auto statements = SplitScript(line + "\r\n");
        same = statements.size() == 1 && statements[0].text == statement &&
               statements[0].isCommand == isCommand;
    } catch (const db::EngineError&) {
        same = false;
    }
    if (!same || statement.find('\0') != std::string::npos)
        Refuse(number, what, statement, false);
    return line;
}

}  // namespace tessel
