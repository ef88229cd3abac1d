#pragma once
// The two "|"-separated texts of an import sheet's parameter columns: the
// header annotation of row 0 ("UPID|name|unit|description|selvaltype|
// valtype|testcond|NOBASEPARAM|NOLINKTOBP|NOMINAL|SKIP") and the parameter
// cell text of the data rows ("value|testcond|unit"). Splitting and reading
// them lives here only. The edit dialogs and the import read a few fields
// differently, and existing sheets depend on both readings, so each has its
// own function.

#include "common/ParamData.h"

#include <QString>
#include <QStringList>

// Columns 0..4 of an import sheet are fixed; parameters start here.
constexpr int FirstParamColumn = 5;

constexpr int HeaderFieldCount = 11;
constexpr int ParamCellFieldCount = 3;

// Select value types by their stored number; entry 0 is the empty "none".
const QStringList &SelValueTypeNames();
constexpr int MaxSelValueType = 15;

// Value types: 0 none, 1 "F" Float, 2 "S" String, 3 "B" Boolean.
enum TValType : int { vtNone = 0, vtFloat = 1, vtString = 2, vtBoolean = 3 };
// Entries of the value type box by number; entry 0 is empty.
const QStringList &ValTypeNames();
// "F", "S", "B" for 1..3; empty otherwise.
QString ValTypeLetter(int valType);

// The fields of a cell text split at "|", counted from 1. A missing field
// reads as empty; a "|" inside a field always starts the next one.
class TCellFields {
public:
    explicit TCellFields(const QString &text);
    int count() const { return int(m_fields.size()); }
    bool has(int n) const { return n >= 1 && n <= count(); }
    QString raw(int n) const { return has(n) ? m_fields[n - 1] : QString(); }
    QString trimmed(int n) const { return TrimText(raw(n)); }

private:
    TStringArray m_fields;
};

struct THeaderAnnotation {
    QString UPID;
    QString Name;
    QString UnitPrefix;
    QString Description;
    int SelValueType = 0; // 0 when none
    int ValType = vtNone;
    QString TestCond;
    bool NoBP = false;           // "NOBASEPARAM"
    bool NoLToBP = false;        // "NOLINKTOBP"
    bool UsageAsNominal = false; // "NOMINAL"
    bool SkipParam = false;      // "SKIP"

    bool operator==(const THeaderAnnotation &) const = default;
};

// A header cell names a parameter column when it has at least UPID and name.
bool IsHeaderAnnotated(const QString &cellText);

// The edit dialog's reading: every field trimmed; UPID upper case, unit as
// written; the select value type only when it is 1..15; the value type and
// the flags only when they are exactly the upper-case words. Fields after
// the eleventh are ignored.
THeaderAnnotation ReadHeaderAnnotationForEdit(const QString &cellText);

// The import's reading of a header cell. The cell text is trimmed as a
// whole; false when it is not annotated. UPID and unit upper case, texts
// trimmed; the select value type is StrToIntDef0 of the untrimmed field kept
// in 8 bits ("5 " reads as 0); the value type is the first character of the
// untrimmed field (" F" reads as none, "Float" as F); flags trimmed, exact.
bool ReadHeaderAnnotationForImport(const QString &cellText, THeaderAnnotation &annotation);

// Eleven fields, ten separators; texts as they stand.
QString ComposeHeaderAnnotation(const THeaderAnnotation &annotation);

struct TParamCellText {
    QString Value;
    QString TestCond;
    QString Unit;
    int FieldCount = 1; // fields present in the cell text

    bool operator==(const TParamCellText &) const = default;
};

// The edit dialog's reading: fields trimmed, the value upper case; fields
// after the third are ignored.
TParamCellText ReadParamCellForEdit(const QString &cellText);

// The import's reading: the cell text trimmed as a whole, the fields not
// trimmed, the unit upper case.
TParamCellText ReadParamCellForImport(const QString &cellText);

// "value|testcond|unit".
QString ComposeParamCellText(const QString &value, const QString &testCond, const QString &unit);
