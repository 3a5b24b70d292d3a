#include "acquisition/math_parser.h"

#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <QSet>

namespace vostrand::acquisition {

namespace {

// Room reserved before each parse; the stacks grow beyond it as needed.
constexpr std::size_t kStackRoom = 50;

struct TLexeme
{
    QString text;
    LexemeKind kind = LexemeKind::OpenBracket;
    qsizetype position = 0; // index in the stored text: 1-based in the formula as written
};

using Postfix = std::vector<TLexeme>;

constexpr std::size_t kKindCount = 7;

// Row: previous kind, column: new kind.
constexpr std::array<std::array<bool, kKindCount>, kKindCount> kAllowedAfter = {{
    {true, false, true, true, true, false, true},     // (
    {false, true, false, false, false, true, false},  // )
    {false, true, false, false, false, true, false},  // number
    {false, true, false, false, false, true, false},  // variable
    {true, false, false, false, false, false, false}, // function
    {true, false, true, true, true, false, false},    // binary
    {true, false, true, true, true, false, false},    // unary
}};

std::size_t indexOf(LexemeKind kind)
{
    return static_cast<std::size_t>(kind);
}

bool isAllowedAfter(LexemeKind previous, LexemeKind next)
{
    return kAllowedAfter[indexOf(previous)][indexOf(next)];
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isLowerLatin(QChar c)
{
    return c >= u'a' && c <= u'z';
}

bool isNumberChar(QChar c)
{
    return isDigit(c) || c == u',' || c == u'.';
}

bool isNameChar(QChar c)
{
    return isNumberChar(c) || c == u'_' || isLowerLatin(c);
}

bool isOperator(QChar c)
{
    return c == u'*' || c == u'+' || c == u'-' || c == u'/' || c == u'^';
}

bool isBlank(QChar c)
{
    return c == u'\t' || c == u' ' || c == u'\r';
}

bool endsLexeme(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\b' || c == u'(' || c == u')' || c == u'~' ||
           isOperator(c);
}

bool isKnownFunction(QStringView name)
{
    static constexpr std::array<char16_t const*, 8> kFunctions = {
        u"arctan", u"exp", u"ln", u"lg", u"sin", u"cos", u"tan", u"sqrt"};
    for (const char16_t* function : kFunctions)
        if (name == QStringView(function))
            return true;
    return false;
}

int precedence(const TLexeme& lexeme)
{
    switch (lexeme.kind) {
    case LexemeKind::OpenBracket:
        return -1;
    case LexemeKind::BinaryOperation:
        if (lexeme.text == u"^")
            return 3;
        return lexeme.text == u"*" || lexeme.text == u"/" ? 2 : 1;
    case LexemeKind::UnaryOperation:
        return 4;
    case LexemeKind::Function:
        return 5;
    default:
        return 0;
    }
}

// The whole character at `index`, a surrogate pair included.
QString symbolAt(QStringView text, qsizetype index)
{
    const QChar c = text[index];
    if (c.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
        return text.mid(index, 2).toString();
    return QString(c);
}

MathFailure unknownSymbol(QStringView text, qsizetype index)
{
    return {MathError::UnknownSymbol,
            TMathParser::unknownSymbolMessage(symbolAt(text, index), index)};
}

MathFailure unbalancedBracket(qsizetype position)
{
    return {MathError::UnbalancedBracket, QStringLiteral("Непарная скобка %1").arg(position)};
}

using LexemeOrFailure = std::variant<TLexeme, MathFailure>;

// The lexeme starting at `index` (not a blank); `index` moves past it.
LexemeOrFailure nextLexeme(QStringView text, qsizetype& index)
{
    const qsizetype start = index;
    const qsizetype size = text.size();
    const QChar first = text[index];
    const auto single = [&](LexemeKind kind) {
        ++index;
        return TLexeme{QString(first), kind, start};
    };
    if (first == u'(')
        return single(LexemeKind::OpenBracket);
    if (first == u')')
        return single(LexemeKind::CloseBracket);
    if (isOperator(first))
        return single(LexemeKind::BinaryOperation);
    if (first == u'~')
        return single(LexemeKind::UnaryOperation);
    if (isNumberChar(first)) {
        while (++index < size && isNumberChar(text[index])) {
        }
        // A letter ends a number too; the sequence check then refuses what follows.
        if (index < size && !endsLexeme(text[index]) && !isLowerLatin(text[index]))
            return unknownSymbol(text, index);
        return TLexeme{text.mid(start, index - start).toString(), LexemeKind::Number, start};
    }
    if (first == u'_' || isLowerLatin(first)) {
        while (++index < size && isNameChar(text[index])) {
        }
        const QString name = text.mid(start, index - start).toString();
        if (index < size && text[index] == u'(')
            return TLexeme{name, LexemeKind::Function, start};
        if (index < size && !endsLexeme(text[index]))
            return unknownSymbol(text, index);
        return TLexeme{name, LexemeKind::Variable, start};
    }
    return unknownSymbol(text, start);
}

// Shunting-yard over explicit stacks: no recursion, whatever the nesting.
class PostfixBuilder
{
public:
    explicit PostfixBuilder(qsizetype lastPosition)
        : m_lastPosition(lastPosition)
    {
        m_operators.reserve(kStackRoom);
        m_output.reserve(kStackRoom);
        m_operators.push_back(TLexeme{QStringLiteral("("), LexemeKind::OpenBracket, 0});
    }

    std::optional<MathFailure> place(TLexeme lexeme)
    {
        switch (lexeme.kind) {
        case LexemeKind::OpenBracket:
            m_operators.push_back(std::move(lexeme));
            return std::nullopt;
        case LexemeKind::CloseBracket:
            return close(lexeme.position);
        case LexemeKind::Number:
        case LexemeKind::Variable:
            m_output.push_back(std::move(lexeme));
            return std::nullopt;
        default:
            popWhileNotLower(precedence(lexeme));
            m_operators.push_back(std::move(lexeme));
            return std::nullopt;
        }
    }

    // The postfix queue, once every bracket, the wrapping one last, is closed; a ")" missing
    // is reported where the wrapping one stands, past the end of the formula.
    std::variant<Postfix, MathFailure> finish()
    {
        if (!m_operators.empty())
            return unbalancedBracket(m_lastPosition);
        return std::move(m_output);
    }

private:
    std::optional<MathFailure> close(qsizetype position)
    {
        while (!m_operators.empty() && m_operators.back().kind != LexemeKind::OpenBracket)
            moveTopToOutput();
        if (m_operators.empty())
            return unbalancedBracket(position);
        m_operators.pop_back();
        // The wrapping bracket closes only at the very end: "2)+(3" is no expression.
        if (m_operators.empty() && position != m_lastPosition)
            return unbalancedBracket(position);
        return std::nullopt;
    }

    void popWhileNotLower(int newPrecedence)
    {
        while (!m_operators.empty() && precedence(m_operators.back()) >= newPrecedence)
            moveTopToOutput();
    }

    void moveTopToOutput()
    {
        m_output.push_back(std::move(m_operators.back()));
        m_operators.pop_back();
    }

    qsizetype m_lastPosition;
    std::vector<TLexeme> m_operators;
    Postfix m_output;
};

// A minus is unary only right after an opening bracket; the stored text keeps its "-".
QString withUnaryMinus(const QString& stored)
{
    QString text = stored;
    text.replace(QStringLiteral("(-"), QStringLiteral("(~"));
    return text;
}

std::variant<Postfix, MathFailure> toPostfix(QStringView text)
{
    PostfixBuilder builder(text.size() - 1);
    LexemeKind previous = LexemeKind::OpenBracket;
    qsizetype index = 1; // the wrapping "(" is already on the stack
    while (index < text.size()) {
        if (isBlank(text[index])) {
            ++index;
            continue;
        }
        LexemeOrFailure next = nextLexeme(text, index);
        if (const auto* failure = std::get_if<MathFailure>(&next))
            return *failure;
        TLexeme& lexeme = std::get<TLexeme>(next);
        if (!isAllowedAfter(previous, lexeme.kind))
            return MathFailure{MathError::UntrueSequence,
                               TMathParser::untrueSequenceMessage(previous, lexeme.kind)};
        if (lexeme.kind == LexemeKind::Function && !isKnownFunction(lexeme.text))
            return MathFailure{MathError::UnknownFunction,
                               TMathParser::unknownFunctionMessage(lexeme.text, lexeme.position)};
        previous = lexeme.kind;
        if (auto failure = builder.place(std::move(lexeme)))
            return *failure;
    }
    return builder.finish();
}

MathResult checked(long double result, const QString& operation)
{
    if (std::isnan(result))
        return MathResult::failure(MathError::InvalidArgument,
                                   QStringLiteral("Недопустимый аргумент ") + operation);
    if (std::isinf(result))
        return MathResult::failure(MathError::Overflow,
                                   QStringLiteral("Переполнение ") + operation);
    return MathResult::success(result);
}

MathResult applyFunction(const QString& name, long double x)
{
    const auto invalid = [&] {
        return MathResult::failure(MathError::InvalidArgument,
                                   QStringLiteral("Недопустимый аргумент ") + name);
    };
    if (name == u"arctan")
        return checked(std::atan(x), name);
    if (name == u"exp")
        return checked(std::exp(x), name);
    if (name == u"ln")
        return x > 0 ? checked(std::log(x), name) : invalid();
    if (name == u"lg")
        return x > 0 ? checked(std::log10(x), name) : invalid();
    if (name == u"sin")
        return checked(std::sin(x), name);
    if (name == u"cos")
        return checked(std::cos(x), name);
    if (name == u"tan")
        return checked(std::tan(x), name);
    if (name == u"sqrt")
        return x >= 0 ? checked(std::sqrt(x), name) : invalid();
    return MathResult::failure(MathError::UnknownFunction,
                               TMathParser::unknownFunctionMessage(name, 0));
}

MathResult divisionByZero()
{
    return MathResult::failure(MathError::DivisionByZero, QStringLiteral("Деление на ноль"));
}

MathResult applyBinary(QChar operation, long double left, long double right)
{
    const QString name(operation);
    switch (operation.unicode()) {
    case u'+':
        return checked(left + right, name);
    case u'-':
        return checked(left - right, name);
    case u'*':
        return checked(left * right, name);
    case u'/':
        return right == 0 ? divisionByZero() : checked(left / right, name);
    default:
        return left == 0 && right < 0 ? divisionByZero() : checked(std::pow(left, right), name);
    }
}

// An operand keeps its text until an operation needs its number, so that a bad number is
// reported where it is used, as the queue is worked through.
struct Operand
{
    QString text;
    std::optional<long double> number;
};

class PostfixEvaluation
{
public:
    using Lookup = std::function<std::optional<QString>(const QString&)>;

    PostfixEvaluation(const Lookup& lookup, QChar decimalSeparator)
        : m_lookup(lookup)
        , m_decimalSeparator(decimalSeparator)
    {
        m_operands.reserve(kStackRoom);
    }

    MathResult run(const Postfix& postfix)
    {
        for (const TLexeme& lexeme : postfix) {
            const std::optional<MathFailure> failure = step(lexeme);
            if (failure)
                return MathResult::failure(failure->error, failure->message);
        }
        if (m_operands.size() != 1)
            return MathResult::failure(MathError::UnbalancedBracket,
                                       QStringLiteral("Непарная скобка"));
        return numberOf(m_operands.front());
    }

private:
    std::optional<MathFailure> step(const TLexeme& lexeme)
    {
        switch (lexeme.kind) {
        case LexemeKind::Number:
            m_operands.push_back(Operand{lexeme.text, std::nullopt});
            return std::nullopt;
        case LexemeKind::Variable: {
            std::optional<QString> value = m_lookup(lexeme.text);
            if (!value)
                return MathFailure{MathError::UndeclaredIdentifier,
                                   TMathParser::undeclaredIdentifierMessage(lexeme.text)};
            m_operands.push_back(Operand{std::move(*value), std::nullopt});
            return std::nullopt;
        }
        case LexemeKind::UnaryOperation:
            return replaceTop(1, [](const Numbers& x) { return MathResult::success(-x[0]); });
        case LexemeKind::Function:
            return replaceTop(1,
                              [&](const Numbers& x) { return applyFunction(lexeme.text, x[0]); });
        case LexemeKind::BinaryOperation:
            return replaceTop(
                2, [&](const Numbers& x) { return applyBinary(lexeme.text.front(), x[0], x[1]); });
        default:
            return MathFailure{MathError::UnbalancedBracket, QStringLiteral("Непарная скобка")};
        }
    }

    using Numbers = std::array<long double, 2>;

    // Takes `count` (1 or 2) operands, left first, and pushes the result of `operation`.
    template <typename Operation>
    std::optional<MathFailure> replaceTop(std::size_t count, Operation&& operation)
    {
        if (m_operands.size() < count)
            return MathFailure{MathError::UnbalancedBracket, QStringLiteral("Непарная скобка")};
        Numbers numbers{};
        const std::size_t first = m_operands.size() - count;
        for (std::size_t i = 0; i < count; ++i) {
            const MathResult number = numberOf(m_operands[first + i]);
            if (!number.ok())
                return number.failure();
            numbers[i] = number.value();
        }
        const MathResult result = operation(numbers);
        if (!result.ok())
            return result.failure();
        m_operands.resize(m_operands.size() - count);
        m_operands.push_back(Operand{QString(), result.value()});
        return std::nullopt;
    }

    MathResult numberOf(const Operand& operand) const
    {
        if (operand.number)
            return MathResult::success(*operand.number);
        const auto number = TMathParser::parseNumber(operand.text, m_decimalSeparator);
        if (!number)
            return MathResult::failure(MathError::InvalidNumber,
                                       QStringLiteral("'%1' не является числом").arg(operand.text));
        return MathResult::success(*number);
    }

    const Lookup& m_lookup;
    QChar m_decimalSeparator;
    std::vector<Operand> m_operands;
};

} // namespace

TMathParser::TMathParser(QChar decimalSeparator)
    : m_decimalSeparator(decimalSeparator)
{}

void TMathParser::setExpression(const QString& text)
{
    m_stored = QLatin1Char('(') + text + QLatin1Char(')');
}

QString TMathParser::expression() const
{
    return m_stored.mid(1, m_stored.size() - 2);
}

void TMathParser::setVariables(const QStringList& lines)
{
    m_variables = lines;
    m_valueByFoldedName.clear();
    m_valueByFoldedName.reserve(lines.size());
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString name = line.left(equals).toCaseFolded();
        if (!m_valueByFoldedName.contains(name))
            m_valueByFoldedName.insert(name, line.mid(equals + 1));
    }
}

std::optional<QString> TMathParser::valueOf(const QString& name) const
{
    const auto it = m_valueByFoldedName.constFind(name.toCaseFolded());
    if (it == m_valueByFoldedName.cend() || it->isEmpty())
        return std::nullopt;
    return *it;
}

MathResult TMathParser::evaluate() const
{
    std::variant<Postfix, MathFailure> postfix = toPostfix(withUnaryMinus(m_stored));
    if (const auto* failure = std::get_if<MathFailure>(&postfix))
        return MathResult::failure(failure->error, failure->message);

    const PostfixEvaluation::Lookup lookup = [this](const QString& name) {
        return valueOf(name);
    };
    PostfixEvaluation evaluation(lookup, m_decimalSeparator);
    return evaluation.run(std::get<Postfix>(postfix));
}

QStringList TMathParser::variableNames() const
{
    const QString text = withUnaryMinus(m_stored);
    QStringList names;
    QSet<QString> seen;
    qsizetype index = 1;
    while (index < text.size()) {
        if (isBlank(text[index])) {
            ++index;
            continue;
        }
        const LexemeOrFailure next = nextLexeme(text, index);
        const auto* lexeme = std::get_if<TLexeme>(&next);
        if (!lexeme)
            break;
        if (lexeme->kind == LexemeKind::Variable && !seen.contains(lexeme->text)) {
            seen.insert(lexeme->text);
            names << lexeme->text;
        }
    }
    return names;
}

QString TMathParser::kindName(LexemeKind kind)
{
    switch (kind) {
    case LexemeKind::OpenBracket:
        return QStringLiteral("(");
    case LexemeKind::CloseBracket:
        return QStringLiteral(")");
    case LexemeKind::Number:
        return QStringLiteral("число");
    case LexemeKind::Variable:
        return QStringLiteral("Переменная");
    case LexemeKind::Function:
        return QStringLiteral("функция");
    case LexemeKind::BinaryOperation:
        return QStringLiteral("Бинарная операция");
    case LexemeKind::UnaryOperation:
        return QStringLiteral("Унарная операция");
    }
    return QString();
}

QString TMathParser::unknownSymbolMessage(const QString& symbol, qsizetype position)
{
    return QStringLiteral("Недопусптимый символ %1 %2").arg(symbol, QString::number(position));
}

QString TMathParser::untrueSequenceMessage(LexemeKind previous, LexemeKind next)
{
    return kindName(next) + QStringLiteral(" не может следовать за ") + kindName(previous);
}

QString TMathParser::unknownFunctionMessage(const QString& name, qsizetype position)
{
    return QStringLiteral("Неизвестная символ %1 %2").arg(name, QString::number(position));
}

QString TMathParser::undeclaredIdentifierMessage(const QString& name)
{
    return QStringLiteral("Неопределенный символ ") + name;
}

std::optional<long double> TMathParser::parseNumber(QStringView text, QChar decimalSeparator)
{
    QStringView trimmed = text.trimmed();
    if (trimmed.startsWith(u'+'))
        trimmed = trimmed.mid(1);
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(trimmed.size()));
    for (const QChar c : trimmed) {
        if (c == decimalSeparator)
            ascii.push_back('.');
        else if (isDigit(c) || c == u'-' || c == u'+' || c == u'e' || c == u'E')
            ascii.push_back(static_cast<char>(c.unicode()));
        else
            return std::nullopt;
    }
    long double value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace vostrand::acquisition
