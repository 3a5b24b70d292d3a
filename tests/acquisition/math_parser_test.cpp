#include "acquisition/math_parser.h"

#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace vostrand::acquisition {
namespace {

const QChar kComma = QLatin1Char(',');
const QChar kDot = QLatin1Char('.');

MathResult evaluate(const QString& formula, const QStringList& variables = {},
                    QChar separator = kComma)
{
    TMathParser parser(separator);
    parser.setExpression(formula);
    parser.setVariables(variables);
    return parser.evaluate();
}

std::string describe(const MathResult& result)
{
    return result.ok() ? std::to_string(static_cast<double>(result.value()))
                       : result.failure().message.toStdString();
}

TEST(TMathParserValue, knownAnswers)
{
    struct Case
    {
        const char* formula;
        QStringList variables;
        QChar separator;
        double value;
    };
    const QStringList channels = {QStringLiteral("t1.1=20"), QStringLiteral("t1.2=30")};
    const Case cases[] = {
        {"(t1.1+t1.2)/2", channels, kComma, 25},
        {"-t1.1", channels, kComma, -20},
        {"2^3^2", {}, kComma, 64}, // left to right, "^" too
        {"sqrt(16)+lg(100)", {}, kComma, 6},
        {"t1.1*k", {QStringLiteral("k=1,5"), QStringLiteral("t1.1=10")}, kComma, 15},
        {"2,5*2", {}, kComma, 5},
        {"2.5*2", {}, kDot, 5},
        {",5+5,", {}, kComma, 5.5},
        // Precedence and associativity.
        {"2+3*4", {}, kComma, 14},
        {"(2+3)*4", {}, kComma, 20},
        {"2*3^2", {}, kComma, 18},
        {"10-4-3", {}, kComma, 3},
        {"100/10/5", {}, kComma, 2},
        {"-2^2", {}, kComma, 4}, // the unary minus binds tighter than "^"
        {"-(2+3)*2", {}, kComma, -10},
        {"2*(-3)", {}, kComma, -6},
        {"sqrt(16)^2", {}, kComma, 16},
        {"2^sqrt(4)", {}, kComma, 4},
        {"-sqrt(4)", {}, kComma, -2},
        {"sqrt(sqrt(16))", {}, kComma, 2},
        // Functions.
        {"ln(exp(2))", {}, kComma, 2},
        {"arctan(1)*4", {}, kComma, 3.14159265358979},
        {"sin(0)+cos(0)+tan(0)", {}, kComma, 1},
        {"lg(1000)", {}, kComma, 3},
        // Blanks between lexemes, tabs and carriage returns included before one.
        {" ( 2 +\t3 )\r* 2 ", {}, kComma, 10},
        // Names: case ignored in the lookup, the first line wins, "_" and digits allowed.
        {"k", {QStringLiteral("K=2")}, kComma, 2},
        {"v", {QStringLiteral("v=1"), QStringLiteral("v=2")}, kComma, 1},
        {"_a1+b_2", {QStringLiteral("_a1=1"), QStringLiteral("B_2=2")}, kComma, 3},
        {"v", {QStringLiteral("v"), QStringLiteral("v= 3,5 ")}, kComma, 3.5},
        {"v", {QStringLiteral("v=-1,5e2")}, kComma, -150},
    };
    for (const Case& c : cases) {
        const MathResult result = evaluate(QString::fromUtf8(c.formula), c.variables, c.separator);
        ASSERT_TRUE(result.ok()) << c.formula << ": " << describe(result);
        EXPECT_NEAR(static_cast<double>(result.value()), c.value, 1e-12) << c.formula;
    }
}

TEST(TMathParserFailure, everyErrorWithItsMessage)
{
    struct Case
    {
        const char* formula;
        QStringList variables;
        MathError error;
        const char* message;
    };
    const Case cases[] = {
        // Sequence: new kind, then the previous one.
        {"2*-3",
         {},
         MathError::UntrueSequence,
         "Бинарная операция не может следовать за Бинарная операция"},
        {"", {}, MathError::UntrueSequence, ") не может следовать за ("},
        {"2+", {}, MathError::UntrueSequence, ") не может следовать за Бинарная операция"},
        {"(+3)", {}, MathError::UntrueSequence, "Бинарная операция не может следовать за ("},
        {" -3", {}, MathError::UntrueSequence, "Бинарная операция не может следовать за ("},
        {"--3",
         {},
         MathError::UntrueSequence,
         "Бинарная операция не может следовать за Унарная операция"},
        {"2 3", {}, MathError::UntrueSequence, "число не может следовать за число"},
        {"2t",
         {QStringLiteral("t=1")},
         MathError::UntrueSequence,
         "Переменная не может следовать за число"},
        {"sqrt 4", {}, MathError::UntrueSequence, "число не может следовать за Переменная"},
        {"2(3)", {}, MathError::UntrueSequence, "( не может следовать за число"},
        {"(2)(3)", {}, MathError::UntrueSequence, "( не может следовать за )"},
        {"sqrt()", {}, MathError::UntrueSequence, ") не может следовать за ("},
        {"2*~3",
         {},
         MathError::UntrueSequence,
         "Унарная операция не может следовать за Бинарная операция"},
        // Symbols: the character and its place in the formula, from 1.
        {"2$3", {}, MathError::UnknownSymbol, "Недопусптимый символ $ 2"},
        {"2%3", {}, MathError::UnknownSymbol, "Недопусптимый символ % 2"},
        {"T1.1", {}, MathError::UnknownSymbol, "Недопусптимый символ T 1"},
        {"t1A", {}, MathError::UnknownSymbol, "Недопусптимый символ A 3"},
        {"2\t+3", {}, MathError::UnknownSymbol, "Недопусптимый символ \t 2"},
        {"2_", {}, MathError::UnknownSymbol, "Недопусптимый символ _ 2"},
        {"2\b+3", {}, MathError::UnknownSymbol, "Недопусптимый символ \b 2"}, // ends, starts none
        {"2+3\n", {}, MathError::UnknownSymbol, "Недопусптимый символ \n 4"},
        {"т1.1", {}, MathError::UnknownSymbol, "Недопусптимый символ т 1"},
        {"1+\U0001F600", {}, MathError::UnknownSymbol, "Недопусптимый символ \U0001F600 3"},
        // Functions.
        {"abs(2)", {}, MathError::UnknownFunction, "Неизвестная символ abs 1"},
        {"2+foo(3)", {}, MathError::UnknownFunction, "Неизвестная символ foo 3"},
        // Variables without a value.
        {"t9.9",
         {QStringLiteral("t1.1=20")},
         MathError::UndeclaredIdentifier,
         "Неопределенный символ t9.9"},
        {"t1.1",
         {QStringLiteral("t1.1=")},
         MathError::UndeclaredIdentifier,
         "Неопределенный символ t1.1"},
        {"2+sqrt", {}, MathError::UndeclaredIdentifier, "Неопределенный символ sqrt"},
        // Brackets that do not pair.
        {"(2+3", {}, MathError::UnbalancedBracket, "Непарная скобка 5"}, // ")" missing at 5
        {"2+3)", {}, MathError::UnbalancedBracket, "Непарная скобка 4"},
        {"2)+(3", {}, MathError::UnbalancedBracket, "Непарная скобка 2"},
        // Numbers the decimal comma rejects, wherever they come from.
        {"2.5", {}, MathError::InvalidNumber, "'2.5' не является числом"},
        {"1,2,3", {}, MathError::InvalidNumber, "'1,2,3' не является числом"},
        {",", {}, MathError::InvalidNumber, "',' не является числом"},
        {"v*2", {QStringLiteral("v=3.62")}, MathError::InvalidNumber, "'3.62' не является числом"},
        // Arithmetic.
        {"1/0", {}, MathError::DivisionByZero, "Деление на ноль"},
        {"0/0", {}, MathError::DivisionByZero, "Деление на ноль"},
        {"0^(-1)", {}, MathError::DivisionByZero, "Деление на ноль"},
        {"ln(0)", {}, MathError::InvalidArgument, "Недопустимый аргумент ln"},
        {"ln(-1)", {}, MathError::InvalidArgument, "Недопустимый аргумент ln"},
        {"lg(0)", {}, MathError::InvalidArgument, "Недопустимый аргумент lg"},
        {"sqrt(-1)", {}, MathError::InvalidArgument, "Недопустимый аргумент sqrt"},
        {"(-8)^(1/3)", {}, MathError::InvalidArgument, "Недопустимый аргумент ^"},
        {"10^5000", {}, MathError::Overflow, "Переполнение ^"},
        {"exp(100000)", {}, MathError::Overflow, "Переполнение exp"},
        {"v*v", {QStringLiteral("v=1e4000")}, MathError::Overflow, "Переполнение *"},
        {"v",
         {QStringLiteral("v=1e5000")},
         MathError::InvalidNumber,
         "'1e5000' не является числом"},
    };
    for (const Case& c : cases) {
        const MathResult result = evaluate(QString::fromUtf8(c.formula), c.variables);
        ASSERT_FALSE(result.ok()) << c.formula << " = " << describe(result);
        EXPECT_EQ(result.failure().error, c.error) << c.formula;
        EXPECT_EQ(result.failure().message, QString::fromUtf8(c.message)) << c.formula;
    }
}

TEST(TMathParserFailure, firstErrorOfTheTextWins)
{
    // Scanning refuses the text before any value is looked up or converted.
    EXPECT_EQ(evaluate(QStringLiteral("x+2$")).failure().error, MathError::UnknownSymbol);
    // Values are looked up as the computation reaches them, and converted when an operation
    // takes them.
    EXPECT_EQ(evaluate(QStringLiteral("2.5+x")).failure().error, MathError::UndeclaredIdentifier);
    EXPECT_EQ(evaluate(QStringLiteral("1/0+x")).failure().error, MathError::DivisionByZero);
    EXPECT_EQ(evaluate(QStringLiteral("2.5*(1/0)")).failure().error, MathError::DivisionByZero);
}

TEST(TMathParserExpression, readsBackAsSetAndKeepsItsMinus)
{
    TMathParser parser(kComma);
    parser.setExpression(QStringLiteral("-t1.1+(-2)"));
    parser.setVariables({QStringLiteral("t1.1=1")});
    EXPECT_NEAR(static_cast<double>(parser.evaluate().value()), -3, 1e-12);
    EXPECT_EQ(parser.expression(), QStringLiteral("-t1.1+(-2)"));
    parser.setVariables({QStringLiteral("T1.1=4")});
    EXPECT_NEAR(static_cast<double>(parser.evaluate().value()), -6, 1e-12);
}

TEST(TMathParserExpression, intermediateResultsKeepExtendedPrecision)
{
    if (std::numeric_limits<long double>::digits <= std::numeric_limits<double>::digits)
        GTEST_SKIP() << "long double is no wider than double here";
    // 1e-17 vanishes against 1 in double arithmetic, not in extended.
    const MathResult kept = evaluate(QStringLiteral("(1+v-1)/v"), {QStringLiteral("v=1e-17")});
    ASSERT_TRUE(kept.ok());
    EXPECT_NEAR(static_cast<double>(kept.value()), 1, 1e-2);
}

TEST(TMathParserRobustness, hugeAndDeepTextsEvaluateWithoutRecursion)
{
    constexpr int kDepth = 100000;
    const QString deep = QString(kDepth, QLatin1Char('(')) + QStringLiteral("-1") +
                         QString(kDepth, QLatin1Char(')'));
    const MathResult nested = evaluate(deep);
    ASSERT_TRUE(nested.ok()) << describe(nested);
    EXPECT_EQ(nested.value(), -1);

    QString sum = QStringLiteral("1");
    for (int i = 1; i < kDepth; ++i)
        sum += QStringLiteral("+1");
    const MathResult total = evaluate(sum);
    ASSERT_TRUE(total.ok());
    EXPECT_EQ(total.value(), kDepth);

    const QString powers = QStringLiteral("2") + QStringLiteral("^2").repeated(40);
    EXPECT_EQ(evaluate(powers).failure().error, MathError::Overflow);

    EXPECT_EQ(evaluate(QString(kDepth, QLatin1Char('(')) + QLatin1Char('1')).failure().error,
              MathError::UnbalancedBracket);
    EXPECT_EQ(evaluate(QLatin1Char('1') + QString(kDepth, QLatin1Char(')'))).failure().error,
              MathError::UnbalancedBracket);
}

TEST(TMathParserRobustness, randomTextsGiveAValueOrAFailure)
{
    const QString alphabet = QStringLiteral("()+-*/^~ ,.0123456789tkv_sqrtlnexp\t\rA$");
    std::mt19937 random(20261211);
    std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    const QStringList variables = {QStringLiteral("t=2"), QStringLiteral("k=0"),
                                   QStringLiteral("v=-1")};
    int values = 0;
    for (int i = 0; i < 20000; ++i) {
        QString formula;
        for (int n = length(random); n > 0; --n)
            formula += alphabet[pick(random)];
        const MathResult result = evaluate(formula, variables);
        if (result.ok())
            ++values;
        else
            EXPECT_FALSE(result.failure().message.isEmpty()) << formula.toStdString();
    }
    EXPECT_GT(values, 0);
}

} // namespace
} // namespace vostrand::acquisition
