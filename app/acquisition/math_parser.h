#pragma once

#include <optional>
#include <utility>
#include <variant>

#include <QChar>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vostrand::acquisition {

// The kinds of lexemes, in the order of the sequence table.
enum class LexemeKind
{
    OpenBracket,
    CloseBracket,
    Number,
    Variable,
    Function,
    BinaryOperation,
    UnaryOperation, // a minus directly after "(", written "~"
};

enum class MathError
{
    UnknownSymbol,        // EUnknownSymbol
    UntrueSequence,       // EUntrueSequence
    UnknownFunction,      // EUnknownFunction
    UndeclaredIdentifier, // EUndeclaredIdentifier
    UnbalancedBracket,    // a ")" without its "(", or a "(" never closed
    InvalidNumber,        // a number or value text the decimal separator rejects
    DivisionByZero,
    InvalidArgument, // ln or lg of a non-positive number, sqrt of a negative, (-8)^(1/3)
    Overflow,
};

struct MathFailure
{
    MathError error = MathError::UnknownSymbol;
    QString message;

    bool operator==(const MathFailure&) const = default;
};

// The value of an expression, or why it has none.
class MathResult
{
public:
    static MathResult success(long double value) { return MathResult(value); }
    static MathResult failure(MathError error, QString message)
    {
        return MathResult(MathFailure{error, std::move(message)});
    }

    bool ok() const { return std::holds_alternative<long double>(m_outcome); }
    // Only when ok().
    long double value() const { return std::get<long double>(m_outcome); }
    // Only when not ok().
    const MathFailure& failure() const { return std::get<MathFailure>(m_outcome); }

private:
    explicit MathResult(std::variant<long double, MathFailure> outcome)
        : m_outcome(std::move(outcome))
    {}

    std::variant<long double, MathFailure> m_outcome;
};

// The evaluator of formula channels: an infix expression over numbers, variables, + - * / ^,
// a unary minus directly after "(", and the functions arctan exp ln lg sin cos tan sqrt.
// Operators of equal precedence associate to the left, "^" too (2^3^2 is 64). Numbers and
// variable values are read with the regional decimal separator. Evaluation never throws and
// uses no recursion, so any text, however long or deeply nested, gives a value or a failure.
class TMathParser
{
public:
    explicit TMathParser(QChar decimalSeparator);

    // Stored wrapped in brackets; reads back as it was set.
    void setExpression(const QString& text);
    QString expression() const;

    // Lines "name=value"; names match regardless of letter case, the first line wins; a line
    // without "=" names nothing.
    void setVariables(const QStringList& lines);
    const QStringList& variables() const { return m_variables; }

    QChar decimalSeparator() const { return m_decimalSeparator; }
    void setDecimalSeparator(QChar separator) { m_decimalSeparator = separator; }

    MathResult evaluate() const;

    // The distinct variable names the expression mentions, in order, up to the first
    // character it cannot read: what a caller must bind for evaluate().
    QStringList variableNames() const;

    // The failure message texts. Positions count from 1 in the formula as written.
    static QString kindName(LexemeKind kind);
    static QString unknownSymbolMessage(const QString& symbol, qsizetype position);
    static QString untrueSequenceMessage(LexemeKind previous, LexemeKind next);
    static QString unknownFunctionMessage(const QString& name, qsizetype position);
    static QString undeclaredIdentifierMessage(const QString& name);

    // A number or value text: optional blanks around, an optional sign, digits with at most
    // one regional separator, an optional exponent. Null for anything else and for values
    // outside the extended range.
    static std::optional<long double> parseNumber(QStringView text, QChar decimalSeparator);

private:
    // Null when `name` has no line or an empty value.
    std::optional<QString> valueOf(const QString& name) const;

    QString m_stored = QStringLiteral("()");
    QStringList m_variables;
    QHash<QString, QString> m_valueByFoldedName;
    QChar m_decimalSeparator;
};

} // namespace vostrand::acquisition
