#include "core/data/dao/QueryClassification.h"

#include "core/data/dao/JetSql.h"
#include "core/data/dao/RowStatements.h"

#include <QRegularExpression>

namespace qrv::dao {

namespace {

/**
 * sql with every parenthesised subquery "(select ...)" replaced by a blank word, so that a scalar
 * subquery in the column list (an article's description beside each line) does not hide which
 * one table the rows come from. Quoted texts and names are left alone; an unclosed group stays.
 */
QString withoutSubqueries(const QString &sql) {
    static const QRegularExpression subqueryStart(QStringLiteral(R"(\(\s*select\b)"),
                                                  QRegularExpression::CaseInsensitiveOption);
    QString out;
    out.reserve(sql.size());
    int i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            int end = i + 1;
            while (end < sql.size() && sql.at(end) != c)
                ++end;
            out += sql.mid(i, end + 1 - i);
            i = end + 1;
            continue;
        }
        if (c == QLatin1Char('(') &&
            subqueryStart
                .match(sql, i, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption)
                .hasMatch()) {
            int depth = 0;
            int end = i;
            for (; end < sql.size(); ++end) {
                const QChar d = sql.at(end);
                if (d == QLatin1Char('\'') || d == QLatin1Char('"')) {
                    const int close = sql.indexOf(d, end + 1);
                    end = close < 0 ? sql.size() - 1 : close;
                } else if (d == QLatin1Char('(')) {
                    ++depth;
                } else if (d == QLatin1Char(')') && --depth == 0) {
                    break;
                }
            }
            if (end < sql.size()) {
                out += QLatin1String("subquery");
                i = end + 1;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

} // namespace

std::optional<ClassifiedQuery> classifyQuery(const QString &source, Database::Engine engine) {
    static const QRegularExpression bareName(QStringLiteral(R"(^\[?([A-Za-z_][A-Za-z0-9_]*)\]?\s*;?$)"));
    // One table, no join, no grouping: the rows can be written back by key.
    static const QRegularExpression singleTable(
        QStringLiteral(
            R"(^\s*select\s+(.+?)\s+from\s+("?)([A-Za-z_][A-Za-z0-9_]*)\2\s*(?:$|\b(?:where|order)\b))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression queryStart(QStringLiteral(R"(^\s*\(*\s*(select|with)\b)"),
                                               QRegularExpression::CaseInsensitiveOption);

    const QString text = source.trimmed();
    ClassifiedQuery query;
    const QRegularExpressionMatch bare = bareName.match(text);
    if (bare.hasMatch() && bare.captured(1).compare(QLatin1String("select"), Qt::CaseInsensitive) != 0) {
        query.table = bare.captured(1);
        query.sql = selectAllSql(query.table, engine);
        return query;
    }
    query.sql = translateJet(text, engine);
    if (!queryStart.match(query.sql).hasMatch())
        return std::nullopt;
    const QRegularExpressionMatch single = singleTable.match(withoutSubqueries(query.sql));
    if (single.hasMatch() && !single.captured(1).contains(QLatin1Char('(')) &&
        !single.captured(1).trimmed().startsWith(QLatin1String("distinct"), Qt::CaseInsensitive))
        query.table = single.captured(3);
    return query;
}

} // namespace qrv::dao
