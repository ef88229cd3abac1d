#include "common/HeaderAnnotation.h"
#include "sheet/ufrmEditAsBaseParam.h"
#include "sheet/ufrmEditAsParam.h"
#include "support/ScriptedRunner.h"
#include "ui/OkCancelFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

void pressOk(QDialog &d) { d.findChild<T_frmOkCancel *>()->okButton()->click(); }

QStringList labelTexts(QDialog &d)
{
    QStringList texts;
    for (QLabel *l : d.findChildren<QLabel *>())
        texts << l->text();
    return texts;
}

} // namespace

TEST(EditAsBaseParam, FillsTheBoxesFromTheCellAndComposesElevenFields)
{
    const QString longName(300, u'n');
    const struct {
        QString cell;
        int selIndex, valIndex;
        QString composed;
    } cases[] = {
        {"R|Resistance", -1, -1, "R|Resistance|||||||||"},
        {" r1 | Resistance | Ohm | Nominal value | 6 | F | 25 C | NOBASEPARAM | NOLINKTOBP | NOMINAL | SKIP ", 6, 1,
         "R1|Resistance|Ohm|Nominal value|6|F|25 C|NOBASEPARAM|NOLINKTOBP|NOMINAL|SKIP"},
        {"U|V|||0|f", -1, -1, "U|V|||||||||"},
        {"U|V||| 16 |Float", -1, -1, "U|V|||||||||"},
        {"U|V|||x|B", -1, 3, "U|V||||B|||||"},
        {"U|V||| 15 | F", 15, 1, "U|V|||15|F|||||"},
        {"U|V|mV||1|S", 1, 2, "U|V|mV||1|S|||||"},
        {"U|V||||||nobaseparam|nolinktobp|nominal|skip", -1, -1, "U|V|||||||||"},
        {"A|B|C|D|14|S|T|NOBASEPARAM|x|NOMINAL|SKIP|extra|NOMINAL", 14, 2, "A|B|C|D|14|S|T|NOBASEPARAM||NOMINAL|SKIP"},
        {"", -1, -1, "||||||||||"},
        // longer than the box's typing limit: kept whole, not cut
        {"LONGNAME|" + longName, -1, -1, "LONGNAME|" + longName + "|||||||||"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cell.left(60).toStdString());
        ScriptedRunner script;
        script.thenDialog<TfrmEditAsBaseParam>([&](TfrmEditAsBaseParam &d) {
            EXPECT_EQ(d.SelValueType_ComboBox->currentIndex(), c.selIndex);
            EXPECT_EQ(d.ValType_ComboBox->currentIndex(), c.valIndex);
            pressOk(d);
        });
        EditAsBaseParamResult.clear();
        EXPECT_EQ(ShowEditAsBaseParam(c.cell), QDialog::Accepted);
        EXPECT_EQ(EditAsBaseParamResult, c.composed);
        EXPECT_EQ(EditAsBaseParamResult.count(u'|'), HeaderFieldCount - 1);
    }
}

TEST(EditAsBaseParam, TypingIsUpperCasedAndLimited)
{
    ScriptedRunner script;
    script.thenDialog<TfrmEditAsBaseParam>([](TfrmEditAsBaseParam &d) {
        EXPECT_EQ(d.UPID_TextEdit->text(), "R");
        d.UPID_TextEdit->clear();
        QTest::keyClicks(d.UPID_TextEdit, "vcc_max_supply_voltage");
        EXPECT_EQ(d.UPID_TextEdit->text(), "VCC_MAX_SUPPLY_V");
        const QString tooLong(300, u'x');
        QTest::keyClicks(d.Name_TextEdit, tooLong);
        EXPECT_EQ(d.Name_TextEdit->text().size(), 256);
        QTest::keyClicks(d.UnitPrefix_TextEdit, tooLong);
        EXPECT_EQ(d.UnitPrefix_TextEdit->text(), QString(128, u'x')); // not upper-cased
        QTest::keyClicks(d.Description_TextEdit, tooLong);
        EXPECT_EQ(d.Description_TextEdit->text().size(), 256);
        QTest::keyClicks(d.TestCond_TextEdit, "Ta=25 C");
        d.SelValueType_ComboBox->setCurrentIndex(0); // the empty entry writes nothing
        d.ValType_ComboBox->setCurrentIndex(3);
        QTest::keyClick(d.NoLToBP_CheckBox, Qt::Key_Space);
        d.SkipParam_CheckBox->click();
        pressOk(d);
    });
    ASSERT_EQ(ShowEditAsBaseParam("r|"), QDialog::Accepted);
    EXPECT_EQ(EditAsBaseParamResult, "VCC_MAX_SUPPLY_V|" + QString(256, u'x') + "|" + QString(128, u'x') + "|"
                                         + QString(256, u'x') + "||B|Ta=25 C||NOLINKTOBP||SKIP");
}

TEST(EditAsBaseParam, EscapeInAnyControlOrCancelLeavesTheLastResult)
{
    const char *controls[] = {"UPID_TextEdit",     "Name_TextEdit",       "UnitPrefix_TextEdit",
                              "Description_TextEdit", "SelValueType_ComboBox", "ValType_ComboBox",
                              "TestCond_TextEdit", "NoBP_CheckBox",        "NoLToBP_CheckBox",
                              "UsageAsNominal_CheckBox", "SkipParam_CheckBox", "OK_Button",
                              "Cancel_Button"};
    for (const char *name : controls) {
        SCOPED_TRACE(name);
        EditAsBaseParamResult = "previous";
        ScriptedRunner script;
        script.thenDialog<TfrmEditAsBaseParam>([name](TfrmEditAsBaseParam &d) {
            d.Name_TextEdit->setText("changed");
            QWidget *w = d.findChild<QWidget *>(QString::fromLatin1(name));
            ASSERT_NE(w, nullptr);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        EXPECT_EQ(ShowEditAsBaseParam("R|Res"), QDialog::Rejected);
        EXPECT_EQ(EditAsBaseParamResult, "previous");
    }
    ScriptedRunner script;
    script.thenDialog<TfrmEditAsBaseParam>(
        [](TfrmEditAsBaseParam &d) { d.findChild<T_frmOkCancel *>()->cancelButton()->click(); });
    EXPECT_EQ(ShowEditAsBaseParam("R|Res"), QDialog::Rejected);
    EXPECT_EQ(EditAsBaseParamResult, "previous");
}

TEST(EditAsBaseParam, EnterInABoxConfirms)
{
    ScriptedRunner script;
    script.thenDialog<TfrmEditAsBaseParam>([](TfrmEditAsBaseParam &d) {
        d.Name_TextEdit->setFocus();
        QTest::keyClick(d.Name_TextEdit, Qt::Key_Return);
    });
    EXPECT_EQ(ShowEditAsBaseParam("R|Res"), QDialog::Accepted);
    EXPECT_EQ(EditAsBaseParamResult, "R|Res|||||||||");
}

TEST(EditAsBaseParam, CaptionLabelsAndLists)
{
    TfrmEditAsBaseParam d;
    EXPECT_EQ(d.windowTitle(), "Edit As Base Param");
    EXPECT_EQ(labelTexts(d), QStringList({"UPID", "Name", "Unit Prefix", "Description", "Select Value Type",
                                           "Value Type", "Test Conditions"}));
    EXPECT_EQ(d.NoBP_CheckBox->text() + "/" + d.NoLToBP_CheckBox->text() + "/" + d.UsageAsNominal_CheckBox->text()
                  + "/" + d.SkipParam_CheckBox->text(),
              "No BaseParam Create/No Link to BaseParam/Usage as Nominal/Skip Param");
    QStringList sel, val;
    for (int i = 0; i < d.SelValueType_ComboBox->count(); ++i)
        sel << d.SelValueType_ComboBox->itemText(i);
    for (int i = 0; i < d.ValType_ComboBox->count(); ++i)
        val << d.ValType_ComboBox->itemText(i);
    EXPECT_EQ(sel.size(), 16);
    EXPECT_EQ(sel.mid(1, 3), QStringList({"Min value only", "Type value only", "Max value only"}));
    EXPECT_EQ(sel.last(), "Boolean from type");
    EXPECT_EQ(val, QStringList({"", "Float", "String", "Boolean"}));
    // A fresh dialog starts empty.
    EXPECT_EQ(d.SelValueType_ComboBox->currentIndex(), -1);
    EXPECT_EQ(d.ValType_ComboBox->currentIndex(), -1);
    EXPECT_EQ(d.ComposeText(), "||||||||||");
}

TEST(EditAsParam, FillsUpperCaseValueAndComposesThreeFields)
{
    const struct {
        QString cell;
        QString value;
        QString composed;
    } cases[] = {
        {" open drain | 25 C | mA ", "OPEN DRAIN", "OPEN DRAIN|25 C|mA"},
        {"4.7", "4.7", "4.7||"},
        {"1e-3|Vcc=5 V", "1E-3", "1E-3|Vcc=5 V|"},
        {"a|b|c|d|e", "A", "A|b|c"},
        {"", "", "||"},
        {"|25 C", "", "|25 C|"},
        {QString(300, u'v'), QString(300, u'V'), QString(300, u'V') + "||"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cell.left(60).toStdString());
        ScriptedRunner script;
        script.thenDialog<TfrmEditAsParam>([&](TfrmEditAsParam &d) {
            EXPECT_EQ(d.Name_TextEdit->text(), c.value);
            pressOk(d);
        });
        EditAsParamResult.clear();
        EXPECT_EQ(ShowEditAsParam(c.cell), QDialog::Accepted);
        EXPECT_EQ(EditAsParamResult, c.composed);
    }
}

TEST(EditAsParam, TypingLimitsLabelsAndEscape)
{
    {
        ScriptedRunner script;
        script.thenDialog<TfrmEditAsParam>([](TfrmEditAsParam &d) {
            EXPECT_EQ(d.windowTitle(), "Edit As Param");
            EXPECT_EQ(labelTexts(d), QStringList({"Value", "Test Conditions", "Unit Prefix"}));
            const QString tooLong(300, u'x');
            QTest::keyClicks(d.Name_TextEdit, tooLong);
            QTest::keyClicks(d.TestCond_TextEdit, tooLong);
            QTest::keyClicks(d.UnitPrefix_TextEdit, tooLong);
            pressOk(d);
        });
        ASSERT_EQ(ShowEditAsParam(""), QDialog::Accepted);
        EXPECT_EQ(EditAsParamResult, QString(256, u'x') + "|" + QString(256, u'x') + "|" + QString(128, u'x'));
    }
    for (const char *name :
         {"Name_TextEdit", "TestCond_TextEdit", "UnitPrefix_TextEdit", "OK_Button", "Cancel_Button"}) {
        SCOPED_TRACE(name);
        EditAsParamResult = "previous";
        ScriptedRunner script;
        script.thenDialog<TfrmEditAsParam>([name](TfrmEditAsParam &d) {
            d.Name_TextEdit->setText("changed");
            QTest::keyClick(d.findChild<QWidget *>(QString::fromLatin1(name)), Qt::Key_Escape);
        });
        EXPECT_EQ(ShowEditAsParam("4.7"), QDialog::Rejected);
        EXPECT_EQ(EditAsParamResult, "previous");
    }
}
