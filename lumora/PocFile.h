#pragma once
// Pin-out configuration files (.poc): an INI file whose section "LMPOC" holds
// the segment of each port pin and the bit order.
#include <QString>
#include <array>
#include <exception>
#include <optional>

namespace lumora {

struct PocData {
    std::array<int, 8> pins{0, 1, 2, 3, 4, 5, 6, 7}; // 0 = A .. 7 = H
    int reverseMode = 0;                             // 0 direct, 1 reversed
    bool operator==(const PocData &) const = default;
};

// A file that could not be read or written; code() is the system error code.
class PocFileError : public std::exception {
public:
    explicit PocFileError(int code) : m_code(code) {}
    int code() const noexcept { return m_code; }
    const char *what() const noexcept override { return "pin-out file error"; }

private:
    int m_code;
};

// Larger files are not pin-out files; refusing them keeps a stray choice
// from eating memory.
constexpr qint64 kPocMaxFileSize = 8 * 1024 * 1024;

// Reads the pin-out of a file. nullopt when the data are missing or out of
// range (a name that does not exist reads as an empty file). Throws
// PocFileError when an existing file cannot be read.
std::optional<PocData> LoadPoc(const QString &path);

// Writes the pin-out into section "LMPOC", keeping every other section and
// key of an existing file; the old file stays whole when writing fails.
// Throws PocFileError.
void SavePoc(const QString &path, const PocData &data);

} // namespace lumora
