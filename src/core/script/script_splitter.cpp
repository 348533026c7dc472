// The script splitter: removes comments and line breaks, trims, and cuts at ";" in one pass.
#include <algorithm>

#include "core/script/script_runner.h"
#include "core/session/standard_error.h"

namespace tessel {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// How much of a faulty statement an error message quotes.
constexpr std::size_t kQuotedStatementLength = 60;

std::string Excerpt(const std::string& statement) {
    if (statement.size() <= kQuotedStatementLength)
        return statement;
    return statement.substr(0, kQuotedStatementLength) + "...";
}

char ClosingOf(char opening) {
    return opening == '[' ? ']' : opening;
}

}  // namespace

ScriptSplitter::ScriptSplitter(std::string_view script)
    : text_(script), lastLineFeed_(script.rfind('\n')) {}

std::size_t ScriptSplitter::LineOf(std::size_t position) const {
    return 1 + static_cast<std::size_t>(
                   std::count(text_.begin(), text_.begin() + static_cast<long>(position), '\n'));
}

std::optional<SplitStatement> ScriptSplitter::Next() {
    enum class Kind { Undecided, Command, Sql };
    Kind kind = Kind::Undecided;
    std::string statement;
    char closingQuote = 0;  // the character that ends the quoted text we are in, 0 outside
    std::size_t quoteStart = 0;
    std::size_t statementStart = kNone;
    const std::size_t length = text_.size();

    while (position_ < length) {
        const char c = text_[position_];
        if (closingQuote != 0) {
            // Inside quotes everything stands as written, line breaks included.
            statement += c;
            ++position_;
            if (c == closingQuote)
                closingQuote = 0;
            continue;
        }
        // A comment runs to the end of its line. Without a line break anywhere after it, the
        // "//" is ordinary text. A lone line feed ends a line as well as CR LF does, so that
        // scripts written with either line end read alike.
        if (c == '/' && position_ + 1 < length && text_[position_ + 1] == '/' &&
            lastLineFeed_ != kNone && lastLineFeed_ > position_) {
            position_ = text_.find('\n', position_ + 2) + 1;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++position_;
            continue;
        }
        if (!started_) {
            if (c == ' ') {
                ++position_;
                continue;
            }
            started_ = true;
        }
        if (c == ';') {
            ++position_;
            return SplitStatement{std::move(statement), kind == Kind::Command};
        }
        if (kind == Kind::Undecided) {
            if (statement.empty()) {
                statementStart = position_;
                if (c != 'd')
                    kind = Kind::Sql;
            } else {
                kind = c == 'b' ? Kind::Command : Kind::Sql;
            }
        }
        statement += c;
        ++position_;
        // Script commands take their argument as it stands (a file name may hold an
        // apostrophe); quotes and brackets mean something only in SQL.
        if (kind == Kind::Sql && (c == '\'' || c == '"' || c == '[')) {
            closingQuote = ClosingOf(c);
            quoteStart = position_ - 1;
        }
    }
    return FinishAtEnd(statement, closingQuote, quoteStart, statementStart);
}

std::optional<SplitStatement> ScriptSplitter::FinishAtEnd(std::string& pending, char openQuote,
                                                          std::size_t quoteStart,
                                                          std::size_t statementStart) const {
    if (openQuote != 0) {
        const char opening = text_[quoteStart];
        const char* what = opening == '[' ? "bracketed name" : "quoted text";
        throw ProgramError(db::err::kInvalidArgument,
                           std::string("The script ends inside the ") + what + " that opens with " +
                               opening + " on line " + std::to_string(LineOf(quoteStart)) +
                               ": the closing " + openQuote + " is missing.");
    }
    // The blanks that end the whole text are not a statement.
    while (!pending.empty() && pending.back() == ' ')
        pending.pop_back();
    if (pending.empty())
        return std::nullopt;
    throw ProgramError(db::err::kInvalidArgument,
                       "The statement on line " + std::to_string(LineOf(statementStart)) +
                           " does not end with \";\": " + Excerpt(pending));
}

std::vector<SplitStatement> SplitScript(std::string_view script) {
    std::vector<SplitStatement> statements;
    ScriptSplitter splitter(script);
    while (auto statement = splitter.Next())
        statements.push_back(std::move(*statement));
    return statements;
}

}  // namespace tessel
