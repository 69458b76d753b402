#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace qrv::dao {

/**
 * A search condition of FindFirst, in the form the component writes it:
 * field op value, joined by "and" (any case). Operators: = <> < > <= >=, and Is [Not] Null.
 * Values: numbers, 'text' (with '' for an apostrophe) or "text", True and False.
 */
struct FindCondition {
    enum class Op { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, IsNull, IsNotNull };

    struct Term {
        QString field;
        Op op = Op::Equal;
        QVariant value; // qint64, double, QString or bool
    };

    QVector<Term> terms;

    /** Returns the parsed condition, or nothing when the text does not follow the form above. */
    static std::optional<FindCondition> parse(const QString &text);

    /**
     * True when value meets the term. A null value meets only Is Null; text compares without
     * regard to case, as Jet does; a boolean field equals True when it holds any non-zero value.
     */
    static bool matches(const QVariant &value, const Term &term);
};

} // namespace qrv::dao
