#include "core/data/dao/JetSql.h"

#include <QVector>

namespace qrv::dao {

namespace {

struct Token {
    enum Kind { Word, Number, Text, Identifier, Space, Other };
    Kind kind;
    QString text;
};

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Reads a run of text delimited by `close`, where a doubled delimiter stands for itself.
int scanDelimited(const QString &sql, int from, QChar close) {
    int i = from + 1;
    while (i < sql.size()) {
        if (sql.at(i) == close) {
            if (close != QLatin1Char(']') && i + 1 < sql.size() && sql.at(i + 1) == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i; // unterminated: the engine will report it
}

QVector<Token> tokenize(const QString &sql) {
    QVector<Token> tokens;
    int i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        int end = i + 1;
        Token::Kind kind = Token::Other;
        if (c == QLatin1Char('\'')) {
            end = scanDelimited(sql, i, c);
            kind = Token::Text;
        } else if (c == QLatin1Char('"')) {
            end = scanDelimited(sql, i, c);
            kind = Token::Identifier;
        } else if (c == QLatin1Char('[')) {
            end = scanDelimited(sql, i, QLatin1Char(']'));
            kind = Token::Identifier;
        } else if (c.isSpace()) {
            while (end < sql.size() && sql.at(end).isSpace())
                ++end;
            kind = Token::Space;
        } else if (c.isDigit()) {
            while (end < sql.size() && (isWordChar(sql.at(end)) || sql.at(end) == QLatin1Char('.')))
                ++end;
            kind = Token::Number;
        } else if (isWordStart(c)) {
            while (end < sql.size() && isWordChar(sql.at(end)))
                ++end;
            kind = Token::Word;
        }
        tokens.append({kind, sql.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

// Index of the next token after `i` that is not blank, or tokens.size().
int nextSolid(const QVector<Token> &tokens, int i) {
    ++i;
    while (i < tokens.size() && tokens.at(i).kind == Token::Space)
        ++i;
    return i;
}

bool isWord(const QVector<Token> &tokens, int i, const char *word) {
    return i < tokens.size() && tokens.at(i).kind == Token::Word &&
           tokens.at(i).text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const QVector<Token> &tokens, int i, const char *symbol) {
    return i < tokens.size() && tokens.at(i).kind == Token::Other &&
           tokens.at(i).text == QLatin1String(symbol);
}

} // namespace

QString quoteIdentifier(const QString &name, Database::Engine engine) {
    QString bare = name;
    bare.replace(QLatin1Char('"'), QLatin1String("\"\""));
    if (engine == Database::Engine::PostgreSQL)
        bare = bare.toLower();
    return QLatin1Char('"') + bare + QLatin1Char('"');
}

QString translateJet(const QString &sql, Database::Engine engine) {
    const bool pg = engine == Database::Engine::PostgreSQL;
    QVector<Token> tokens = tokenize(sql);

    // Trailing semicolons and blanks are not part of the statement.
    while (!tokens.isEmpty() &&
           (tokens.constLast().kind == Token::Space || isSymbol(tokens, tokens.size() - 1, ";")))
        tokens.removeLast();

    QString out;
    out.reserve(sql.size() + 16);
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (t.kind == Token::Identifier && t.text.startsWith(QLatin1Char('['))) {
            QString name = t.text.mid(1);
            if (name.endsWith(QLatin1Char(']')))
                name.chop(1);
            out += quoteIdentifier(name, engine);
            continue;
        }
        if (t.kind != Token::Word) {
            out += t.text;
            continue;
        }
        // "Delete * from": Jet's column list of a deletion, unknown to SQL.
        if (isWord(tokens, i, "delete")) {
            const int star = nextSolid(tokens, i);
            const int from = nextSolid(tokens, star);
            if (isSymbol(tokens, star, "*") && isWord(tokens, from, "from")) {
                out += QLatin1String("DELETE FROM");
                i = from;
                continue;
            }
        }
        const bool qualified = i > 0 && isSymbol(tokens, i - 1, ".");
        if (!qualified && (isWord(tokens, i, "true") || isWord(tokens, i, "false"))) {
            const bool value = isWord(tokens, i, "true");
            if (pg)
                out += value ? QLatin1String("TRUE") : QLatin1String("FALSE");
            else
                out += value ? QLatin1String("1") : QLatin1String("0");
            continue;
        }
        if (pg && (isWord(tokens, i, "top") || isWord(tokens, i, "left"))) {
            const int next = nextSolid(tokens, i);
            // LEFT( is a function, LEFT JOIN / LEFT OUTER a join: only the column is quoted.
            const bool keyword =
                isSymbol(tokens, next, "(") || isWord(tokens, next, "join") || isWord(tokens, next, "outer");
            if (!keyword) {
                out += quoteIdentifier(t.text, engine);
                continue;
            }
        }
        out += t.text;
    }
    return out;
}

} // namespace qrv::dao
