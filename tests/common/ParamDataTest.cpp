#include "common/ParamData.h"
#include "support/QtPrinters.h"

#include <QElapsedTimer>
#include <QLocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr unsigned MIN = 1, TYP = 2, MAX = 4, SET = 8, ABS = 16, PREFIX = 32;

unsigned marksOf(const TParamData &d)
{
    return (d.UsageMinVal ? MIN : 0) | (d.UsageTypeVal ? TYP : 0) | (d.UsageMaxVal ? MAX : 0)
        | (d.UsageSetNumVal ? SET : 0) | (d.UsageABSVal ? ABS : 0) | (d.UsageValTypePrefix ? PREFIX : 0);
}

struct ValueCase {
    const char *input; // '#' stands for the decimal separator of the run
    bool result;
    double min, typ, max;
    unsigned marks;
};

// Works for either separator: '#' in the inputs is replaced per run.
const ValueCase kValueCases[] = {
    {"4#7", true, 0, 4.7, 0, TYP},
    {"  12  ", true, 0, 12, 0, TYP},
    {"-5", true, 0, -5, 0, TYP},
    {"1e3", true, 0, 1000, 0, TYP},
    {"1E-2", true, 0, 0.01, 0, TYP},
    {"+3#3", true, 0, 3.3, 0, TYP},
    {"+/-0#5", true, 0, 0.5, 0, TYP | ABS},
    {"+/- 2", true, 0, 2, 0, TYP | ABS},
    {">10", true, 10, 0, 0, MIN | PREFIX},
    {"> 10", true, 10, 0, 0, MIN | PREFIX},
    {"<0#1", true, 0, 0, 0.1, MAX | PREFIX},
    {"< 5 V", false, 0, 0, 0, MAX | PREFIX},
    {"~1#5", true, 0, 1.5, 0, TYP | PREFIX},
    {"1...5", true, 1, 0, 5, MIN | MAX},
    {"-40 ... 85", true, -40, 0, 85, MIN | MAX},
    {"#5...2#5", true, 0.5, 0, 2.5, MIN | MAX},
    {"...5", false, 0, 0, 0, MIN | MAX},
    {"1...", false, 1, 0, 0, MIN | MAX},
    {"x...5", false, 0, 0, 0, MIN | MAX},
    {"1...2...3", false, 0, 0, 0, 0},
    {"1;2;3", true, 1, 2, 3, MIN | TYP | MAX | SET},
    {"1;;3", true, 1, 0, 3, MIN | MAX | SET},
    {"5;", true, 5, 0, 0, MIN | SET},
    {";5", false, 0, 0, 0, TYP | SET},
    {"1;x;3", false, 1, 0, 0, MIN | TYP | MAX | SET},
    {"1;2;3;4", true, 1, 2, 3, MIN | TYP | MAX | SET},
    {"1;2;3;garbage", true, 1, 2, 3, MIN | TYP | MAX | SET},
    {" 1 ; 2#5 ; 3 ", true, 1, 2.5, 3, MIN | TYP | MAX | SET},
    {"1...2;3", false, 0, 0, 0, 0},
    {"+/-", false, 0, 0, 0, TYP | ABS},
    {">+/-5", true, 5, 0, 0, MIN | ABS},
    {"> +/-5", false, 0, 0, 0, MIN | PREFIX},
    {"+/-1...2", true, 1, 0, 2, MIN | MAX | ABS},
    {"1;+/-2", true, 1, 2, 0, MIN | TYP | SET | ABS},
    {"3#3V", false, 0, 0, 0, 0},
    {"", false, 0, 0, 0, 0},
    {" \t\r\n", false, 0, 0, 0, 0},
    {"\t7\r\n", true, 0, 7, 0, TYP},
    {">", false, 0, 0, 0, MIN | PREFIX},
    {"~", false, 0, 0, 0, TYP | PREFIX},
    {"+", false, 0, 0, 0, TYP},
    {"5#", true, 0, 5, 0, TYP},
    {"#5", true, 0, 0.5, 0, TYP},
    {"#", false, 0, 0, 0, 0},
    {"1#2#3", false, 0, 0, 0, 0},
    {"1e", false, 0, 0, 0, 0},
    {"e5", false, 0, 0, 0, 0},
};

QString inputFor(const char *text, QChar sep)
{
    QString s = QString::fromUtf8(text);
    s.replace(u'#', sep);
    return s;
}

void checkValueTable(QChar sep)
{
    for (const ValueCase &c : kValueCases) {
        const QString input = inputFor(c.input, sep);
        SCOPED_TRACE(input.toStdString());
        TParamData d;
        // Left over from an earlier value: every value field must be reset.
        ASSERT_TRUE(ParseParamValue(QStringLiteral("+/-9;8;7"), d));
        EXPECT_EQ(ParseParamValue(input, d), c.result);
        EXPECT_DOUBLE_EQ(d.MinVal, c.min);
        EXPECT_DOUBLE_EQ(d.TypeVal, c.typ);
        EXPECT_DOUBLE_EQ(d.MaxVal, c.max);
        EXPECT_EQ(marksOf(d), c.marks);
    }
}

class LocaleGuard {
public:
    explicit LocaleGuard(const QLocale &l) : m_old(QLocale()) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(m_old); }

private:
    QLocale m_old;
};

} // namespace

TEST(ParseParamValue, NotationTableWithPointSeparator)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_EQ(RegionalDecimalSeparator(), ".");
    checkValueTable(u'.');
}

TEST(ParseParamValue, NotationTableWithCommaSeparator)
{
    LocaleGuard guard(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(RegionalDecimalSeparator(), ",");
    checkValueTable(u',');
}

TEST(ParseParamValue, TheOtherSeparatorAndGroupSeparatorsDoNotConvert)
{
    struct {
        QLocale locale;
        const char *input;
        bool result;
        double typ;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "1,5", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedStates), "1,000.5", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedStates), "1 000", false, 0},
        {QLocale(QLocale::German, QLocale::Germany), "4.7", false, 0},
        {QLocale(QLocale::German, QLocale::Germany), "1,5", true, 1.5},
        {QLocale(QLocale::German, QLocale::Germany), "1.000,5", false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.input) + " in " + c.locale.name().toStdString());
        LocaleGuard guard(c.locale);
        TParamData d;
        EXPECT_EQ(ParseParamValue(QString::fromUtf8(c.input), d), c.result);
        EXPECT_DOUBLE_EQ(d.TypeVal, c.typ);
        EXPECT_EQ(d.UsageTypeVal, c.result);
    }
}

TEST(ParseParamValue, LeavesTheFieldsOutsideTheValueAlone)
{
    TParamData d;
    d.UnitDBId = 3;
    d.UnitId = 4;
    d.BoolVal = true;
    d.UsageBoolVal = true;
    d.StrVal = "text";
    d.TestCond = "25 C";
    d.Flag = 48;
    for (const char *text : {"1;2;3", "garbage", ""}) {
        ParseParamValue(QString::fromUtf8(text), d, ".");
        EXPECT_EQ(d.UnitDBId, 3u);
        EXPECT_EQ(d.UnitId, 4u);
        EXPECT_TRUE(d.BoolVal);
        EXPECT_TRUE(d.UsageBoolVal);
        EXPECT_EQ(d.StrVal, "text");
        EXPECT_EQ(d.TestCond, "25 C");
        EXPECT_EQ(d.Flag, 48u);
    }
}

// Text that is not a value gives false or finite numbers; it never throws,
// crashes or takes long.
TEST(ParseParamValue, BadInputIsRejectedQuicklyAndSafely)
{
    const QString nines(1'000'000, u'9');
    const QString zeros(1'000'000, u'0');
    const struct {
        QString input;
        bool result;
    } cases[] = {
        {"nan", false},
        {"NaN", false},
        {"inf", false},
        {"-inf", false},
        {"+INF", false},
        {"infinity", false},
        {"~nan", false},
        {"1...inf", false},
        {"1e309", false},
        {"-1e309", false},
        {">1e999999999999999999999", false},
        {"1e-400", true}, // too small to hold: reads as zero
        {"0e999999999999", true},
        {"1e308", true},
        {"0x10", false},
        {"$10", false},
        {QString(u'\0') + "5", true}, // control characters at the ends are trimmed
        {QStringLiteral("5") + QChar(u'\0') + "5", false},
        {QStringLiteral("1\x01") + "2;3", false},
        {QStringLiteral("\x7f 3 \x7f"), true},
        {QStringLiteral("\u00a012\u00a0"), true},
        {QStringLiteral("\u0661\u0662"), false}, // non-ASCII digits
        {QString(100'000, u';'), false},
        {QString("1") + QString(100'000, u';'), true},
        {QString(30'000, u'.'), false},
        {QStringLiteral("1") + QString(99'999, u'.') + "2", false},
        {QString(100'000, u'+'), false},
        {QString(100'000, u'>'), false},
        {QStringLiteral("+/-").repeated(50'000), false},
        {nines, false},                       // 1e1000000 is out of range
        {"-" + nines + "." + nines, false},
        {nines + "e-999999", true},
        {"1." + nines + "e-5", true},
        {"0." + zeros + "1", true},
        {zeros + "5", true},
        {zeros + "5;" + zeros + "6;" + zeros + "7", true},
        {zeros + "5..." + zeros + "6", true},
        {nines + "e" + nines, false},
        {nines + "x", false},
    };
    QElapsedTimer timer;
    timer.start();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input.left(40).toStdString());
        TParamData d;
        bool result = false;
        EXPECT_NO_THROW(result = ParseParamValue(c.input, d, "."));
        EXPECT_EQ(result, c.result);
        EXPECT_TRUE(std::isfinite(d.MinVal) && std::isfinite(d.TypeVal) && std::isfinite(d.MaxVal));
    }
    EXPECT_LT(timer.elapsed(), 5000) << "ms for the whole table";
}

TEST(ParseParamValue, ExtremeMagnitudes)
{
    TParamData d;
    ASSERT_TRUE(ParseParamValue("1.7976931348623157e308", d, "."));
    EXPECT_EQ(d.TypeVal, std::numeric_limits<double>::max());
    ASSERT_TRUE(ParseParamValue("-1e-400", d, "."));
    EXPECT_EQ(d.TypeVal, 0.0);
    ASSERT_TRUE(ParseParamValue("4.9e-324", d, "."));
    EXPECT_GT(d.TypeVal, 0.0);
}

TEST(TextToFloat, SeparatorIsTheOneGiven)
{
    const struct {
        const char *text;
        const char *sep;
        bool ok;
        double value;
    } cases[] = {
        {" 1.5 ", ".", true, 1.5}, {"1.5", ",", false, 0},    {"1,5", ",", true, 1.5},
        {"-2,5e1", ",", true, -25}, {"+7", ".", true, 7},     {"7 .", ".", false, 0},
        {"- 7", ".", false, 0},     {"\t7", ".", false, 0},   {"1e+2", ".", true, 100},
        {"1e2.5", ".", false, 0},   {"", ".", false, 0},      {"-", ".", false, 0},
        {"1\u066b5", "\u066b", true, 1.5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " with " + c.sep);
        double v = -1;
        EXPECT_EQ(TextToFloat(QString::fromUtf8(c.text), v, QString::fromUtf8(c.sep)), c.ok);
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value);
        }
    }
}

TEST(SplitString, KeepsEmptyElementsAndTrimsNothing)
{
    const struct {
        const char *text;
        const char *sep;
        QStringList parts;
    } cases[] = {
        {"a|b|c", "|", {"a", "b", "c"}},
        {"a|", "|", {"a", ""}},
        {"|a", "|", {"", "a"}},
        {"||", "|", {"", "", ""}},
        {"", "|", {""}},
        {"abc", "|", {"abc"}},
        {" a | b ", "|", {" a ", " b "}},
        {"1...2....3", "...", {"1", "2", ".3"}},
        {"aXbxc", "x", {"aXb", "c"}},
        {"a|b", "", {"a|b"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SplitString(QString::fromUtf8(c.text), QString::fromUtf8(c.sep)), c.parts);
    }
}

TEST(StrToIntDef0, ReadsWhatAnIntegerConversionReadsAndZeroOtherwise)
{
    const struct {
        const char *text;
        int value;
    } cases[] = {
        {"12", 12},           {" 12", 12},          {"-3", -3},           {"+4", 4},
        {"12 ", 0},           {"1.5", 0},           {"", 0},              {"  ", 0},
        {"-", 0},             {"$1F", 31},          {"x1f", 31},          {"X10", 16},
        {"0x10", 16},         {"0X10", 16},         {"-$10", -16},        {"0x", 0},
        {"$", 0},             {"0", 0},             {"007", 7},           {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},           {"2147483648", 0},    {"-2147483649", 0},
        {"$FFFFFFFF", 0},     {"99999999999999999999999", 0},             {"1a", 0},
        {"\t5", 0},           {"１２", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToIntDef0(QString::fromUtf8(c.text)), c.value);
    }
}

TEST(TextToBool, FalseOnlyForTheNoWordsInAnyCase)
{
    for (const char *text : {"", "0", "no", "No", "OFF", "off", "нет", "НЕТ", "НеТ"})
        EXPECT_FALSE(TextToBool(QString::fromUtf8(text))) << text;
    for (const char *text : {"0 ", " no", "false", "n", "yes", "1", "da", "nett", "00"})
        EXPECT_TRUE(TextToBool(QString::fromUtf8(text))) << text;
    EXPECT_EQ(BoolToInt(true), 1);
    EXPECT_EQ(BoolToInt(false), 0);
}

TEST(TrimText, RemovesBlanksAndControlCharactersAtBothEndsOnly)
{
    EXPECT_EQ(TrimText(QStringLiteral(" \t\r\n a b \x01\x7f")), "a b");
    EXPECT_EQ(TrimText(QStringLiteral("\x1f")), "");
    EXPECT_EQ(TrimText(QStringLiteral("x")), "x");
}
