#pragma once
// Small bit helpers on port bytes.
#include <QString>
#include <QtGlobal>

namespace lumora {

// True when every bit of mask is set in value. Both widths exist; callers
// pick one by the types they pass.
bool MaskIsSet(quint8 value, quint8 mask);
bool MaskIsSet(quint32 value, quint32 mask);

quint8 ToggleMask(quint8 value, quint8 mask);

// 1 << index for 0..7; 0 for any other index, so a bad index sets no bit.
quint8 BitMask(int index);

// Bit 7 becomes bit 0, bit 6 becomes bit 1, ...
quint8 ReverseBits(quint8 value);

// Eight "0"/"1" characters, bit 7 first.
QString ByteToBitStr(quint8 value);

} // namespace lumora
