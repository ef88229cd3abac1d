#include "common/ParamData.h"

#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

TStringArray SplitString(const QString &S, const QString &Sep)
{
    TStringArray result;
    if (Sep.isEmpty()) {
        result << S;
        return result;
    }
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = S.indexOf(Sep, from, Qt::CaseSensitive);
        if (at < 0)
            break;
        result << S.mid(from, at - from);
        from = at + Sep.size();
    }
    result << S.mid(from);
    return result;
}

static bool isTrimmed(QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }

QString TrimText(const QString &S)
{
    qsizetype begin = 0, end = S.size();
    while (begin < end && isTrimmed(S[begin]))
        ++begin;
    while (end > begin && isTrimmed(S[end - 1]))
        --end;
    return S.mid(begin, end - begin);
}

static int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'a' && u <= 'f')
        v = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        v = u - 'A' + 10;
    return v < base ? v : -1;
}

std::int32_t StrToIntDef0(const QString &S)
{
    const qsizetype n = S.size();
    qsizetype i = 0;
    while (i < n && S[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (S[i] == u'+' || S[i] == u'-')) {
        negative = S[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && S[i] == u'$') {
        base = 16;
        ++i;
    } else if (i < n && (S[i] == u'x' || S[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && S[i] == u'0' && (S[i + 1] == u'x' || S[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    const std::int64_t limit = negative ? std::int64_t(1) << 31 : (std::int64_t(1) << 31) - 1;
    std::int64_t value = 0;
    const qsizetype firstDigit = i;
    for (; i < n; ++i) {
        const int d = digitValue(S[i], base);
        if (d < 0)
            return 0;
        value = value * base + d;
        if (value > limit)
            return 0;
    }
    if (i == firstDigit)
        return 0;
    return std::int32_t(negative ? -value : value);
}

bool TextToBool(const QString &S)
{
    if (S.isEmpty())
        return false;
    for (const char16_t *word : {u"0", u"нет", u"no", u"off"})
        if (S.compare(QString::fromUtf16(word), Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

QString RegionalDecimalSeparator() { return QLocale().decimalPoint(); }

static locale_t cLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

static bool isAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

bool TextToFloat(const QString &S, double &Value, const QString &DecimalSeparator)
{
    // Checked here by hand, then handed to the C conversion in a fixed form,
    // so that neither the process locale nor Qt's leniency (group
    // separators, "inf") changes what is accepted.
    const qsizetype n = S.size();
    qsizetype i = 0;
    while (i < n && S[i] == u' ')
        ++i;
    std::string buf;
    if (i < n && (S[i] == u'+' || S[i] == u'-')) {
        if (S[i] == u'-')
            buf += '-';
        ++i;
    }
    qsizetype digits = 0;
    for (; i < n && isAsciiDigit(S[i]); ++i, ++digits)
        buf += char(S[i].unicode());
    if (!DecimalSeparator.isEmpty() && QStringView(S).sliced(i).startsWith(DecimalSeparator)) {
        buf += '.';
        i += DecimalSeparator.size();
        for (; i < n && isAsciiDigit(S[i]); ++i, ++digits)
            buf += char(S[i].unicode());
    }
    if (digits == 0)
        return false;
    if (i < n && (S[i] == u'e' || S[i] == u'E')) {
        ++i;
        char sign = '+';
        if (i < n && (S[i] == u'+' || S[i] == u'-')) {
            sign = char(S[i].unicode());
            ++i;
        }
        // Saturated: no text is long enough for a larger exponent to be
        // brought back into range by its mantissa.
        long exponent = 0;
        const qsizetype first = i;
        for (; i < n && isAsciiDigit(S[i]); ++i)
            exponent = std::min(exponent * 10 + (S[i].unicode() - '0'), 999999999L);
        if (i == first)
            return false;
        buf += 'e';
        buf += sign;
        buf += std::to_string(exponent);
    }
    while (i < n && S[i] == u' ')
        ++i;
    if (i != n)
        return false;

    errno = 0;
    char *end = nullptr;
    const double v = strtod_l(buf.c_str(), &end, cLocale());
    if (end != buf.c_str() + buf.size() || !std::isfinite(v))
        return false;
    // Too large does not convert; too small comes back as (nearly) zero.
    if (errno == ERANGE && std::fabs(v) > 1.0)
        return false;
    Value = v;
    return true;
}

bool TextToFloat(const QString &S, double &Value) { return TextToFloat(S, Value, RegionalDecimalSeparator()); }

bool ParseNumber(const QString &Token, double &Dest, TParamData &Data, const QString &DecimalSeparator)
{
    Dest = 0;
    if (TrimText(Token).isEmpty())
        return false;
    double v = 0;
    if (Token.startsWith(u"+/-")) {
        if (!TextToFloat(Token.mid(3), v, DecimalSeparator))
            return false;
        Dest = v;
        Data.UsageABSVal = true;
        Data.UsageValTypePrefix = false;
        return true;
    }
    if (!TextToFloat(Token.startsWith(u'+') ? Token.mid(1) : Token, v, DecimalSeparator))
        return false;
    Dest = v;
    return true;
}

bool ParseNumber(const QString &Token, double &Dest, TParamData &Data)
{
    return ParseNumber(Token, Dest, Data, RegionalDecimalSeparator());
}

bool ParseParamValue(const QString &Text, TParamData &Data, const QString &DecimalSeparator)
{
    Data.MinVal = Data.TypeVal = Data.MaxVal = 0;
    Data.UsageMinVal = Data.UsageTypeVal = Data.UsageMaxVal = false;
    Data.UsageSetNumVal = Data.UsageABSVal = Data.UsageValTypePrefix = false;

    const QString T = TrimText(Text);
    if (T.isEmpty())
        return false;
    const bool hasRange = T.contains(u"...");
    const bool hasList = T.contains(u';');
    const QString &sep = DecimalSeparator;

    if (hasRange && hasList)
        return false;

    if (hasRange) {
        const TStringArray parts = SplitString(T, QStringLiteral("..."));
        if (parts.size() != 2)
            return false;
        Data.TypeVal = 0;
        Data.UsageMinVal = true;
        Data.UsageTypeVal = false;
        Data.UsageMaxVal = true;
        return ParseNumber(TrimText(parts[0]), Data.MinVal, Data, sep)
            && ParseNumber(TrimText(parts[1]), Data.MaxVal, Data, sep);
    }

    if (hasList) {
        const TStringArray parts = SplitString(T, QStringLiteral(";"));
        Data.UsageSetNumVal = true;
        bool result = false;
        const QString first = TrimText(parts[0]);
        if (!first.isEmpty()) {
            Data.UsageMinVal = true;
            result = ParseNumber(first, Data.MinVal, Data, sep);
        }
        // A failed element fails the value; later ones are marked, not read.
        const struct {
            bool &usage;
            double &value;
        } later[] = {{Data.UsageTypeVal, Data.TypeVal}, {Data.UsageMaxVal, Data.MaxVal}};
        for (int k = 0; k < 2 && k + 1 < parts.size(); ++k) {
            const QString part = TrimText(parts[k + 1]);
            if (part.isEmpty())
                continue;
            later[k].usage = true;
            if (result)
                result = ParseNumber(part, later[k].value, Data, sep);
        }
        return result;
    }

    if (T.startsWith(u"+/-")) {
        Data.UsageTypeVal = true;
        Data.UsageABSVal = true;
        return ParseNumber(T, Data.TypeVal, Data, sep);
    }
    const QString rest = T.mid(1);
    switch (T[0].unicode()) {
    case u'>':
        Data.UsageMinVal = true;
        Data.UsageValTypePrefix = true;
        return ParseNumber(rest, Data.MinVal, Data, sep);
    case u'~':
        Data.UsageTypeVal = true;
        Data.UsageValTypePrefix = true;
        return ParseNumber(rest, Data.TypeVal, Data, sep);
    case u'<':
        Data.UsageMaxVal = true;
        Data.UsageValTypePrefix = true;
        return ParseNumber(rest, Data.MaxVal, Data, sep);
    case u'+':
        Data.UsageTypeVal = true;
        return ParseNumber(rest, Data.TypeVal, Data, sep);
    default:
        break;
    }
    double v = 0;
    if (!TextToFloat(T, v, sep))
        return false;
    Data.TypeVal = v;
    Data.UsageTypeVal = true;
    return true;
}

bool ParseParamValue(const QString &Text, TParamData &Data)
{
    return ParseParamValue(Text, Data, RegionalDecimalSeparator());
}
