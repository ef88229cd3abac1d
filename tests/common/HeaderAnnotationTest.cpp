#include "common/HeaderAnnotation.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

THeaderAnnotation header(QString upid, QString name, QString unit = {}, QString description = {}, int sel = 0,
                         int valType = vtNone, QString testCond = {}, bool noBP = false, bool noLToBP = false,
                         bool nominal = false, bool skip = false)
{
    THeaderAnnotation a;
    a.UPID = upid;
    a.Name = name;
    a.UnitPrefix = unit;
    a.Description = description;
    a.SelValueType = sel;
    a.ValType = valType;
    a.TestCond = testCond;
    a.NoBP = noBP;
    a.NoLToBP = noLToBP;
    a.UsageAsNominal = nominal;
    a.SkipParam = skip;
    return a;
}

} // namespace

// Found by gtest through the type's (global) namespace.
static void PrintTo(const THeaderAnnotation &a, std::ostream *os)
{
    *os << ComposeHeaderAnnotation(a).toStdString();
}

// The dialog and the import read the same cell differently; both readings
// are pinned here side by side.
TEST(HeaderAnnotation, EditAndImportReadings)
{
    const struct {
        const char *text;
        THeaderAnnotation edit;
        THeaderAnnotation import;
    } cases[] = {
        {"R|Resistance", header("R", "Resistance"), header("R", "Resistance")},
        {" r1 | Resistance | Ohm | Nominal value | 6 | F | 25 C | NOBASEPARAM | NOLINKTOBP | NOMINAL | SKIP ",
         header("R1", "Resistance", "Ohm", "Nominal value", 6, vtFloat, "25 C", true, true, true, true),
         // " 6 " has a trailing blank and " F" a leading one: the import reads neither
         header("R1", "Resistance", "OHM", "Nominal value", 0, vtNone, "25 C", true, true, true, true)},
        {"U|Voltage|V||14|S", header("U", "Voltage", "V", "", 14, vtString),
         header("U", "Voltage", "V", "", 14, vtString)},
        {"U|Voltage|mV||0|B", header("U", "Voltage", "mV", "", 0, vtBoolean),
         header("U", "Voltage", "MV", "", 0, vtBoolean)},
        {"U|V|||16|f", header("U", "V"), header("U", "V", "", "", 16)},
        {"U|V|||x|Float", header("U", "V"), header("U", "V", "", "", 0, vtFloat)},
        {"U|V|||-1|Bool", header("U", "V"), header("U", "V", "", "", 255, vtBoolean)},
        {"U|V|||300|String", header("U", "V"), header("U", "V", "", "", 44, vtString)},
        {"U|V|||$0E|S ", header("U", "V", "", "", 14, vtString), header("U", "V", "", "", 14, vtString)},
        {"U|V||||||nobaseparam|NoLinkToBP|nominal|skip", header("U", "V"), header("U", "V")},
        {"U|V||||||||NOMINAL", header("U", "V", "", "", 0, vtNone, "", false, false, true),
         header("U", "V", "", "", 0, vtNone, "", false, false, true)},
        {"U|V|||||||||SKIP|extra|NOMINAL", header("U", "V", "", "", 0, vtNone, "", false, false, false, true),
         header("U", "V", "", "", 0, vtNone, "", false, false, false, true)},
        {"U|V|||||||||NOMINAL", header("U", "V"), header("U", "V")}, // flag in the wrong field
        {"A|", header("A", ""), header("A", "")},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(IsHeaderAnnotated(text));
        EXPECT_EQ(ReadHeaderAnnotationForEdit(text), c.edit);
        THeaderAnnotation imported = header("stale", "stale");
        ASSERT_TRUE(ReadHeaderAnnotationForImport(text, imported));
        EXPECT_EQ(imported, c.import);
    }
}

TEST(HeaderAnnotation, TextsWithoutUpidAndNameAreNotAnnotations)
{
    for (const char *text : {"", "   ", "Resistance", " \t "}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(IsHeaderAnnotated(QString::fromUtf8(text)));
        THeaderAnnotation untouched = header("KEEP", "me");
        EXPECT_FALSE(ReadHeaderAnnotationForImport(QString::fromUtf8(text), untouched));
        EXPECT_EQ(untouched, header("KEEP", "me"));
    }
}

TEST(HeaderAnnotation, ComposedTextHasElevenFields)
{
    const struct {
        THeaderAnnotation a;
        const char *text;
    } cases[] = {
        {header("R", "Resistance"), "R|Resistance|||||||||"},
        {header("R", "Resistance", "Ohm"), "R|Resistance|Ohm||||||||"},
        {header("R", "Res", "Ohm", "d", 14, vtFloat, "25 C", true, true, true, true),
         "R|Res|Ohm|d|14|F|25 C|NOBASEPARAM|NOLINKTOBP|NOMINAL|SKIP"},
        {header("R", "Res", "", "", 0, vtBoolean, "", false, true), "R|Res||||B|||NOLINKTOBP||"},
        // texts as they stand, blanks included
        {header(" r ", " n "), " r | n |||||||||"},
    };
    for (const auto &c : cases) {
        const QString composed = ComposeHeaderAnnotation(c.a);
        EXPECT_EQ(composed, QString::fromUtf8(c.text));
        EXPECT_EQ(composed.count(u'|'), HeaderFieldCount - 1);
    }
    // What the dialog writes, both readings take back unchanged.
    const THeaderAnnotation full = header("R", "Res", "OHM", "d", 9, vtString, "25 C", true, false, true, false);
    EXPECT_EQ(ReadHeaderAnnotationForEdit(ComposeHeaderAnnotation(full)), full);
    THeaderAnnotation imported;
    ASSERT_TRUE(ReadHeaderAnnotationForImport(ComposeHeaderAnnotation(full), imported));
    EXPECT_EQ(imported, full);
}

TEST(ParamCellText, EditAndImportReadings)
{
    const struct {
        const char *text;
        TParamCellText edit;
        TParamCellText import;
    } cases[] = {
        {"4.7", {"4.7", "", "", 1}, {"4.7", "", "", 1}},
        {"4.7||", {"4.7", "", "", 3}, {"4.7", "", "", 3}},
        {" open drain | 25 C | mA ", {"OPEN DRAIN", "25 C", "mA", 3}, {"open drain ", " 25 C ", " MA", 3}},
        {"|25 C", {"", "25 C", "", 2}, {"", "25 C", "", 2}},
        {"1;2;3|Vcc=5V|v|extra|more", {"1;2;3", "Vcc=5V", "v", 5}, {"1;2;3", "Vcc=5V", "V", 5}},
        {"", {"", "", "", 1}, {"", "", "", 1}},
        {"  ", {"", "", "", 1}, {"", "", "", 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const TParamCellText edit = ReadParamCellForEdit(text);
        const TParamCellText import = ReadParamCellForImport(text);
        EXPECT_EQ(edit.Value, c.edit.Value);
        EXPECT_EQ(edit.TestCond, c.edit.TestCond);
        EXPECT_EQ(edit.Unit, c.edit.Unit);
        EXPECT_EQ(edit.FieldCount, c.edit.FieldCount);
        EXPECT_EQ(import.Value, c.import.Value);
        EXPECT_EQ(import.TestCond, c.import.TestCond);
        EXPECT_EQ(import.Unit, c.import.Unit);
        EXPECT_EQ(import.FieldCount, c.import.FieldCount);
    }
    EXPECT_EQ(ComposeParamCellText("4.7", "", ""), "4.7||");
    EXPECT_EQ(ComposeParamCellText("OPEN DRAIN", "25 C", "mA"), "OPEN DRAIN|25 C|mA");
}

TEST(HeaderAnnotation, ListsMatchTheirNumbers)
{
    ASSERT_EQ(SelValueTypeNames().size(), MaxSelValueType + 1);
    EXPECT_EQ(SelValueTypeNames()[0], "");
    EXPECT_EQ(SelValueTypeNames()[14], "Value showing precision");
    EXPECT_EQ(SelValueTypeNames()[15], "Boolean from type");
    EXPECT_EQ(ValTypeNames(), QStringList({"", "Float", "String", "Boolean"}));
    EXPECT_EQ(ValTypeLetter(vtFloat) + ValTypeLetter(vtString) + ValTypeLetter(vtBoolean) + ValTypeLetter(vtNone),
              "FSB");
}
