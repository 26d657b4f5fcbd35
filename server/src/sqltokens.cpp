#include "sqltokens.h"

#include <sqlite3.h>

namespace tessel::server::sql {

namespace {

bool isSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

/// A byte that may start an identifier: letters, '_' and every byte of a UTF-8 sequence.
bool isIdStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

/// A byte that may continue an identifier (SQLite's IdChar): also digits and '$'.
bool isIdChar(unsigned char c)
{
    return isIdStart(c) || isDigit(c) || c == '$';
}

/// End of a quoted run starting at `i` (the opening quote): past the closing quote; a doubled
/// quote is part of the run. Unterminated: the end of the text.
int quotedEnd(const QByteArray& s, int i, char close, bool doubling)
{
    const int n = s.size();
    for (int j = i + 1; j < n; ++j) {
        if (s[j] == close) {
            if (doubling && j + 1 < n && s[j + 1] == close) {
                ++j;
                continue;
            }
            return j + 1;
        }
    }
    return n;
}

bool isKeyword(const QByteArray& word, const char* keyword)
{
    return sameName(word, QByteArray::fromRawData(keyword, int(qstrlen(keyword))));
}

/// Tokens other than blanks and comments.
std::vector<Token> meaningful(const QByteArray& sql)
{
    std::vector<Token> out;
    for (const Token& t : tokenize(sql)) {
        if (t.kind != TokenKind::Space && t.kind != TokenKind::Comment) {
            out.push_back(t);
        }
    }
    return out;
}

QByteArray textOf(const QByteArray& sql, const Token& t)
{
    return sql.mid(t.begin, t.end - t.begin);
}

/// The replacement text for a token that names a table: keeps the token's own quoting.
QByteArray replacementFor(const QByteArray& sql, const Token& t, const QByteArray& name)
{
    if (t.kind == TokenKind::QuotedIdentifier) {
        const char open = sql[t.begin];
        if (open == '`') {
            return '`' + QByteArray(name).replace("`", "``") + '`';
        }
        if (open == '[' && !name.contains(']')) {
            return '[' + name + ']';
        }
        return '"' + QByteArray(name).replace("\"", "\"\"") + '"';
    }
    return quoteName(name);
}

}  // namespace

std::vector<Token> tokenize(const QByteArray& sql)
{
    std::vector<Token> tokens;
    const int n = sql.size();
    const auto at = [&](int i) -> unsigned char { return i < n ? static_cast<unsigned char>(sql[i]) : 0; };
    int i = 0;
    while (i < n) {
        const unsigned char c = at(i);
        int end = i + 1;
        TokenKind kind = TokenKind::Operator;
        if (isSpace(c)) {
            while (end < n && isSpace(at(end))) {
                ++end;
            }
            kind = TokenKind::Space;
        } else if (c == '-' && at(i + 1) == '-') {
            while (end < n && at(end) != '\n') {
                ++end;
            }
            kind = TokenKind::Comment;
        } else if (c == '/' && at(i + 1) == '*') {
            const int close = sql.indexOf("*/", i + 2);
            end = close < 0 ? n : close + 2;
            kind = TokenKind::Comment;
        } else if (c == '\'') {
            end = quotedEnd(sql, i, '\'', true);
            kind = TokenKind::String;
        } else if ((c == 'x' || c == 'X') && at(i + 1) == '\'') {
            end = quotedEnd(sql, i + 1, '\'', false);
            kind = TokenKind::Blob;
        } else if (c == '"' || c == '`') {
            end = quotedEnd(sql, i, char(c), true);
            kind = TokenKind::QuotedIdentifier;
        } else if (c == '[') {
            end = quotedEnd(sql, i, ']', false);
            kind = TokenKind::QuotedIdentifier;
        } else if (c == '?') {
            while (isDigit(at(end))) {
                ++end;
            }
            kind = TokenKind::Parameter;
        } else if (c == ':' || c == '@' || c == '#' || c == '$') {
            // SQLite also allows "::" and a "(...)" suffix in $-names (Tcl style).
            while (end < n && (isIdChar(at(end)) || (c == '$' && at(end) == ':' && at(end + 1) == ':'))) {
                end += at(end) == ':' ? 2 : 1;
            }
            if (c == '$' && at(end) == '(') {
                const int close = sql.indexOf(')', end);
                end = close < 0 ? n : close + 1;
            }
            kind = end > i + 1 ? TokenKind::Parameter : TokenKind::Operator;
        } else if (isDigit(c) || (c == '.' && isDigit(at(i + 1)))) {
            // Digits, '.', exponents; letters glued to a number belong to it (SQLite makes the
            // whole run one illegal token), so "1TAB" is never the name "TAB".
            const bool hex = c == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X');
            while (end < n) {
                const unsigned char d = at(end);
                const unsigned char prev = at(end - 1);
                if (isIdChar(d) || d == '.' ||
                    (!hex && (d == '+' || d == '-') && (prev == 'e' || prev == 'E') &&
                     isDigit(at(end + 1)))) {
                    ++end;
                } else {
                    break;
                }
            }
            kind = TokenKind::Number;
        } else if (isIdStart(c)) {
            while (end < n && isIdChar(at(end))) {
                ++end;
            }
            kind = TokenKind::Identifier;
        }
        tokens.push_back(Token{kind, i, end});
        i = end;
    }
    return tokens;
}

QByteArray identifierName(const QByteArray& sql, const Token& token)
{
    if (token.kind == TokenKind::Identifier) {
        return textOf(sql, token);
    }
    if (token.kind != TokenKind::QuotedIdentifier) {
        return QByteArray();
    }
    const char open = sql[token.begin];
    const char close = open == '[' ? ']' : open;
    int end = token.end;
    if (end - token.begin >= 2 && sql[end - 1] == close) {
        --end;  // an unterminated one has no closing quote
    }
    QByteArray name = sql.mid(token.begin + 1, end - token.begin - 1);
    if (open != '[') {
        name.replace(QByteArray(2, close), QByteArray(1, close));
    }
    return name;
}

bool sameName(const QByteArray& a, const QByteArray& b)
{
    return a.size() == b.size() && sqlite3_strnicmp(a.constData(), b.constData(), a.size()) == 0;
}

QByteArray quoteName(const QByteArray& name)
{
    bool plain = !name.isEmpty() && isIdStart(static_cast<unsigned char>(name[0])) &&
                 sqlite3_keyword_check(name.constData(), name.size()) == 0;
    for (int i = 1; plain && i < name.size(); ++i) {
        plain = isIdChar(static_cast<unsigned char>(name[i]));
    }
    return plain ? name : '"' + QByteArray(name).replace("\"", "\"\"") + '"';
}

QByteArray renameTable(const QByteArray& sql, const QByteArray& from, const QByteArray& to, int* replaced)
{
    QByteArray out;
    out.reserve(sql.size() + 16);
    int count = 0;
    int copied = 0;
    for (const Token& t : tokenize(sql)) {
        if ((t.kind == TokenKind::Identifier || t.kind == TokenKind::QuotedIdentifier) &&
            sameName(identifierName(sql, t), from)) {
            out.append(sql.constData() + copied, t.begin - copied);
            out.append(replacementFor(sql, t, to));
            copied = t.end;
            ++count;
        }
    }
    out.append(sql.constData() + copied, sql.size() - copied);
    if (replaced) {
        *replaced = count;
    }
    return out;
}

QByteArray rewriteCreateStatement(const QByteArray& sql, const QByteArray& fromTable,
                                  const QByteArray& toTable, const QByteArray& newObjectName)
{
    // CREATE [TEMP|TEMPORARY] [UNIQUE] {TABLE|INDEX|TRIGGER} [IF NOT EXISTS] [schema.]name ...
    const std::vector<Token> tokens = meaningful(sql);
    size_t i = 0;
    const auto word = [&](size_t k) {
        return k < tokens.size() && tokens[k].kind == TokenKind::Identifier ? textOf(sql, tokens[k])
                                                                            : QByteArray();
    };
    if (!isKeyword(word(i++), "CREATE")) {
        return QByteArray();
    }
    if (isKeyword(word(i), "TEMP") || isKeyword(word(i), "TEMPORARY")) {
        ++i;
    }
    if (isKeyword(word(i), "UNIQUE")) {
        ++i;
    }
    if (!isKeyword(word(i), "TABLE") && !isKeyword(word(i), "INDEX") && !isKeyword(word(i), "TRIGGER")) {
        return QByteArray();
    }
    ++i;
    if (isKeyword(word(i), "IF") && isKeyword(word(i + 1), "NOT") && isKeyword(word(i + 2), "EXISTS")) {
        i += 3;
    }
    if (i + 2 < tokens.size() && tokens[i + 1].kind == TokenKind::Operator &&
        sql[tokens[i + 1].begin] == '.') {
        i += 2;  // schema name
    }
    if (i >= tokens.size() || identifierName(sql, tokens[i]).isEmpty()) {
        return QByteArray();
    }
    const Token name = tokens[i];
    QByteArray out = renameTable(sql.left(name.begin), fromTable, toTable);
    out.append(replacementFor(sql, name, newObjectName));
    out.append(renameTable(sql.mid(name.end), fromTable, toTable));
    return out;
}

StatementShape statementShape(const QByteArray& sql)
{
    StatementShape shape;
    int depth = 0;
    int lastEnd = -1;     // end of the last meaningful token of the first statement
    int orderBegin = -1;  // the first statement's own ORDER BY ...
    int orderEnd = -1;    // ... up to its LIMIT or its end
    bool inStatement = false;
    const std::vector<Token> tokens = meaningful(sql);
    for (size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        const char c = sql[t.begin];
        if (t.kind == TokenKind::Operator && c == ';') {
            if (inStatement) {
                ++shape.statementCount;
                inStatement = false;
            }
            depth = 0;
            continue;
        }
        inStatement = true;
        if (shape.statementCount > 0) {
            continue;
        }
        lastEnd = t.end;
        if (t.kind == TokenKind::Operator && c == '(') {
            ++depth;
        } else if (t.kind == TokenKind::Operator && c == ')') {
            --depth;
        } else if (depth == 0 && t.kind == TokenKind::Identifier) {
            const QByteArray word = textOf(sql, t);
            if (isKeyword(word, "LIMIT")) {
                shape.topLevelLimit = true;
                if (orderBegin >= 0 && orderEnd < 0) {
                    orderEnd = t.begin;
                }
            } else if (isKeyword(word, "ORDER") && k + 1 < tokens.size() &&
                       tokens[k + 1].kind == TokenKind::Identifier &&
                       isKeyword(textOf(sql, tokens[k + 1]), "BY")) {
                orderBegin = t.begin;
                orderEnd = -1;
            }
        }
    }
    if (inStatement) {
        ++shape.statementCount;
    }
    if (lastEnd >= 0) {
        shape.text = sql.left(lastEnd);  // leading blanks and comments stay: they are harmless
        shape.unordered = shape.text;
        if (orderBegin >= 0) {
            shape.unordered.remove(orderBegin, (orderEnd < 0 ? lastEnd : orderEnd) - orderBegin);
        }
    }
    return shape;
}

}  // namespace tessel::server::sql
