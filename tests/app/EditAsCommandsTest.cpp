#include "app/ufrmMain.h"
#include "common/KException.h"
#include "sheet/SheetGridView.h"
#include "sheet/Workbook.h"
#include "sheet/ufrmEditAsBaseParam.h"
#include "sheet/ufrmEditAsParam.h"
#include "support/ScriptedRunner.h"
#include "ui/OkCancelFrame.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString kHeader = QStringLiteral("r|Resistance|Ohm|||F");
const QString kValue = QStringLiteral(" open drain | 25 C | mA ");

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> w;
    Fixture()
    {
        w = std::make_unique<TfrmMain>(dir.path());
        w->show();
        Page &p = page();
        p.setCellText(0, 0, "Name");
        p.setCellText(5, 0, kHeader);
        p.setCellText(5, 1, kValue);
        QApplication::processEvents();
    }
    Page &page() { return *w->workbook()->activePage(); }
    QString editor() const { return w->MainSpreadSheetBookMemo->toPlainText(); }
    void select(int col, int row)
    {
        SheetGridView *g = w->MainSpreadSheetBook;
        const QModelIndex i = g->model()->index(row, col);
        g->scrollTo(i);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(i).center());
    }
    // Triggers a context menu command as a person does: only when enabled.
    void command(const char *name)
    {
        auto *a = w->findChild<QAction *>(name);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }
};

void pressOk(QDialog &d) { d.findChild<T_frmOkCancel *>()->okButton()->click(); }

} // namespace

TEST(EditAsCommands, OkWritesTheCellAndTheEditor)
{
    Fixture f;
    ScriptedRunner script;

    f.select(5, 0);
    ASSERT_EQ(f.editor(), kHeader);
    script.thenDialog<TfrmEditAsBaseParam>([](TfrmEditAsBaseParam &d) {
        EXPECT_EQ(d.UPID_TextEdit->text(), "R");
        EXPECT_EQ(d.UnitPrefix_TextEdit->text(), "Ohm");
        d.SkipParam_CheckBox->click();
        pressOk(d);
    });
    f.command("pmiEditAsBaseParam");
    EXPECT_EQ(f.page().cellText(5, 0), "R|Resistance|Ohm|||F|||||SKIP");
    EXPECT_EQ(f.editor(), "R|Resistance|Ohm|||F|||||SKIP");

    f.select(5, 1);
    script.thenDialog<TfrmEditAsParam>([](TfrmEditAsParam &d) {
        EXPECT_EQ(d.Name_TextEdit->text(), "OPEN DRAIN");
        pressOk(d);
    });
    f.command("pmiEditAsParam");
    EXPECT_EQ(f.page().cellText(5, 1), "OPEN DRAIN|25 C|mA");
    EXPECT_EQ(f.editor(), "OPEN DRAIN|25 C|mA");

    // The cell is released: typing in the editor writes the cell again.
    QTest::keyClicks(f.w->MainSpreadSheetBookMemo, "X");
    EXPECT_EQ(f.page().cellText(5, 1), f.editor());
    EXPECT_TRUE(f.page().cellText(5, 1).contains(u'X'));
}

TEST(EditAsCommands, CancelAndEscapeLeaveTheCellAlone)
{
    Fixture f;
    ScriptedRunner script;
    f.select(5, 0);
    script.thenDialog<TfrmEditAsBaseParam>([](TfrmEditAsBaseParam &d) {
        d.Name_TextEdit->setText("changed");
        d.findChild<T_frmOkCancel *>()->cancelButton()->click();
    });
    f.command("pmiEditAsBaseParam");
    EXPECT_EQ(f.page().cellText(5, 0), kHeader);
    EXPECT_EQ(f.editor(), kHeader);

    f.select(5, 1);
    script.thenEscape();
    f.command("pmiEditAsParam");
    EXPECT_EQ(f.page().cellText(5, 1), kValue);
    EXPECT_EQ(f.editor(), kValue);
}

TEST(EditAsCommands, AFailingDialogIsReportedAndTheCellReleased)
{
    Fixture f;
    ScriptedRunner script;
    f.select(5, 1);
    script.then([](QDialog &d) {
        d.reject();
        throw KException("dialog broke", "EDialogError");
    });
    script.thenMessage(QMessageBox::Ok);
    f.command("pmiEditAsParam");
    EXPECT_EQ(script.seen().last(), "EDialogError|dialog broke");
    EXPECT_EQ(f.page().cellText(5, 1), kValue);

    QTest::keyClicks(f.w->MainSpreadSheetBookMemo, "Y");
    EXPECT_EQ(f.page().cellText(5, 1), f.editor());
    EXPECT_EQ(f.page().cellText(5, 1).size(), kValue.size() + 1);
}
