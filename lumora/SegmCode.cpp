#include "lumora/SegmCode.h"

#include "lumora/Bits.h"

namespace lumora {

const std::array<quint8, 10> DigitCodes{0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
const std::array<quint8, 16> HexSymbolCodes{0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07,
                                            0x7F, 0x6F, 0x77, 0x7C, 0x39, 0x5E, 0x79, 0x71};

bool PinSegmUnique(const PinOut &pinOut, int pin, int segm)
{
    for (int q = 0; q < 8; ++q)
        if (q != pin && pinOut.pins[q] == segm)
            return false;
    return true;
}

bool PinsToSegmCheck(const PinOut &pinOut)
{
    bool ok = true;
    for (int p = 0; p < 8; ++p)
        ok = PinSegmUnique(pinOut, p, pinOut.pins[p]) && ok;
    return ok;
}

quint8 SegmToPinCode(const PinOut &pinOut, quint8 segments)
{
    quint8 code = 0;
    for (int k = 0; k < 8; ++k)
        if (MaskIsSet(segments, quint8(1u << k)))
            code |= BitMask(pinOut.pins[k]);
    if (pinOut.reverse)
        code = ReverseBits(code);
    if (pinOut.inverse)
        code ^= 0xFF;
    return code;
}

static QString hex2(quint8 v) { return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper(); }

Notations NotationsOf(quint8 code)
{
    const QString bits = ByteToBitStr(code);
    return {QString::number(code), QStringLiteral("0x") + hex2(code), QStringLiteral("$") + hex2(code),
            QStringLiteral("0b") + bits, bits};
}

Notations ResultTexts(const PinOut &pinOut, quint8 segments)
{
    if (!PinsToSegmCheck(pinOut))
        return {};
    return NotationsOf(SegmToPinCode(pinOut, segments));
}

namespace {

struct TableMode {
    const char *name;
    bool hexSymbols;
    const char *header;
    const char *opening;
    const char *entry;
    const char *lastEntry;
    const char *closing;
    bool bitsCode;
};

const TableMode kModes[6] = {
    {"Digits [0 - 9] as HEX (C style)", false, "unsigned char Lumora[10] =", "{", "  0x%s, // %s",
     "  0x%s // %s", "};", false},
    {"Digits [0 - 9] as bits (C style)", false, "unsigned char Lumora[10] =", "{", "  0b%s, // %s",
     "  0b%s // %s", "};", true},
    {"Digits [0 - 9] as HEX (Pascal style)", false, "Lumora: array[0..9] of Byte =", "(", "  $%s, // %s",
     "  $%s // %s", ");", false},
    {"HEX symbols [0 - 9, A - F] as HEX (C style)", true, "unsigned char Lumora[16] =", "{", "  0x%s, // %s",
     "  0x%s // %s", "};", false},
    {"HEX symbols [0 - 9, A - F] as bits (C style)", true, "unsigned char Lumora[16] =", "{", "  0b%s, // %s",
     "  0b%s // %s", "};", true},
    {"HEX symbols [0 - 9, A - F] as HEX (Pascal style)", true, "Lumora: array[0..15] of Byte =", "(",
     "  $%s, // %s", "  $%s // %s", ");", false},
};

// Puts the two arguments into the two "%s" places, in order.
QString fill(const char *templ, const QString &a, const QString &b)
{
    QString t = QString::fromLatin1(templ);
    const int first = t.indexOf(QLatin1String("%s"));
    t.replace(first, 2, a);
    const int second = t.indexOf(QLatin1String("%s"), first + a.size());
    t.replace(second, 2, b);
    return t;
}

} // namespace

QStringList TableModeNames()
{
    QStringList names;
    for (const TableMode &m : kModes)
        names << QString::fromLatin1(m.name);
    return names;
}

std::optional<QStringList> CodeTableLines(const PinOut &pinOut, int mode)
{
    if (!PinsToSegmCheck(pinOut))
        return std::nullopt;
    QStringList lines;
    if (mode < 0 || mode > 5)
        return lines;
    const TableMode &m = kModes[mode];
    const quint8 *table = m.hexSymbols ? HexSymbolCodes.data() : DigitCodes.data();
    const int count = m.hexSymbols ? int(HexSymbolCodes.size()) : int(DigitCodes.size());
    lines << QString::fromLatin1(m.header) << QString::fromLatin1(m.opening);
    for (int i = 0; i < count; ++i) {
        const quint8 code = SegmToPinCode(pinOut, table[i]);
        const QString codeText = m.bitsCode ? ByteToBitStr(code) : hex2(code);
        const QString indexText = m.hexSymbols ? QString::number(i, 16).toUpper() : QString::number(i);
        lines << fill(i + 1 < count ? m.entry : m.lastEntry, codeText, indexText);
    }
    lines << QString::fromLatin1(m.closing);
    return lines;
}

} // namespace lumora
