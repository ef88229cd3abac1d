#include "sheet/ufrmSelectPage.h"
#include "support/ScriptedRunner.h"
#include "ui/OkCancelFrame.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

TEST(SelectPage, LooksAsDesigned)
{
    TfrmSelectPage dialog;
    EXPECT_EQ(dialog.windowTitle(), "Select Page");
    EXPECT_EQ(dialog.size(), QSize(393, 97));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.SelectPageName_Label->text(), "Select Page");
    EXPECT_FALSE(dialog.SelectPageName_ComboBox->isEditable());
    EXPECT_EQ(dialog.SelectPageName_ComboBox->width(), 249);
    EXPECT_TRUE(dialog._frmOkCancel1->okButton()->isDefault());
}

TEST(SelectPage, PreselectsTheGivenPageAndReturnsTheChoice)
{
    const QStringList names{"Parts", "Pins", "Cases"};
    struct Case {
        const char *what;
        int before;
        int expectShown; // entry shown when the dialog opens
        int choose;      // -1: keep the shown entry
        bool escape;
        int expectResult;
        int expectAfter;
    } cases[] = {
        {"OK on another entry", 1, 1, 2, false, 1, 2},
        {"OK on the preselected entry", 2, 2, -1, false, 1, 2},
        {"Escape keeps the index", 1, 1, 0, true, 2, 1},
        {"index past the end preselects nothing in particular", 7, 0, -1, true, 2, 7},
        {"negative index", -1, 0, 1, false, 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SelectedPageIndex = c.before;
        int shown = -2;
        QStringList listed;
        ScriptedRunner script;
        script.thenDialog<TfrmSelectPage>([&](TfrmSelectPage &d) {
            QComboBox *combo = d.SelectPageName_ComboBox;
            shown = combo->currentIndex();
            for (int i = 0; i < combo->count(); ++i)
                listed << combo->itemText(i);
            if (c.choose >= 0)
                combo->setCurrentIndex(c.choose);
            QTest::keyClick(combo, c.escape ? Qt::Key_Escape : Qt::Key_Return);
        });
        EXPECT_EQ(ShowSelectPage(names), c.expectResult);
        EXPECT_EQ(shown, c.expectShown);
        EXPECT_EQ(listed, names);
        EXPECT_EQ(SelectedPageIndex, c.expectAfter);
    }
}

TEST(SelectPage, CancelButtonCloses)
{
    SelectedPageIndex = 0;
    ScriptedRunner script;
    script.thenDialog<TfrmSelectPage>([](TfrmSelectPage &d) {
        d.SelectPageName_ComboBox->setCurrentIndex(0);
        d._frmOkCancel1->cancelButton()->click();
    });
    EXPECT_EQ(ShowSelectPage({"Only"}), 2);
    EXPECT_EQ(SelectedPageIndex, 0);
}
