#pragma once
// The value notation of import sheets ("4.7", "+/-0.5", ">10", "1...5",
// "1;2;3") and the small text helpers that the header annotation, the
// imports and the column tools share.

#include <QString>
#include <QStringList>
#include <cstdint>

using TStringArray = QStringList;

// One parameter value of one element type while it is imported. Only the
// nine value fields (MinVal..MaxVal, UsageMinVal..UsageMaxVal,
// UsageSetNumVal..UsageValTypePrefix) are written by ParseParamValue.
struct TParamData {
    std::uint32_t UnitDBId = 0;
    std::uint32_t UnitId = 0;
    double MinVal = 0;
    double TypeVal = 0;
    double MaxVal = 0;
    bool BoolVal = false;
    bool UsageMinVal = false;
    bool UsageTypeVal = false;
    bool UsageMaxVal = false;
    bool UsageBoolVal = false;
    bool UsageSetNumVal = false;     // written as a ";" list
    bool UsageABSVal = false;        // carried "+/-"
    bool UsageValTypePrefix = false; // carried ">", "<" or "~"
    QString StrVal;
    QString TestCond;
    std::uint32_t Flag = 0;
};

// Splits at every exact occurrence of Sep; empty elements stay, nothing is
// trimmed, and the result has one element more than there are separators.
TStringArray SplitString(const QString &S, const QString &Sep);

// Removes blanks and control characters at both ends.
QString TrimText(const QString &S);

// Decimal integer (or hexadecimal with $, x or 0x) after optional leading
// blanks and a sign; anything else, out of the signed 32-bit range included,
// gives 0.
std::int32_t StrToIntDef0(const QString &S);

// False for "", "0", "нет", "no", "off" in any letter case; true otherwise.
bool TextToBool(const QString &S);

inline int BoolToInt(bool B) { return B ? 1 : 0; }

// The decimal separator of the user's regional settings (the default QLocale).
QString RegionalDecimalSeparator();

// Converts a number written with the given decimal separator: blanks around
// it, an optional sign, digits with at most one separator, an optional
// exponent. No group separators, no "inf"/"nan" words, nothing out of the
// range of a double.
bool TextToFloat(const QString &S, double &Value, const QString &DecimalSeparator);
// The same with the regional decimal separator.
bool TextToFloat(const QString &S, double &Value);

// One number token of the notation, with an optional leading "+/-" or "+".
// Writes Dest (0 on failure); a "+/-" sets Data.UsageABSVal and clears
// Data.UsageValTypePrefix. Never throws.
bool ParseNumber(const QString &Token, double &Dest, TParamData &Data);
bool ParseNumber(const QString &Token, double &Dest, TParamData &Data, const QString &DecimalSeparator);

// Reads a value in the notation into the nine value fields of Data.
// Returns false (never throws) when the text is not a value; the marks then
// say how far it was read.
bool ParseParamValue(const QString &Text, TParamData &Data);
bool ParseParamValue(const QString &Text, TParamData &Data, const QString &DecimalSeparator);
