#include "core/data/dao/FindCondition.h"

#include "core/data/dao/ValueKinds.h"

namespace qrv::dao {

namespace {

class Scanner {
public:
    explicit Scanner(const QString &text) : m_text(text) {}

    void skipBlanks() {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }
    bool atEnd() {
        skipBlanks();
        return m_pos >= m_text.size();
    }

    // A name: letters, digits and _, or [bracketed], or "quoted".
    std::optional<QString> name() {
        skipBlanks();
        if (m_pos >= m_text.size())
            return std::nullopt;
        const QChar c = m_text.at(m_pos);
        if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            const int end = m_text.indexOf(close, m_pos + 1);
            if (end < 0)
                return std::nullopt;
            QString n = m_text.mid(m_pos + 1, end - m_pos - 1).trimmed();
            m_pos = end + 1;
            return n.isEmpty() ? std::nullopt : std::optional<QString>(n);
        }
        if (!c.isLetter() && c != QLatin1Char('_'))
            return std::nullopt;
        const int start = m_pos;
        while (m_pos < m_text.size() &&
               (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == QLatin1Char('_')))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    // Consumes the word when it comes next (whole word, any case).
    bool keyword(const char *word) {
        skipBlanks();
        const QLatin1String w(word);
        if (m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const int after = m_pos + w.size();
        if (after < m_text.size() &&
            (m_text.at(after).isLetterOrNumber() || m_text.at(after) == QLatin1Char('_')))
            return false;
        m_pos = after;
        return true;
    }

    std::optional<FindCondition::Op> op() {
        skipBlanks();
        using Op = FindCondition::Op;
        static const struct {
            const char *text;
            Op op;
        } ops[] = {{"<>", Op::NotEqual}, {"<=", Op::LessEqual}, {">=", Op::GreaterEqual},
                   {"!=", Op::NotEqual}, {"=", Op::Equal},      {"<", Op::Less},
                   {">", Op::Greater}};
        for (const auto &o : ops) {
            const QLatin1String t(o.text);
            if (m_text.mid(m_pos, t.size()) == t) {
                m_pos += t.size();
                return o.op;
            }
        }
        if (keyword("is")) {
            const bool negated = keyword("not");
            if (keyword("null"))
                return negated ? Op::IsNotNull : Op::IsNull;
        }
        return std::nullopt;
    }

    std::optional<QVariant> value() {
        skipBlanks();
        if (m_pos >= m_text.size())
            return std::nullopt;
        const QChar c = m_text.at(m_pos);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString text;
            int i = m_pos + 1;
            while (i < m_text.size()) {
                if (m_text.at(i) == c) {
                    if (i + 1 < m_text.size() && m_text.at(i + 1) == c) {
                        text += c;
                        i += 2;
                        continue;
                    }
                    m_pos = i + 1;
                    return QVariant(text);
                }
                text += m_text.at(i++);
            }
            return std::nullopt; // unterminated text
        }
        if (keyword("true") || keyword("yes"))
            return QVariant(true);
        if (keyword("false") || keyword("no"))
            return QVariant(false);
        // A number: optional sign, digits, optional fraction and exponent.
        int i = m_pos;
        if (i < m_text.size() && (m_text.at(i) == QLatin1Char('-') || m_text.at(i) == QLatin1Char('+')))
            ++i;
        const int digitsStart = i;
        bool fraction = false;
        while (i < m_text.size() && (m_text.at(i).isDigit() || m_text.at(i) == QLatin1Char('.'))) {
            fraction = fraction || m_text.at(i) == QLatin1Char('.');
            ++i;
        }
        if (i == digitsStart)
            return std::nullopt;
        if (i < m_text.size() && (m_text.at(i) == QLatin1Char('e') || m_text.at(i) == QLatin1Char('E'))) {
            fraction = true;
            ++i;
            if (i < m_text.size() && (m_text.at(i) == QLatin1Char('-') || m_text.at(i) == QLatin1Char('+')))
                ++i;
            while (i < m_text.size() && m_text.at(i).isDigit())
                ++i;
        }
        if (i < m_text.size() && (m_text.at(i).isLetter() || m_text.at(i) == QLatin1Char('_')))
            return std::nullopt;
        const QString number = m_text.mid(m_pos, i - m_pos);
        bool ok = false;
        QVariant result;
        if (!fraction) {
            const qint64 n = number.toLongLong(&ok);
            result = n;
        }
        if (!ok) {
            const double d = number.toDouble(&ok);
            result = d;
        }
        if (!ok)
            return std::nullopt;
        m_pos = i;
        return result;
    }

private:
    const QString &m_text;
    int m_pos = 0;
};

// -1, 0 or 1 as a is below, equal to or above b.
template <typename T> int threeWay(const T &a, const T &b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

std::optional<int> compareValues(const QVariant &field, const QVariant &literal) {
    if (literal.typeId() == QMetaType::Bool || field.typeId() == QMetaType::Bool)
        return threeWay(int(truthOf(field)), int(truthOf(literal)));
    // A text compares with a number only when it is written as a number: "nan" or "inf" would
    // otherwise read as a value that every comparison calls equal.
    const bool literalNumber = isNumber(literal);
    if (isNumber(field)) {
        const std::optional<double> l =
            literalNumber ? std::optional<double>(literal.toDouble()) : numberInText(literal.toString());
        if (l)
            return threeWay(field.toDouble(), *l);
        return std::nullopt;
    }
    const QString text = field.toString();
    if (literalNumber) {
        if (const std::optional<double> f = numberInText(text))
            return threeWay(*f, literal.toDouble());
        return std::nullopt;
    }
    return threeWay(QString::compare(text, literal.toString(), Qt::CaseInsensitive), 0);
}

} // namespace

std::optional<FindCondition> FindCondition::parse(const QString &text) {
    Scanner scan(text);
    FindCondition condition;
    do {
        Term term;
        const auto field = scan.name();
        if (!field)
            return std::nullopt;
        term.field = *field;
        const auto op = scan.op();
        if (!op)
            return std::nullopt;
        term.op = *op;
        if (term.op != Op::IsNull && term.op != Op::IsNotNull) {
            const auto value = scan.value();
            if (!value)
                return std::nullopt;
            term.value = *value;
        }
        condition.terms.append(term);
    } while (scan.keyword("and"));
    if (!scan.atEnd())
        return std::nullopt;
    return condition;
}

bool FindCondition::matches(const QVariant &value, const Term &term) {
    if (term.op == Op::IsNull)
        return value.isNull();
    if (term.op == Op::IsNotNull)
        return !value.isNull();
    if (value.isNull())
        return false;
    const std::optional<int> c = compareValues(value, term.value);
    if (!c)
        return term.op == Op::NotEqual;
    switch (term.op) {
    case Op::Equal:
        return *c == 0;
    case Op::NotEqual:
        return *c != 0;
    case Op::Less:
        return *c < 0;
    case Op::Greater:
        return *c > 0;
    case Op::LessEqual:
        return *c <= 0;
    case Op::GreaterEqual:
        return *c >= 0;
    default:
        return false;
    }
}

} // namespace qrv::dao
