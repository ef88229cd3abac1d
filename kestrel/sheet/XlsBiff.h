#pragma once
// BIFF8 record numbers and little-endian helpers shared by the reader and
// the writer. Values are decoded from bytes, never by casting buffers.

#include <cstdint>
#include <cstring>

namespace biff {

enum Record : std::uint16_t {
    rFORMULA = 0x0006,
    rEOF = 0x000A,
    rSELECTION = 0x001D,
    rDATEMODE = 0x0022,
    rFILEPASS = 0x002F,
    rFONT = 0x0031,
    rCONTINUE = 0x003C,
    rWINDOW1 = 0x003D,
    rCODEPAGE = 0x0042,
    rDEFCOLWIDTH = 0x0055,
    rCOLINFO = 0x007D,
    rBOUNDSHEET = 0x0085,
    rPALETTE = 0x0092,
    rSTANDARDWIDTH = 0x0099,
    rMULRK = 0x00BD,
    rMULBLANK = 0x00BE,
    rRSTRING = 0x00D6,
    rXF = 0x00E0,
    rMERGEDCELLS = 0x00E5,
    rSST = 0x00FC,
    rLABELSST = 0x00FD,
    rEXTSST = 0x00FF,
    rDIMENSIONS = 0x0200,
    rBLANK = 0x0201,
    rNUMBER = 0x0203,
    rLABEL = 0x0204,
    rBOOLERR = 0x0205,
    rSTRING = 0x0207,
    rROW = 0x0208,
    rBOF = 0x0809,
    rDEFAULTROWHEIGHT = 0x0225,
    rWINDOW2 = 0x023E,
    rRK = 0x027E,
    rSTYLE = 0x0293,
    rFORMAT = 0x041E,
};

// Most data bytes one record carries; longer data goes on in CONTINUE records.
constexpr int MaxRecordData = 8224;
constexpr std::uint16_t Biff8Version = 0x0600;
constexpr std::uint16_t BofGlobals = 0x0005;
constexpr std::uint16_t BofWorksheet = 0x0010;

inline std::uint16_t u16(const unsigned char *p) { return std::uint16_t(p[0] | p[1] << 8); }
inline std::uint32_t u32(const unsigned char *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline double f64(const unsigned char *p)
{
    std::uint64_t v = std::uint64_t(u32(p)) | std::uint64_t(u32(p + 4)) << 32;
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

// Excel error codes as shown in cells.
inline const char *errorText(unsigned code)
{
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    default: return "#N/A";
    }
}

// Pixel sizes of the grid against the file's units.
inline int widthToPixels(int w256) { return int((w256 * 7 + 128) / 256); }
inline int pixelsToWidth(int px) { return (px * 256 + 3) / 7; }
inline int defColWidthToPixels(int chars) { return chars * 7 + 8; }
inline int twipsToPixels(int twips) { return (twips + 7) / 15; }
inline int pixelsToTwips(int px) { return px * 15; }

} // namespace biff
