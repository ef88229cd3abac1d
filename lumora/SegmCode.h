#pragma once
// The segment coder: turns a segment byte (bit 0 = A .. bit 6 = G, bit 7 = H)
// into the byte a port must carry under a pin assignment, and builds code
// tables as source text. Free of the window so it can be tested alone.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace lumora {

extern const std::array<quint8, 10> DigitCodes;
extern const std::array<quint8, 16> HexSymbolCodes;

// The inputs the window holds: the selection index of each pin's selector
// (0 = A .. 7 = H), the bit order and the level inversion.
struct PinOut {
    std::array<int, 8> pins{0, 1, 2, 3, 4, 5, 6, 7};
    bool reverse = false;
    bool inverse = false;
};

// True unless a pin other than `pin` also selects `segm`.
bool PinSegmUnique(const PinOut &pinOut, int pin, int segm);
// Usable only when the eight selections are pairwise different.
bool PinsToSegmCheck(const PinOut &pinOut);
// Segment k of the pattern sets bit pins[k] of the code; then the bit order
// and the inversion apply.
quint8 SegmToPinCode(const PinOut &pinOut, quint8 segments);

// The five texts shown for one code.
struct Notations {
    QString integer; // "91"
    QString hexC;    // "0x5B"
    QString hexP;    // "$5B"
    QString bitsC;   // "0b01011011"
    QString bits;    // "01011011"
    bool operator==(const Notations &) const = default;
};
Notations NotationsOf(quint8 code);
// The notations of a segment byte, or five empty texts when the assignment
// is not usable.
Notations ResultTexts(const PinOut &pinOut, quint8 segments);

// Item texts of the six table modes, in mode order.
QStringList TableModeNames();
// The lines of the table for `mode` (0..5); an empty list for any other mode;
// nullopt when the assignment is not usable (the shown table stays as it is).
std::optional<QStringList> CodeTableLines(const PinOut &pinOut, int mode);

} // namespace lumora
