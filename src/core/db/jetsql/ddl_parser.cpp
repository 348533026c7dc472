#include "core/db/jetsql/ddl_parser.h"

#include <array>
#include <charconv>

#include "core/db/errors.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::jetsql {
namespace {

constexpr std::array<std::string_view, 12> kColumnKeywords{
    "CONSTRAINT", "PRIMARY", "UNIQUE", "NOT",     "NULL",          "REFERENCES",
    "DEFAULT",    "CHECK",   "WITH",   "COLLATE", "AUTOINCREMENT", "FOREIGN"};

class Parser {
  public:
    // `jetDialect`: expressions are Jet SQL and get the DML rewrites; otherwise they are kept as
    // written (a definition read back from SQLite's schema).
    Parser(std::string_view text, const std::vector<Token>& tokens, bool jetDialect)
        : text_(text), tokens_(tokens), jetDialect_(jetDialect) {}

    std::optional<DdlStatement> Statement() {
        if (AcceptWord("CREATE")) {
            if (AcceptWord("TABLE"))
                return CreateTableStatement();
            const bool unique = AcceptWord("UNIQUE");
            if (AcceptWord("INDEX"))
                return CreateIndexStatement(unique);
            return std::nullopt;
        }
        if (AcceptWord("DROP")) {
            if (AcceptWord("TABLE")) {
                DropTable drop;
                if (AcceptWord("IF")) {
                    ExpectWord("EXISTS");
                    drop.ifExists = true;
                }
                drop.table = Name("a table name");
                End();
                return drop;
            }
            if (AcceptWord("INDEX")) {
                if (PeekWord("IF"))
                    return std::nullopt;
                DropIndex drop;
                drop.name = Name("an index name");
                if (AcceptWord("ON"))
                    drop.table = Name("a table name");
                End();
                return drop;
            }
            return std::nullopt;
        }
        if (AcceptWord("ALTER")) {
            if (!AcceptWord("TABLE"))
                return std::nullopt;
            return AlterTableStatement();
        }
        return std::nullopt;
    }

  private:
    // ---- token access ----
    const Token* Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < tokens_.size() ? &tokens_[pos_ + ahead] : nullptr;
    }
    bool PeekWord(std::string_view word, std::size_t ahead = 0) const {
        const Token* token = Peek(ahead);
        return token != nullptr && token->IsWord(word);
    }
    bool PeekSymbol(std::string_view symbol) const {
        const Token* token = Peek();
        return token != nullptr && token->IsSymbol(symbol);
    }
    bool AcceptWord(std::string_view word) {
        if (!PeekWord(word))
            return false;
        ++pos_;
        return true;
    }
    bool AcceptSymbol(std::string_view symbol) {
        if (!PeekSymbol(symbol))
            return false;
        ++pos_;
        return true;
    }
    void ExpectWord(std::string_view word) {
        if (!AcceptWord(word))
            Fail(std::string(word));
    }
    void ExpectSymbol(std::string_view symbol) {
        if (!AcceptSymbol(symbol))
            Fail(std::string(1, '\'').append(symbol).append(1, '\''));
    }
    std::string Name(const std::string& what) {
        const Token* token = Peek();
        if (token == nullptr || !token->IsName())
            Fail(what);
        ++pos_;
        return token->Value();
    }
    void End() {
        if (Peek() != nullptr)
            Fail("the end of the statement");
    }

    [[noreturn]] void Fail(const std::string& expected) const {
        const Token* token = Peek();
        const std::string near = token == nullptr
                                     ? std::string("at the end of the statement")
                                     : "near '" + std::string(text_.substr(token->begin)) + "'";
        throw EngineError(err::kSyntaxError,
                          "Syntax error in the data definition statement: "
                          "expected " +
                              expected + " " + near + ".");
    }

    bool AtColumnKeyword() const {
        const Token* token = Peek();
        if (token == nullptr)
            return true;
        for (auto keyword : kColumnKeywords) {
            if (token->IsWord(keyword))
                return true;
        }
        return token->kind != TokenKind::Word;
    }

    // Text of tokens [first, last), rewritten for SQLite.
    std::string Rewritten(std::size_t first, std::size_t last) const {
        const auto begin = tokens_[first].begin;
        const std::string piece(text_.substr(begin, tokens_[last - 1].end - begin));
        if (!jetDialect_)
            return piece;
        std::vector<Token> local = Tokenize(piece);
        return RewriteJetSql(piece, local);
    }

    // A parenthesised group: returns its inner text rewritten, the parens consumed.
    std::string Group() {
        ExpectSymbol("(");
        const std::size_t first = pos_;
        int depth = 1;
        while (Peek() != nullptr) {
            if (PeekSymbol("("))
                ++depth;
            if (PeekSymbol(")") && --depth == 0)
                break;
            ++pos_;
        }
        const std::size_t last = pos_;
        ExpectSymbol(")");
        if (last == first)
            Fail("an expression");
        return Rewritten(first, last);
    }

    std::vector<IndexColumn> IndexColumns() {
        std::vector<IndexColumn> columns;
        ExpectSymbol("(");
        do {
            IndexColumn column;
            if (AcceptSymbol("-")) {
                column.descending = true;
            } else {
                AcceptSymbol("+");
            }
            column.name = Name("a field name");
            if (AcceptWord("DESC")) {
                column.descending = true;
            } else {
                AcceptWord("ASC");
            }
            columns.push_back(std::move(column));
        } while (AcceptSymbol(","));
        ExpectSymbol(")");
        return columns;
    }

    std::vector<std::string> NameList() {
        std::vector<std::string> names;
        ExpectSymbol("(");
        do {
            names.push_back(Name("a field name"));
        } while (AcceptSymbol(","));
        ExpectSymbol(")");
        return names;
    }

    // ON UPDATE/DELETE actions after REFERENCES.
    std::string Actions() {
        std::string actions;
        while (PeekWord("ON")) {
            ++pos_;
            std::string clause = " ON ";
            if (AcceptWord("UPDATE")) {
                clause += "UPDATE ";
            } else {
                ExpectWord("DELETE");
                clause += "DELETE ";
            }
            if (AcceptWord("CASCADE")) {
                clause += "CASCADE";
            } else if (AcceptWord("SET")) {
                if (AcceptWord("NULL")) {
                    clause += "SET NULL";
                } else {
                    ExpectWord("DEFAULT");
                    clause += "SET DEFAULT";
                }
            } else if (AcceptWord("RESTRICT")) {
                clause += "RESTRICT";
            } else {
                ExpectWord("NO");
                ExpectWord("ACTION");
                clause += "NO ACTION";
            }
            actions += clause;
        }
        return actions;
    }

    void References(Constraint& constraint) {
        constraint.kind = ConstraintKind::ForeignKey;
        constraint.referencedTable = Name("the referenced table's name");
        if (PeekSymbol("("))
            constraint.referencedColumns = NameList();
        constraint.actions = Actions();
    }

    // What follows "CONSTRAINT name" or stands alone in a column definition.
    bool ColumnConstraint(ColumnDefinition& column, const std::string& name) {
        Constraint constraint;
        constraint.name = name;
        constraint.columns.push_back({column.name, false});
        if (AcceptWord("PRIMARY")) {
            ExpectWord("KEY");
            constraint.kind = ConstraintKind::PrimaryKey;
            if (AcceptWord("DESC")) {
                constraint.columns[0].descending = true;
            } else {
                AcceptWord("ASC");
            }
            if (AcceptWord("AUTOINCREMENT"))
                column.type.autoIncrement = true;
        } else if (AcceptWord("UNIQUE")) {
            constraint.kind = ConstraintKind::Unique;
        } else if (PeekWord("NOT") && PeekWord("NULL", 1)) {
            pos_ += 2;
            column.notNull = true;
            return true;
        } else if (AcceptWord("REFERENCES")) {
            References(constraint);
        } else if (AcceptWord("CHECK")) {
            constraint.kind = ConstraintKind::Check;
            constraint.check = Group();
        } else {
            return false;
        }
        column.constraints.push_back(std::move(constraint));
        return true;
    }

    std::string DefaultValue() {
        const Token* token = Peek();
        if (token == nullptr)
            Fail("a default value");
        if (token->IsSymbol("("))
            return std::string(1, '(').append(Group()).append(1, ')');
        const std::size_t first = pos_;
        if (token->IsSymbol("-") || token->IsSymbol("+"))
            ++pos_;
        if (Peek() == nullptr || Peek()->kind == TokenKind::Symbol)
            Fail("a default value");
        ++pos_;
        return Rewritten(first, pos_);
    }

    // The size in TEXT(n): a whole number; anything else would reach the type as a guess.
    static long FieldSize(const std::string& field, std::string_view written) {
        long size = 0;
        const auto [end, error] = std::from_chars(written.begin(), written.end(), size);
        if (error != std::errc() || end != written.end()) {
            throw EngineError(err::kInvalidFieldType, "The size of field '" + field +
                                                          "' must be a whole number, not '" +
                                                          std::string(written) + "'.");
        }
        return size;
    }

    ColumnDefinition Column() {
        ColumnDefinition column;
        column.name = Name("a field name");
        std::string typeName;
        const std::size_t typeStart = pos_;
        if (PeekWord("AUTOINCREMENT")) {  // the type name, not the SQLite keyword
            typeName = Peek()->Spelling();
            ++pos_;
        }
        while (!AtColumnKeyword()) {
            if (!typeName.empty())
                typeName += ' ';
            typeName += Peek()->Spelling();
            ++pos_;
        }
        std::optional<long> size;
        std::string arguments;
        if (AcceptSymbol("(")) {
            do {
                const Token* number = Peek();
                if (number == nullptr || number->kind != TokenKind::Number)
                    Fail("a number");
                if (!arguments.empty())
                    arguments += ',';
                arguments += number->Spelling();
                if (!size)
                    size = FieldSize(column.name, number->Spelling());
                ++pos_;
            } while (AcceptSymbol(","));
            ExpectSymbol(")");
        }
        if (size && *size <= 0) {
            throw EngineError(err::kInvalidFieldType,
                              "The size of field '" + column.name + "' must be above 0.");
        }
        if (pos_ > typeStart) {
            const auto begin = tokens_[typeStart].begin;
            column.writtenType = std::string(text_.substr(begin, tokens_[pos_ - 1].end - begin));
        }
        if (auto jet = JetTypeFromName(typeName, size)) {
            column.type = *jet;
            const bool decimal = jet->code == 19 || jet->code == 20;
            column.declaredType = PhysicalType(*jet, decimal ? arguments : std::string());
        } else {
            column.declaredType = typeName + (arguments.empty() ? "" : "(" + arguments + ")");
            column.type = DeriveFromDeclared(column.declaredType);
        }
        for (;;) {
            if (AcceptWord("CONSTRAINT")) {
                const std::string name = Name("a constraint name");
                if (!ColumnConstraint(column, name))
                    Fail("a constraint");
            } else if (AcceptWord("NULL")) {
            } else if (AcceptWord("WITH")) {
                if (!AcceptWord("COMPRESSION"))
                    ExpectWord("COMP");
            } else if (AcceptWord("DEFAULT")) {
                column.defaultValue = DefaultValue();
            } else if (AcceptWord("AUTOINCREMENT")) {
                column.type.autoIncrement = true;
            } else if (AcceptWord("COLLATE")) {
                column.collation = Name("a collation name");
            } else if (!ColumnConstraint(column, {})) {
                break;
            }
        }
        return column;
    }

    // A table constraint, after an optional "CONSTRAINT name".
    std::optional<Constraint> TableConstraint() {
        Constraint constraint;
        const std::size_t start = pos_;
        if (AcceptWord("CONSTRAINT"))
            constraint.name = Name("a constraint name");
        if (AcceptWord("PRIMARY")) {
            ExpectWord("KEY");
            constraint.kind = ConstraintKind::PrimaryKey;
            constraint.columns = IndexColumns();
        } else if (AcceptWord("UNIQUE")) {
            constraint.kind = ConstraintKind::Unique;
            constraint.columns = IndexColumns();
        } else if (PeekWord("NOT") && PeekWord("NULL", 1)) {
            pos_ += 2;
            constraint.kind = ConstraintKind::NotNull;
            constraint.columns = IndexColumns();
        } else if (AcceptWord("FOREIGN")) {
            ExpectWord("KEY");
            if (AcceptWord("NO"))
                ExpectWord("INDEX");
            for (auto& name : NameList())
                constraint.columns.push_back({name, false});
            ExpectWord("REFERENCES");
            References(constraint);
        } else if (AcceptWord("CHECK")) {
            constraint.kind = ConstraintKind::Check;
            constraint.check = Group();
        } else {
            pos_ = start;
            return std::nullopt;
        }
        return constraint;
    }

    std::optional<DdlStatement> CreateTableStatement() {
        CreateTable create;
        if (PeekWord("IF")) {
            if (jetDialect_)
                return std::nullopt;  // SQLite's own form, left to SQLite
            ++pos_;
            ExpectWord("NOT");
            ExpectWord("EXISTS");
        }
        create.table = Name("a table name");
        if (PeekWord("AS"))
            return std::nullopt;
        ExpectSymbol("(");
        if (!PeekSymbol(")")) {
            do {
                if (auto constraint = TableConstraint()) {
                    create.constraints.push_back(std::move(*constraint));
                } else {
                    create.columns.push_back(Column());
                }
            } while (AcceptSymbol(","));
        }
        ExpectSymbol(")");
        if (PeekWord("WITHOUT") || PeekWord("STRICT"))
            return std::nullopt;
        End();
        return create;
    }

    std::optional<DdlStatement> CreateIndexStatement(bool unique) {
        CreateIndex create;
        create.unique = unique;
        if (PeekWord("IF"))
            return std::nullopt;
        create.name = Name("an index name");
        ExpectWord("ON");
        create.table = Name("a table name");
        create.columns = IndexColumns();
        if (PeekWord("WHERE"))
            return std::nullopt;  // SQLite's partial index
        if (AcceptWord("WITH")) {
            do {
                if (AcceptWord("PRIMARY")) {
                    create.primary = true;
                } else if (AcceptWord("DISALLOW")) {
                    ExpectWord("NULL");
                    create.disallowNull = true;
                } else if (AcceptWord("IGNORE")) {
                    ExpectWord("NULL");
                    create.ignoreNull = true;
                } else {
                    Fail("PRIMARY, DISALLOW NULL or IGNORE NULL");
                }
            } while (PeekWord("PRIMARY") || PeekWord("DISALLOW") || PeekWord("IGNORE"));
        }
        End();
        return create;
    }

    std::optional<DdlStatement> AlterTableStatement() {
        const std::string table = Name("a table name");
        if (AcceptWord("ADD")) {
            if (auto constraint = TableConstraint()) {
                End();
                return AddConstraint{table, std::move(*constraint)};
            }
            AcceptWord("COLUMN");
            AddColumn add{table, Column()};
            End();
            return add;
        }
        if (AcceptWord("DROP")) {
            if (AcceptWord("CONSTRAINT")) {
                DropConstraint drop{table, Name("a constraint name")};
                End();
                return drop;
            }
            AcceptWord("COLUMN");
            DropColumn drop{table, Name("a field name")};
            End();
            return drop;
        }
        if (AcceptWord("ALTER")) {
            AcceptWord("COLUMN");
            AlterColumn alter{table, Column()};
            End();
            return alter;
        }
        if (AcceptWord("RENAME")) {
            if (AcceptWord("TO")) {
                RenameTableTo rename{table, Name("the new table name")};
                End();
                return rename;
            }
            AcceptWord("COLUMN");
            RenameColumnTo rename{table, Name("a field name"), {}};
            ExpectWord("TO");
            rename.to = Name("the new field name");
            End();
            return rename;
        }
        Fail("ADD, DROP, ALTER or RENAME");
    }

    std::string_view text_;
    const std::vector<Token>& tokens_;
    bool jetDialect_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<DdlStatement> ParseDdl(std::string_view text, const std::vector<Token>& tokens) {
    return Parser(text, tokens, true).Statement();
}

std::optional<std::string> CreatedObjectName(const std::vector<Token>& tokens) {
    std::size_t at = 0;
    auto accept = [&](std::string_view word) {
        if (at >= tokens.size() || !tokens[at].IsWord(word))
            return false;
        ++at;
        return true;
    };
    if (!accept("CREATE"))
        return std::nullopt;
    if (!accept("TEMP"))
        accept("TEMPORARY");
    accept("UNIQUE");
    accept("VIRTUAL");
    if (!accept("TABLE") && !accept("VIEW") && !accept("INDEX") && !accept("TRIGGER"))
        return std::nullopt;
    if (accept("IF") && !(accept("NOT") && accept("EXISTS")))
        return std::nullopt;
    if (at >= tokens.size() || !tokens[at].IsName())
        return std::nullopt;
    // schema.name
    if (at + 2 < tokens.size() && tokens[at + 1].IsSymbol(".") && tokens[at + 2].IsName())
        at += 2;
    return tokens[at].Value();
}

std::optional<CreateTable> ParseStoredTable(std::string_view sql) {
    const auto tokens = Tokenize(sql);
    try {
        auto statement = Parser(sql, tokens, false).Statement();
        if (statement) {
            if (auto* create = std::get_if<CreateTable>(&*statement))
                return std::move(*create);
        }
    } catch (const EngineError&) {
    }
    return std::nullopt;
}

}  // namespace tessel::db::jetsql
