// A tokenizer for SQL text that follows SQLite's own rules for where string literals, blob
// literals, comments, quoted identifiers, parameters and numbers begin and end, and the
// rewriting built on it: renaming a table wherever it stands as a whole identifier.
#ifndef TESSEL_SERVER_SQLTOKENS_H
#define TESSEL_SERVER_SQLTOKENS_H

#include <QByteArray>

#include <vector>

namespace tessel::server::sql {

enum class TokenKind
{
    Space,
    Comment,           ///< -- to the end of the line, or /* ... */ (unterminated: to the end)
    String,            ///< '...' with '' inside
    Blob,              ///< x'...'
    Number,            ///< 12, 1.5e3, 0x1F, .5
    Identifier,        ///< a bare word: a name or a keyword
    QuotedIdentifier,  ///< "...", `...` or [...]
    Parameter,         ///< ?, ?NNN, :name, @name, $name, #name
    Operator,          ///< any other single byte, ';' and parentheses included
};

struct Token
{
    TokenKind kind;
    int begin;  ///< byte offsets into the text
    int end;
};

/// Splits UTF-8 SQL text into tokens covering it completely. An unterminated string, quoted
/// identifier or comment runs to the end of the text, as in SQLite.
std::vector<Token> tokenize(const QByteArray& sql);

/// The name an Identifier or QuotedIdentifier token stands for (quotes removed, doubled quotes
/// made single); empty for other tokens.
QByteArray identifierName(const QByteArray& sql, const Token& token);

/// ASCII case-insensitive comparison, as SQLite compares names.
bool sameName(const QByteArray& a, const QByteArray& b);

/// `name` as it can stand in SQL: as it is when it is a plain identifier that is not a keyword,
/// otherwise in double quotes (inner double quotes doubled).
QByteArray quoteName(const QByteArray& name);

/// Replaces every token naming the table `from` (bare or quoted, any letter case) with `to`.
/// String literals, comments, parameters and longer identifiers that merely contain `from`
/// are left alone. `replaced`, when given, receives the number of replacements.
QByteArray renameTable(const QByteArray& sql, const QByteArray& from, const QByteArray& to,
                       int* replaced = nullptr);

/// Rewrites the CREATE statement of a table, index or trigger of the table `fromTable` for a
/// copy on the table `toTable`: the object created gets the name `newObjectName`, and every
/// other whole identifier naming `fromTable` becomes `toTable`. Returns an empty text when the
/// statement is not such a CREATE statement.
QByteArray rewriteCreateStatement(const QByteArray& sql, const QByteArray& fromTable,
                                  const QByteArray& toTable, const QByteArray& newObjectName);

/// What the query commands need to know about one statement.
struct StatementShape
{
    QByteArray text;             ///< the statement without trailing blanks, comments and ';'
    QByteArray unordered;        ///< `text` without its own ORDER BY (outside parentheses)
    int statementCount = 0;      ///< statements in the whole text
    bool topLevelLimit = false;  ///< it has a LIMIT of its own (outside parentheses)
};
StatementShape statementShape(const QByteArray& sql);

}  // namespace tessel::server::sql

#endif
