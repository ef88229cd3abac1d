#include "sheet/XlsFormat.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

struct Builtin {
    int index;
    const char *code;
};

// Built-in formats every BIFF8 reader knows without a FORMAT record.
const Builtin kBuiltins[] = {
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {5, "\"$\"#,##0_);(\"$\"#,##0)"},
    {6, "\"$\"#,##0_);[Red](\"$\"#,##0)"},
    {7, "\"$\"#,##0.00_);(\"$\"#,##0.00)"},
    {8, "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/?\?"},
    {14, "m/d/yyyy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yyyy h:mm"},
    {37, "#,##0_);(#,##0)"},
    {38, "#,##0_);[Red](#,##0)"},
    {39, "#,##0.00_);(#,##0.00)"},
    {40, "#,##0.00_);[Red](#,##0.00)"},
    {41, "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)"},
    {42, "_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)"},
    {43, "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)"},
    {44, "_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"??_);_(@_)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mm:ss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
};

// Splits a code into its ';' sections, quotes and escapes respected.
QStringList sections(const QString &code)
{
    QStringList out;
    QString cur;
    bool quoted = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"')
            quoted = !quoted;
        if (!quoted && c == u'\\' && i + 1 < code.size()) {
            cur += c;
            cur += code[++i];
            continue;
        }
        if (!quoted && c == u';') {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

// One piece of a parsed section: literal text or a format token.
struct Token {
    enum Kind { Literal, Digits, Date, AmPm, Elapsed } kind;
    QString text;
};

bool isDateLetter(QChar c)
{
    const QChar l = c.toLower();
    return l == u'y' || l == u'm' || l == u'd' || l == u'h' || l == u's';
}

// Tokenizes one section. Number placeholders are gathered into Digits tokens
// (one run each); date letters into Date tokens.
QList<Token> tokenize(const QString &s, QString *currency)
{
    QList<Token> toks;
    auto addLit = [&](const QString &t) {
        if (!toks.isEmpty() && toks.back().kind == Token::Literal)
            toks.back().text += t;
        else
            toks.append({Token::Literal, t});
    };
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'"') {
            const int end = s.indexOf(u'"', i + 1);
            addLit(s.mid(i + 1, (end < 0 ? s.size() : end) - i - 1));
            i = end < 0 ? s.size() : end;
        } else if (c == u'\\') {
            if (i + 1 < s.size())
                addLit(QString(s[++i]));
        } else if (c == u'_') {
            ++i;
            addLit(QStringLiteral(" "));
        } else if (c == u'*') {
            ++i; // fill character: nothing to show in a text
        } else if (c == u'[') {
            const int end = s.indexOf(u']', i + 1);
            const QString inner = s.mid(i + 1, (end < 0 ? s.size() : end) - i - 1);
            i = end < 0 ? s.size() : end;
            const QString low = inner.toLower();
            if (low == u"h" || low == u"hh" || low == u"m" || low == u"mm" || low == u"s" || low == u"ss") {
                toks.append({Token::Elapsed, low});
            } else if (inner.startsWith(u'$')) {
                const int dash = inner.indexOf(u'-');
                const QString sym = inner.mid(1, dash < 0 ? -1 : dash - 1);
                if (!sym.isEmpty()) {
                    addLit(sym);
                    if (currency)
                        *currency = sym;
                }
            }
            // colours and conditions show nothing
        } else if (s.mid(i, 5).compare(u"AM/PM", Qt::CaseInsensitive) == 0) {
            toks.append({Token::AmPm, QStringLiteral("AM/PM")});
            i += 4;
        } else if (s.mid(i, 3).compare(u"A/P", Qt::CaseInsensitive) == 0) {
            toks.append({Token::AmPm, QStringLiteral("A/P")});
            i += 2;
        } else if (isDateLetter(c)) {
            int j = i;
            while (j < s.size() && s[j].toLower() == c.toLower())
                ++j;
            toks.append({Token::Date, s.mid(i, j - i).toLower()});
            i = j - 1;
        } else if (c == u'0' || c == u'#' || c == u'?' || c == u'.' || c == u',' || c == u'%'
                   || ((c == u'E' || c == u'e') && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-'))) {
            QString run;
            int j = i;
            while (j < s.size()) {
                const QChar d = s[j];
                if (d == u'0' || d == u'#' || d == u'?' || d == u'.' || d == u',' || d == u'%') {
                    run += d;
                    ++j;
                } else if ((d == u'E' || d == u'e') && j + 1 < s.size() && (s[j + 1] == u'+' || s[j + 1] == u'-')) {
                    run += u'E';
                    run += s[j + 1];
                    j += 2;
                } else {
                    break;
                }
            }
            // A lone '.', ',' or '%' without any digit placeholder is text.
            bool hasDigit = false;
            for (QChar d : run)
                hasDigit = hasDigit || d == u'0' || d == u'#' || d == u'?';
            if (!hasDigit && !toks.isEmpty() && toks.back().kind == Token::Digits) {
                toks.back().text += run;
            } else if (!hasDigit) {
                if (run == u"%") {
                    toks.append({Token::Digits, run});
                } else {
                    addLit(run);
                }
            } else {
                toks.append({Token::Digits, run});
            }
            i = j - 1;
        } else if (c == u'@') {
            addLit(QStringLiteral("@"));
        } else {
            addLit(QString(c));
        }
    }
    return toks;
}

QString groupDigits(const QString &intPart, const QLocale &loc)
{
    const QString sep = loc.groupSeparator();
    QString out;
    const int n = int(intPart.size());
    for (int k = 0; k < n; ++k) {
        if (k > 0 && (n - k) % 3 == 0)
            out += sep;
        out += intPart[k];
    }
    return out;
}

// Formats |value| through the digit placeholders of `pattern` (all Digits
// tokens of the section joined).
QString formatDigits(double value, QString pattern, const QLocale &loc)
{
    int percents = int(pattern.count(u'%'));
    pattern.remove(u'%');
    for (int p = 0; p < percents; ++p)
        value *= 100;

    QString mant = pattern, expo;
    const int e = int(pattern.indexOf(u'E'));
    if (e >= 0) {
        mant = pattern.left(e);
        expo = pattern.mid(e + 1); // sign then digits
    }
    // Trailing commas scale by thousands.
    while (mant.endsWith(u',') && expo.isEmpty()) {
        mant.chop(1);
        value /= 1000;
    }
    const int dot = int(mant.indexOf(u'.'));
    QString intPat = dot < 0 ? mant : mant.left(dot);
    const QString fracPat = dot < 0 ? QString() : mant.mid(dot + 1).remove(u',');
    const bool grouping = intPat.contains(u',');
    intPat.remove(u',');
    const int minInt = int(intPat.count(u'0'));
    const int maxFrac = int(fracPat.size());
    int minFrac = 0;
    for (int k = 0; k < fracPat.size(); ++k)
        if (fracPat[k] == u'0')
            minFrac = k + 1;

    int exponent = 0;
    if (!expo.isEmpty()) {
        if (value != 0) {
            const int step = std::max<int>(1, int(intPat.size()) > 1 && intPat.startsWith(u'#') ? int(intPat.size()) : 1);
            exponent = int(std::floor(std::log10(value)));
            if (step > 1)
                exponent = int(std::floor(double(exponent) / step)) * step;
            else
                exponent -= std::max(0, int(intPat.size()) - 1);
            value /= std::pow(10.0, exponent);
            // Rounding may carry into one more digit.
            const double rounded = std::round(value * std::pow(10.0, maxFrac)) / std::pow(10.0, maxFrac);
            if (step == 1 && rounded >= std::pow(10.0, std::max<int>(1, int(intPat.size())))) {
                value /= 10;
                ++exponent;
            }
        }
    }

    QString digits = QString::number(value, 'f', maxFrac);
    QString ip = digits, fp;
    const int d = int(digits.indexOf(u'.'));
    if (d >= 0) {
        ip = digits.left(d);
        fp = digits.mid(d + 1);
    }
    while (fp.size() > minFrac && fp.endsWith(u'0'))
        fp.chop(1);
    if (ip == u"0" && minInt == 0)
        ip.clear();
    while (ip.size() < minInt)
        ip.prepend(u'0');
    if (grouping)
        ip = groupDigits(ip, loc);

    QString out = ip;
    if (dot >= 0 && (!fp.isEmpty() || fracPat.contains(u'0') || fracPat.contains(u'?')))
        out += loc.decimalPoint() + fp;
    else if (dot >= 0 && fp.isEmpty() && ip.isEmpty())
        out = QStringLiteral("0");
    if (out.isEmpty())
        out = minInt > 0 ? QStringLiteral("0") : QString();
    if (!expo.isEmpty()) {
        const QChar sign = expo[0];
        const int expDigits = std::max<int>(1, int(expo.size()) - 1);
        QString ed = QString::number(std::abs(exponent)).rightJustified(expDigits, u'0');
        out += u'E';
        if (exponent < 0)
            out += u'-';
        else if (sign == u'+')
            out += u'+';
        out += ed;
    }
    for (int p = 0; p < percents; ++p)
        out += u'%';
    return out;
}

QString formatDate(double value, const QList<Token> &toks, const QLocale &loc, bool date1904)
{
    // Time to the millisecond, days from the serial.
    double days = std::floor(value);
    double frac = value - days;
    qint64 ms = qint64(std::llround(frac * 86400000.0));
    if (ms >= 86400000) {
        ms -= 86400000;
        days += 1;
    }
    QDate date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(qint64(days));
    } else if (days >= 61) {
        date = QDate(1899, 12, 30).addDays(qint64(days));
    } else if (days >= 1) {
        date = QDate(1899, 12, 31).addDays(qint64(days)); // before the phantom 29 Feb 1900
    } else {
        date = QDate(1899, 12, 31); // 0 shows as 0 Jan 1900 in spreadsheets; nearest real day
    }
    const bool phantom = !date1904 && days == 60;

    bool hasAmPm = false;
    for (const Token &t : toks)
        hasAmPm = hasAmPm || t.kind == Token::AmPm;

    int fracDigits = 0;
    for (int i = 0; i < toks.size(); ++i)
        if (toks[i].kind == Token::Digits && toks[i].text.startsWith(u'.'))
            fracDigits = std::max<int>(fracDigits, int(toks[i].text.count(u'0')));
    if (fracDigits > 0) {
        // Round to the shown precision before splitting into fields.
        const qint64 unit = fracDigits >= 3 ? 1 : (fracDigits == 2 ? 10 : 100);
        ms = (ms + unit / 2) / unit * unit;
    } else {
        ms = (ms + 500) / 1000 * 1000;
    }
    if (ms >= 86400000) {
        ms -= 86400000;
        date = date.addDays(1);
    }
    const int hour = int(ms / 3600000), minute = int(ms / 60000 % 60), second = int(ms / 1000 % 60);
    const int milli = int(ms % 1000);

    QString out;
    for (int i = 0; i < toks.size(); ++i) {
        const Token &t = toks[i];
        switch (t.kind) {
        case Token::Literal:
            out += t.text;
            break;
        case Token::AmPm:
            if (t.text == u"A/P")
                out += hour < 12 ? QStringLiteral("A") : QStringLiteral("P");
            else
                out += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            break;
        case Token::Elapsed: {
            const double totalMs = value * 86400000.0;
            qint64 n = 0;
            if (t.text.startsWith(u'h'))
                n = qint64(std::floor(totalMs / 3600000.0 + 1e-9));
            else if (t.text.startsWith(u'm'))
                n = qint64(std::floor(totalMs / 60000.0 + 1e-9));
            else
                n = qint64(std::floor(totalMs / 1000.0 + 1e-9));
            out += QString::number(n).rightJustified(t.text.size(), u'0');
            break;
        }
        case Token::Digits:
            if (t.text.startsWith(u'.')) {
                out += loc.decimalPoint();
                out += QString::number(milli).rightJustified(3, u'0').left(int(t.text.count(u'0')));
            } else {
                out += t.text;
            }
            break;
        case Token::Date: {
            const QString &f = t.text;
            const QChar k = f[0];
            if (k == u'y') {
                out += f.size() <= 2 ? QString::number(date.year() % 100).rightJustified(2, u'0')
                                     : QString::number(date.year());
            } else if (k == u'd') {
                const int day = phantom ? 29 : date.day();
                if (f.size() == 1)
                    out += QString::number(day);
                else if (f.size() == 2)
                    out += QString::number(day).rightJustified(2, u'0');
                else
                    out += loc.dayName(date.dayOfWeek(), f.size() == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            } else if (k == u'h') {
                int h = hour;
                if (hasAmPm) {
                    h %= 12;
                    if (h == 0)
                        h = 12;
                }
                out += f.size() >= 2 ? QString::number(h).rightJustified(2, u'0') : QString::number(h);
            } else if (k == u's') {
                out += f.size() >= 2 ? QString::number(second).rightJustified(2, u'0') : QString::number(second);
            } else { // m: minutes right after hours or before seconds, else month
                bool minute_ = false;
                if (f.size() <= 2) {
                    for (int j = i - 1; j >= 0; --j) {
                        if (toks[j].kind == Token::Date || toks[j].kind == Token::Elapsed) {
                            minute_ = toks[j].text.startsWith(u'h');
                            break;
                        }
                    }
                    for (int j = i + 1; j < toks.size() && !minute_; ++j) {
                        if (toks[j].kind == Token::Date || toks[j].kind == Token::Elapsed) {
                            minute_ = toks[j].text.startsWith(u's');
                            break;
                        }
                    }
                }
                const int month = phantom ? 2 : date.month();
                if (minute_)
                    out += f.size() == 2 ? QString::number(minute).rightJustified(2, u'0') : QString::number(minute);
                else if (f.size() == 1)
                    out += QString::number(month);
                else if (f.size() == 2)
                    out += QString::number(month).rightJustified(2, u'0');
                else if (f.size() == 3)
                    out += loc.monthName(month, QLocale::ShortFormat);
                else if (f.size() == 5)
                    out += loc.monthName(month, QLocale::LongFormat).left(1);
                else
                    out += loc.monthName(month, QLocale::LongFormat);
            }
            break;
        }
        }
    }
    return out;
}

} // namespace

namespace XlsFormat {

QString builtinFormat(int index)
{
    for (const Builtin &b : kBuiltins)
        if (b.index == index)
            return QString::fromLatin1(b.code);
    return QString();
}

int builtinIndex(const QString &code)
{
    for (const Builtin &b : kBuiltins)
        if (code == QLatin1String(b.code))
            return b.index;
    if (code.compare(u"general", Qt::CaseInsensitive) == 0)
        return 0;
    return -1;
}

bool isDateFormat(const QString &code)
{
    const QStringList secs = sections(code);
    for (const Token &t : tokenize(secs.value(0), nullptr))
        if (t.kind == Token::Date || t.kind == Token::Elapsed || t.kind == Token::AmPm)
            return true;
    return false;
}

QString formatGeneral(double value, const QLocale &locale)
{
    if (std::isnan(value))
        return QStringLiteral("#NUM!");
    if (std::isinf(value))
        return QStringLiteral("#NUM!");
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return QString::number(qint64(value));
    }
    // Up to 15 significant digits; scientific outside the usual range.
    QString s = QString::number(value, 'g', 15);
    const int e = int(s.indexOf(u'e'));
    if (e >= 0) {
        QString mant = s.left(e), ex = s.mid(e + 1);
        const QChar sign = ex[0];
        ex = ex.mid(1);
        while (ex.size() > 2 && ex.startsWith(u'0'))
            ex.remove(0, 1);
        s = mant + u'E' + (sign == u'-' ? u'-' : u'+') + ex.rightJustified(2, u'0');
    }
    const QString dp = locale.decimalPoint();
    if (dp != u".")
        s.replace(u'.', dp);
    return s;
}

QString formatNumber(double value, const QString &code, const QLocale &locale, bool date1904)
{
    return NumberFormat(code).format(value, locale, date1904);
}

struct NumberFormat::Data {
    struct Section {
        bool general = false;
        bool date = false;
        QList<Token> toks;
        QString digits;
    };
    bool general = true;
    QList<Section> sections;
};

NumberFormat::NumberFormat(const QString &code)
{
    auto d = std::make_shared<Data>();
    m_data = d;
    if (code.isEmpty() || code.compare(u"General", Qt::CaseInsensitive) == 0)
        return;
    d->general = false;
    for (const QString &sec : sections(code)) {
        Data::Section s;
        s.general = sec.compare(u"General", Qt::CaseInsensitive) == 0;
        if (!s.general) {
            QString currency;
            s.toks = tokenize(sec, &currency);
            for (const Token &t : s.toks) {
                if (t.kind == Token::Date || t.kind == Token::Elapsed || t.kind == Token::AmPm)
                    s.date = true;
                if (t.kind == Token::Digits)
                    s.digits += t.text;
            }
        }
        d->sections.append(s);
    }
}

bool NumberFormat::isGeneral() const { return m_data->general; }

QString NumberFormat::format(double value, const QLocale &locale, bool date1904) const
{
    if (m_data->general)
        return formatGeneral(value, locale);
    if (std::isnan(value) || std::isinf(value))
        return QStringLiteral("#NUM!");

    const auto &secs = m_data->sections;
    const Data::Section *sec = &secs[0];
    double v = value;
    bool negSection = false;
    if (value < 0 && secs.size() >= 2 && (!secs[1].toks.isEmpty() || secs[1].general)) {
        sec = &secs[1];
        v = -value;
        negSection = true;
    } else if (value == 0 && secs.size() >= 3) {
        sec = &secs[2];
    }
    if (sec->general)
        return formatGeneral(v, locale);
    if (sec->date) {
        if (value < 0 || value >= 2958466) // outside 1900..9999: spreadsheets show ####
            return formatGeneral(value, locale);
        return formatDate(v, sec->toks, locale, date1904);
    }
    if (sec->digits.isEmpty()) {
        // Text only (e.g. "@" or a fixed label): the literal, or General.
        QString out;
        for (const Token &t : sec->toks)
            out += t.text;
        if (out.isEmpty() || out == u"@")
            return formatGeneral(value, locale);
        return out;
    }
    QString num;
    QString out;
    int digitTokens = 0;
    for (const Token &t : sec->toks)
        digitTokens += t.kind == Token::Digits;
    const QList<Token> &toks = sec->toks;
    int slash = -1; // a fraction: digits, "/", digits
    for (int i = 1; i + 1 < toks.size(); ++i)
        if (toks[i].kind == Token::Literal && toks[i].text.trimmed() == u"/" && toks[i - 1].kind == Token::Digits
            && toks[i + 1].kind == Token::Digits)
            slash = i;
    if (slash > 0) {
        const bool whole = slash >= 2 && std::any_of(toks.begin(), toks.begin() + slash - 1,
                                                     [](const Token &t) { return t.kind == Token::Digits; });
        const double a = std::fabs(v);
        double ip = whole ? std::floor(a) : 0;
        const double frac = a - ip;
        const int denDigits = std::clamp(int(toks[slash + 1].text.size()), 1, 4);
        const int maxDen = int(std::pow(10, denDigits)) - 1;
        qint64 bestN = 0, bestD = 1;
        double bestErr = frac;
        for (int d = 1; d <= maxDen && bestErr > 0; ++d) {
            const qint64 n = qint64(std::llround(frac * d));
            const double err = std::fabs(frac - double(n) / d);
            if (err < bestErr - 1e-12) {
                bestErr = err;
                bestN = n;
                bestD = d;
            }
        }
        if (whole && bestN == bestD) {
            ip += 1;
            bestN = 0;
        }
        if (whole && ip != 0)
            num = QString::number(qint64(ip));
        if (bestN != 0 || num.isEmpty())
            num += (num.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("%1/%2").arg(bestN).arg(bestN ? bestD : 1);
        if (bestN == 0 && !whole && num == u"0/1")
            num = QStringLiteral("0");
        bool placed = false;
        for (int i = 0; i < toks.size(); ++i) {
            const bool inFraction = i >= slash - (whole ? 3 : 1) && i <= slash + 1;
            if (toks[i].kind == Token::Literal && !inFraction)
                out += toks[i].text;
            else if (toks[i].kind == Token::Digits && !placed) {
                out += num;
                placed = true;
            }
        }
    } else if (digitTokens > 1 && !sec->digits.contains(u'.') && !sec->digits.contains(u'E')
               && !sec->digits.contains(u'%') && !sec->digits.contains(u',')) {
        // Digits spread over several runs ("000-0000"): fill the runs from
        // the right; the leftmost run takes what is left.
        num = QString::number(qint64(std::llround(std::fabs(v))));
        if (num == u"0")
            num.clear();
        QStringList parts(toks.size());
        int left = int(num.size());
        int firstDigits = -1;
        for (int i = 0; i < toks.size(); ++i)
            if (toks[i].kind == Token::Digits && firstDigits < 0)
                firstDigits = i;
        for (int i = int(toks.size()) - 1; i >= 0; --i) {
            if (toks[i].kind != Token::Digits) {
                parts[i] = toks[i].text;
                continue;
            }
            const QString &pat = toks[i].text;
            QString piece;
            for (int k = int(pat.size()) - 1; k >= 0; --k) {
                if (left > 0)
                    piece.prepend(num[--left]);
                else if (pat[k] == u'0')
                    piece.prepend(u'0');
                else if (pat[k] == u'?')
                    piece.prepend(u' ');
            }
            if (i == firstDigits && left > 0)
                piece.prepend(num.left(left));
            parts[i] = piece;
        }
        out = parts.join(QString());
    } else {
        num = formatDigits(std::fabs(v), sec->digits, locale);
        bool placed = false;
        for (const Token &t : toks) {
            if (t.kind == Token::Literal) {
                out += t.text;
            } else if (t.kind == Token::Digits && !placed) {
                out += num;
                placed = true;
            }
        }
    }
    // A minus sign unless the negative section draws its own.
    if (v < 0 && !negSection) {
        bool allZero = true;
        for (QChar c : num)
            if (c.isDigit() && c != u'0')
                allZero = false;
        if (!allZero)
            out.prepend(u'-');
    }
    return out;
}

} // namespace XlsFormat
