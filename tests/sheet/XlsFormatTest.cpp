// What a cell shows for a number under its format code.
#include "sheet/XlsFormat.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

struct Case {
    double value;
    const char *code;
    const char *c;  // shown in the C locale
    const char *de; // shown in German regional settings
};

class Shown : public ::testing::TestWithParam<Case> {};

TEST_P(Shown, InBothLocales)
{
    const Case &k = GetParam();
    EXPECT_EQ(XlsFormat::formatNumber(k.value, QString::fromUtf8(k.code), QLocale::c()), QString::fromUtf8(k.c));
    EXPECT_EQ(XlsFormat::formatNumber(k.value, QString::fromUtf8(k.code), QLocale(QLocale::German, QLocale::Germany)),
              QString::fromUtf8(k.de));
}

const Case kCases[] = {
    {0, "General", "0", "0"},
    {-42, "General", "-42", "-42"},
    {0.1 + 0.2, "General", "0.3", "0,3"},
    {1.0 / 3, "General", "0.333333333333333", "0,333333333333333"},
    {123456789012345, "General", "123456789012345", "123456789012345"},
    {1e15, "General", "1E+15", "1E+15"},
    {-1.5e-7, "General", "-1.5E-07", "-1,5E-07"},
    {2.5, "0", "3", "3"},
    {-2.5, "0", "-3", "-3"},
    {2.5, "0.00", "2.50", "2,50"},
    {-0.001, "0.00", "0.00", "0,00"},
    {1234567.891, "#,##0", "1,234,568", "1.234.568"},
    {1234.5, "#,##0.00", "1,234.50", "1.234,50"},
    {0.125, "0%", "13%", "13%"},
    {0.12345, "0.00%", "12.35%", "12,35%"},
    {12345.678, "0.00E+00", "1.23E+04", "1,23E+04"},
    {0.000123, "0.00E+00", "1.23E-04", "1,23E-04"},
    {-3.5, "0.0;(0.0)", "(3.5)", "(3,5)"},
    {0, "0.0;-0.0;\"zero\"", "zero", "zero"},
    {7, "\"Qty \"0", "Qty 7", "Qty 7"},
    {1234.5, "[$€-407] #,##0.00", "€ 1,234.50", "€ 1.234,50"},
    {1234.5, "#,##0.00 [$€-407]", "1,234.50 €", "1.234,50 €"},
    {-1234.5, "\"$\"#,##0_);[Red](\"$\"#,##0)", "($1,235)", "($1.235)"},
    {1500000, "#,##0,", "1,500", "1.500"},
    {45306, "yyyy-mm-dd", "2024-01-15", "2024-01-15"},
    {45306, "dd.mm.yyyy", "15.01.2024", "15.01.2024"},
    {45306.75, "m/d/yyyy h:mm", "1/15/2024 18:00", "1/15/2024 18:00"},
    {45306.75, "h:mm AM/PM", "6:00 PM", "6:00 PM"},
    {0.5208333333333334, "hh:mm:ss", "12:30:00", "12:30:00"},
    {1.5, "[h]:mm", "36:00", "36:00"},
    {60, "yyyy-mm-dd", "1900-02-29", "1900-02-29"}, // the spreadsheet's phantom leap day
    {59, "yyyy-mm-dd", "1900-02-28", "1900-02-28"},
    {61, "yyyy-mm-dd", "1900-03-01", "1900-03-01"},
    {45306, "d-mmm-yy", "15-Jan-24", "15-Jan.-24"},
    {12.5, "@", "12.5", "12,5"},
    {1.5, "# ?/?", "1 1/2", "1 1/2"},
    {0.75, "# ?" "?/?" "?", "3/4", "3/4"}, // split so "??/" is no trigraph
    {-2.3333333, "# ?/?", "-2 1/3", "-2 1/3"},
    {3, "# ?/?", "3", "3"},
    {0.2, "?/?", "1/5", "1/5"},
    {5551234, "[<=9999999]###-####;(###) ###-####", "555-1234", "555-1234"},
    {12345, "000-000", "012-345", "012-345"},
    {1234567, "00-00", "12345-67", "12345-67"},
};

INSTANTIATE_TEST_SUITE_P(Formats, Shown, ::testing::ValuesIn(kCases));

TEST(Formats, BuiltinsAndDates)
{
    EXPECT_EQ(XlsFormat::builtinFormat(4), "#,##0.00");
    EXPECT_EQ(XlsFormat::builtinIndex("0%"), 9);
    EXPECT_EQ(XlsFormat::builtinIndex("0.000"), -1);
    EXPECT_TRUE(XlsFormat::isDateFormat(XlsFormat::builtinFormat(14)));
    EXPECT_TRUE(XlsFormat::isDateFormat("[h]:mm:ss"));
    EXPECT_FALSE(XlsFormat::isDateFormat("\"d\"0.00"));
    EXPECT_FALSE(XlsFormat::isDateFormat("#,##0"));
    // 1904 dates count from 1 January 1904.
    EXPECT_EQ(XlsFormat::formatNumber(0, "yyyy-mm-dd", QLocale::c(), true), "1904-01-01");
}

} // namespace
