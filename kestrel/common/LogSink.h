#pragma once
#include <QString>
#include <cstdint>

// Kinds of operation log entries; only the low 8 bits of a code count, and
// codes 0 and 7..255 are plain entries.
enum LogEntryKind : std::uint8_t {
    lekNone = 0,
    lekError = 1,
    lekAttention = 2,
    lekWarning = 3,
    lekReport = 4,
    lekOk = 5,
    lekInfo = 6,
};

// Where imports and checks report their decisions; the main window's log
// implements it.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void AddLog(int kind, int position, const QString &text) = 0;
};
