#include "lumora/Bits.h"
#include "lumora/SegmCode.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace lumora;

TEST(Bits, Helpers)
{
    EXPECT_TRUE(MaskIsSet(quint8(0x5B), quint8(0x0B)));
    EXPECT_FALSE(MaskIsSet(quint8(0x5B), quint8(0x0C))); // one of two bits set is not enough
    EXPECT_TRUE(MaskIsSet(quint8(0x00), quint8(0x00)));
    EXPECT_TRUE(MaskIsSet(quint32(0x80000001u), quint32(0x80000000u)));
    EXPECT_FALSE(MaskIsSet(quint32(0x7FFFFFFFu), quint32(0x80000000u)));

    EXPECT_EQ(ToggleMask(0x5B, 0x80), 0xDB);
    EXPECT_EQ(ToggleMask(0xDB, 0x80), 0x5B);

    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(BitMask(i), 1 << i) << i;
    for (int i : {-1, 8, 9, 255, 256})
        EXPECT_EQ(BitMask(i), 0) << i;

    EXPECT_EQ(ReverseBits(0x01), 0x80);
    EXPECT_EQ(ReverseBits(0x80), 0x01);
    EXPECT_EQ(ReverseBits(0x5B), 0xDA);
    EXPECT_EQ(ReverseBits(0x0F), 0xF0);
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(ReverseBits(ReverseBits(quint8(v))), v);

    EXPECT_EQ(ByteToBitStr(0x00), "00000000");
    EXPECT_EQ(ByteToBitStr(0x80), "10000000");
    EXPECT_EQ(ByteToBitStr(0x5B), "01011011");
    EXPECT_EQ(ByteToBitStr(0xFF), "11111111");
}

namespace {

constexpr std::array<int, 8> kDefault{0, 1, 2, 3, 4, 5, 6, 7};
// Pin 0 drives B, pin 1 C, pin 2 A: not a set of swapped pairs.
constexpr std::array<int, 8> kRotated{1, 2, 0, 3, 4, 5, 6, 7};

struct CodeCase {
    const char *name;
    std::array<int, 8> pins;
    bool reverse;
    bool inverse;
    quint8 segments;
    Notations expected;
};

} // namespace

TEST(SegmCode, NotationsOfExamples)
{
    const CodeCase cases[] = {
        {"all dark", kDefault, false, false, 0x00, {"0", "0x00", "$00", "0b00000000", "00000000"}},
        {"digit 2", kDefault, false, false, 0x5B, {"91", "0x5B", "$5B", "0b01011011", "01011011"}},
        {"digit 2 reversed", kDefault, true, false, 0x5B, {"218", "0xDA", "$DA", "0b11011010", "11011010"}},
        {"digit 2 inverted", kDefault, false, true, 0x5B, {"164", "0xA4", "$A4", "0b10100100", "10100100"}},
        {"point reversed", kDefault, true, false, 0x80, {"1", "0x01", "$01", "0b00000001", "00000001"}},
        {"point reversed inverted", kDefault, true, true, 0x80, {"254", "0xFE", "$FE", "0b11111110", "11111110"}},
        {"all dark inverted", kDefault, false, true, 0x00, {"255", "0xFF", "$FF", "0b11111111", "11111111"}},
        {"segment A under rotated pins", kRotated, false, false, 0x01, {"2", "0x02", "$02", "0b00000010", "00000010"}},
        {"segment A rotated, reversed", kRotated, true, false, 0x01, {"64", "0x40", "$40", "0b01000000", "01000000"}},
        {"segment C rotated", kRotated, false, false, 0x04, {"1", "0x01", "$01", "0b00000001", "00000001"}},
        {"pins 0 and 1 on A", {0, 0, 2, 3, 4, 5, 6, 7}, false, false, 0x5B, {}},
        {"pins 6 and 7 on H, inverted", {0, 1, 2, 3, 4, 5, 7, 7}, false, true, 0x00, {}},
    };
    for (const CodeCase &c : cases) {
        SCOPED_TRACE(c.name);
        PinOut p{c.pins, c.reverse, c.inverse};
        const Notations n = ResultTexts(p, c.segments);
        EXPECT_EQ(n.integer, c.expected.integer);
        EXPECT_EQ(n.hexC, c.expected.hexC);
        EXPECT_EQ(n.hexP, c.expected.hexP);
        EXPECT_EQ(n.bitsC, c.expected.bitsC);
        EXPECT_EQ(n.bits, c.expected.bits);
    }
}

TEST(SegmCode, DefaultAssignmentPassesEveryByteThrough)
{
    const PinOut p;
    for (int s = 0; s < 256; ++s)
        ASSERT_EQ(SegmToPinCode(p, quint8(s)), s);
}

TEST(SegmCode, AnyPermutationIsUsableAndLosesNoSegment)
{
    std::array<int, 8> pins = kDefault;
    int checked = 0;
    do {
        if (++checked % 97 != 0) // a spread sample of the 40320 orders keeps it quick
            continue;
        const PinOut p{pins, false, false};
        ASSERT_TRUE(PinsToSegmCheck(p));
        // A permutation maps distinct patterns to distinct codes with as many bits.
        for (int k = 0; k < 8; ++k)
            ASSERT_EQ(SegmToPinCode(p, quint8(1u << k)), 1 << pins[k]);
    } while (std::next_permutation(pins.begin(), pins.end()));

    EXPECT_FALSE(PinsToSegmCheck(PinOut{{0, 1, 2, 3, 4, 5, 6, 0}, false, false}));
    EXPECT_FALSE(PinsToSegmCheck(PinOut{{7, 7, 7, 7, 7, 7, 7, 7}, false, false}));
    // Uniqueness is about the other pins only.
    EXPECT_TRUE(PinSegmUnique(PinOut{}, 3, 3));
    EXPECT_FALSE(PinSegmUnique(PinOut{}, 3, 4));
}

TEST(SegmCode, TableModeNames)
{
    EXPECT_EQ(TableModeNames(), QStringList({"Digits [0 - 9] as HEX (C style)", "Digits [0 - 9] as bits (C style)",
                                             "Digits [0 - 9] as HEX (Pascal style)",
                                             "HEX symbols [0 - 9, A - F] as HEX (C style)",
                                             "HEX symbols [0 - 9, A - F] as bits (C style)",
                                             "HEX symbols [0 - 9, A - F] as HEX (Pascal style)"}));
}

TEST(SegmCode, WholeTables)
{
    struct TableCase {
        const char *name;
        PinOut pinOut;
        int mode;
        QStringList expected;
    };
    const TableCase cases[] = {
        {"digits hex C, default",
         PinOut{},
         0,
         {"unsigned char Lumora[10] =", "{", "  0x3F, // 0", "  0x06, // 1", "  0x5B, // 2", "  0x4F, // 3",
          "  0x66, // 4", "  0x6D, // 5", "  0x7D, // 6", "  0x07, // 7", "  0x7F, // 8", "  0x6F // 9", "};"}},
        // Inverted levels give the familiar common-anode codes.
        {"digits Pascal, inverted",
         PinOut{kDefault, false, true},
         2,
         {"Lumora: array[0..9] of Byte =", "(", "  $C0, // 0", "  $F9, // 1", "  $A4, // 2", "  $B0, // 3",
          "  $99, // 4", "  $92, // 5", "  $82, // 6", "  $F8, // 7", "  $80, // 8", "  $90 // 9", ");"}},
        {"digits bits C, reversed",
         PinOut{kDefault, true, false},
         1,
         {"unsigned char Lumora[10] =", "{", "  0b11111100, // 0", "  0b01100000, // 1", "  0b11011010, // 2",
          "  0b11110010, // 3", "  0b01100110, // 4", "  0b10110110, // 5", "  0b10111110, // 6",
          "  0b11100000, // 7", "  0b11111110, // 8", "  0b11110110 // 9", "};"}},
        {"hex symbols hex C, default",
         PinOut{},
         3,
         {"unsigned char Lumora[16] =", "{", "  0x3F, // 0", "  0x06, // 1", "  0x5B, // 2", "  0x4F, // 3",
          "  0x66, // 4", "  0x6D, // 5", "  0x7D, // 6", "  0x07, // 7", "  0x7F, // 8", "  0x6F, // 9",
          "  0x77, // A", "  0x7C, // B", "  0x39, // C", "  0x5E, // D", "  0x79, // E", "  0x71 // F", "};"}},
        // Segment A moves to bit 1, B to bit 2, C to bit 0.
        {"hex symbols Pascal, rotated pins",
         PinOut{kRotated, false, false},
         5,
         {"Lumora: array[0..15] of Byte =", "(", "  $3F, // 0", "  $05, // 1", "  $5E, // 2", "  $4F, // 3",
          "  $65, // 4", "  $6B, // 5", "  $7B, // 6", "  $07, // 7", "  $7F, // 8", "  $6F, // 9",
          "  $77, // A", "  $79, // B", "  $3A, // C", "  $5D, // D", "  $7A, // E", "  $72 // F", ");"}},
    };
    for (const TableCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<QStringList> lines = CodeTableLines(c.pinOut, c.mode);
        ASSERT_TRUE(lines);
        EXPECT_EQ(*lines, c.expected);
    }

    const std::optional<QStringList> bits = CodeTableLines(PinOut{}, 4);
    ASSERT_TRUE(bits);
    // Header, opening, 16 entries, closing (the window ends the text with a line break).
    ASSERT_EQ(bits->size(), 19);
    EXPECT_EQ(bits->at(2), "  0b00111111, // 0");
    EXPECT_EQ(bits->at(17), "  0b01110001 // F");
    EXPECT_EQ(bits->at(18), "};");
}

TEST(SegmCode, TableForNoModeIsEmptyAndForBadPinsIsRefused)
{
    for (int mode : {-1, 6, 100})
        EXPECT_EQ(CodeTableLines(PinOut{}, mode), QStringList()) << mode;
    for (int mode : {-1, 0, 5})
        EXPECT_FALSE(CodeTableLines(PinOut{{0, 1, 2, 3, 4, 5, 6, 6}, false, false}, mode)) << mode;
}
