#include "lumora/Bits.h"

namespace lumora {

bool MaskIsSet(quint8 value, quint8 mask) { return (value & mask) == mask; }

bool MaskIsSet(quint32 value, quint32 mask) { return (value & mask) == mask; }

quint8 ToggleMask(quint8 value, quint8 mask) { return quint8(value ^ mask); }

quint8 BitMask(int index) { return index >= 0 && index <= 7 ? quint8(1u << index) : quint8(0); }

quint8 ReverseBits(quint8 value)
{
    quint8 r = 0;
    for (int k = 0; k < 8; ++k)
        if (value & (1u << k))
            r |= quint8(1u << (7 - k));
    return r;
}

QString ByteToBitStr(quint8 value)
{
    QString s(8, QLatin1Char('0'));
    for (int k = 0; k < 8; ++k)
        if (value & (1u << k))
            s[7 - k] = QLatin1Char('1');
    return s;
}

} // namespace lumora
