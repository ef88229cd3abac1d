#include "lumora/Symbols.h"

#include "lumora/SegmCode.h"

namespace lumora {

const std::vector<SymbolEntry> &SymbolEntries()
{
    static const std::vector<SymbolEntry> entries = [] {
        std::vector<SymbolEntry> e;
        static const char *const digitNames[10] = {"pmi0", "pmi1", "pmi2", "pmi3", "pmi4",
                                                   "pmi5", "pmi6", "pmi7", "pmi8", "pmi9"};
        static const char *const digitCaptions[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
        for (int i = 0; i < 10; ++i)
            e.push_back({"Digits", digitCaptions[i], digitNames[i], DigitCodes[i]});
        const SymbolEntry rest[] = {
            {"Letters", "A", "pmiA", 0x77},
            {"Letters", "B", "pmiB", 0x7C},
            {"Letters", "C", "pmiC", 0x39},
            {"Letters", "D", "pmiD", 0x5E},
            {"Letters", "E", "pmiE", 0x79},
            {"Letters", "F", "pmiF", 0x71},
            {"Letters", "G", "pmiG", 0x3D},
            {"Letters", "H", "pmiH", 0x76},
            // The left bars (E F): an upright stroke that is not mistaken for "1".
            {"Letters", "I", "pmiI", 0x30},
            {"Letters", "J", "pmiJ", 0x1E},
            {"Letters", "L", "pmiL", 0x38},
            {"Letters", "P", "pmiP", 0x73},
            {"Letters", "Q", "pmiQ", 0x67},
            {"Letters", "R", "pmiR", 0x31},
            {"Letters", "T", "pmiT", 0x78},
            {"Letters", "U", "pmiU", 0x3E},
            {"Letters", "Y", "pmiY", 0x6E},
            {"Symbols", " -", "pmiMinus", 0x40},
            {"Symbols", "_", "pmiDownMinus", 0x08},
            {"Symbols", "\u00AF", "pmiUpMinus", 0x01},
            {"Symbols", "\u00B0", "pmiAngle", 0x63},
            {"Symbols", "'", "pmiAngleMin", 0x02},
            {"Symbols", "\"", "pmiAngleSec", 0x22},
        };
        e.insert(e.end(), std::begin(rest), std::end(rest));
        return e;
    }();
    return entries;
}

} // namespace lumora
