#include "common/HeaderAnnotation.h"

static const QString kSep = QStringLiteral("|");

const QStringList &SelValueTypeNames()
{
    static const QStringList names = {
        QString(),
        QStringLiteral("Min value only"),
        QStringLiteral("Type value only"),
        QStringLiteral("Max value only"),
        QStringLiteral("Text value only"),
        QStringLiteral("Boolean value only"),
        QStringLiteral("Average of max and min values"),
        QStringLiteral("Average of any numerical values"),
        QStringLiteral("Range of max and min values"),
        QStringLiteral("Range of any numerical values"),
        QStringLiteral("First numeric value with min"),
        QStringLiteral("First numeric value with type"),
        QStringLiteral("First numeric value with max"),
        QStringLiteral("Set of numeric values"),
        QStringLiteral("Value showing precision"),
        QStringLiteral("Boolean from type"),
    };
    return names;
}

const QStringList &ValTypeNames()
{
    static const QStringList names = {QString(), QStringLiteral("Float"), QStringLiteral("String"),
                                      QStringLiteral("Boolean")};
    return names;
}

QString ValTypeLetter(int valType)
{
    switch (valType) {
    case vtFloat:
        return QStringLiteral("F");
    case vtString:
        return QStringLiteral("S");
    case vtBoolean:
        return QStringLiteral("B");
    default:
        return QString();
    }
}

static int valTypeOfLetter(QStringView letter)
{
    if (letter == u"F")
        return vtFloat;
    if (letter == u"S")
        return vtString;
    if (letter == u"B")
        return vtBoolean;
    return vtNone;
}

TCellFields::TCellFields(const QString &text)
    : m_fields(SplitString(text, kSep))
{
}

bool IsHeaderAnnotated(const QString &cellText) { return TCellFields(TrimText(cellText)).count() >= 2; }

// Fields 8..11 are flags; each is a fixed upper-case word.
static void readFlags(const TCellFields &f, THeaderAnnotation &a)
{
    a.NoBP = f.trimmed(8) == u"NOBASEPARAM";
    a.NoLToBP = f.trimmed(9) == u"NOLINKTOBP";
    a.UsageAsNominal = f.trimmed(10) == u"NOMINAL";
    a.SkipParam = f.trimmed(11) == u"SKIP";
}

THeaderAnnotation ReadHeaderAnnotationForEdit(const QString &cellText)
{
    const TCellFields f(cellText);
    THeaderAnnotation a;
    a.UPID = f.trimmed(1).toUpper();
    a.Name = f.trimmed(2);
    a.UnitPrefix = f.trimmed(3);
    a.Description = f.trimmed(4);
    const int sel = StrToIntDef0(f.trimmed(5));
    a.SelValueType = sel >= 1 && sel <= MaxSelValueType ? sel : 0;
    a.ValType = valTypeOfLetter(f.trimmed(6));
    a.TestCond = f.trimmed(7);
    readFlags(f, a);
    return a;
}

bool ReadHeaderAnnotationForImport(const QString &cellText, THeaderAnnotation &annotation)
{
    const TCellFields f(TrimText(cellText));
    if (f.count() < 2)
        return false;
    THeaderAnnotation a;
    a.UPID = f.trimmed(1).toUpper();
    a.Name = f.trimmed(2);
    a.UnitPrefix = f.trimmed(3).toUpper();
    a.Description = f.trimmed(4);
    a.SelValueType = StrToIntDef0(f.raw(5)) & 0xFF;
    a.ValType = valTypeOfLetter(QStringView(f.raw(6)).left(1));
    a.TestCond = f.trimmed(7);
    readFlags(f, a);
    annotation = a;
    return true;
}

QString ComposeHeaderAnnotation(const THeaderAnnotation &a)
{
    QString s;
    s += a.UPID + kSep + a.Name + kSep + a.UnitPrefix + kSep + a.Description + kSep;
    if (a.SelValueType >= 1)
        s += QString::number(a.SelValueType);
    s += kSep;
    s += ValTypeLetter(a.ValType) + kSep;
    s += a.TestCond + kSep;
    s += (a.NoBP ? QStringLiteral("NOBASEPARAM") : QString()) + kSep;
    s += (a.NoLToBP ? QStringLiteral("NOLINKTOBP") : QString()) + kSep;
    s += (a.UsageAsNominal ? QStringLiteral("NOMINAL") : QString()) + kSep;
    if (a.SkipParam)
        s += QStringLiteral("SKIP");
    return s;
}

TParamCellText ReadParamCellForEdit(const QString &cellText)
{
    const TCellFields f(cellText);
    TParamCellText c;
    c.Value = f.trimmed(1).toUpper();
    c.TestCond = f.trimmed(2);
    c.Unit = f.trimmed(3);
    c.FieldCount = f.count();
    return c;
}

TParamCellText ReadParamCellForImport(const QString &cellText)
{
    const TCellFields f(TrimText(cellText));
    TParamCellText c;
    c.Value = f.raw(1);
    c.TestCond = f.raw(2);
    c.Unit = f.raw(3).toUpper();
    c.FieldCount = f.count();
    return c;
}

QString ComposeParamCellText(const QString &value, const QString &testCond, const QString &unit)
{
    return value + kSep + testCond + kSep + unit;
}
