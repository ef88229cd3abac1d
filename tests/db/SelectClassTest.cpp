#include "db/CatalogueSession.h"
#include "db/ufrmSelectClass.h"
#include "support/ScriptedRunner.h"
#include "support/TestCatalogue.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

QPoint rowCentre(TfrmSelectClass &d, const QString &name)
{
    const auto items = d.ClassList_ListView->findItems(name, Qt::MatchExactly, 0);
    if (items.isEmpty()) {
        ADD_FAILURE() << "no row " << name.toStdString();
        return {};
    }
    return d.ClassList_ListView->visualItemRect(items.first()).center();
}

QPoint emptySpace(TfrmSelectClass &d)
{
    QWidget *vp = d.ClassList_ListView->viewport();
    return QPoint(vp->width() / 2, vp->height() - 3);
}

void click(TfrmSelectClass &d, QPoint at) { QTest::mouseClick(d.ClassList_ListView->viewport(), Qt::LeftButton, {}, at); }

// As a mouse delivers it: the first click, then the double-click event.
void doubleClick(TfrmSelectClass &d, QPoint at)
{
    click(d, at);
    QTest::mouseDClick(d.ClassList_ListView->viewport(), Qt::LeftButton, {}, at);
}

struct Result {
    int code;
    std::uint32_t dbid, id;
    QString name;
    bool operator==(const Result &) const = default;
};
void PrintTo(const Result &r, std::ostream *os)
{
    *os << r.code << " [" << r.dbid << ":" << r.id << "] \"" << r.name.toStdString() << "\"";
}

class SelectClassTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(session.ConnectDB("SYSDBA", testdb::makeCatalogue(dir.path(), "demo.fdb", true)));
    }
    Result show()
    {
        const int code = ShowSelectClass(session);
        EXPECT_FALSE(session.MainIBTransaction.inTransaction());
        return {code, SelectedClassDBId, SelectedClassId, SelectedClassName};
    }
    QTemporaryDir dir;
    CatalogueSession session;
    ScriptedRunner script;
};

} // namespace

TEST_F(SelectClassTest, ListsEveryClassAndClickThenOkChoosesIt)
{
    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
        EXPECT_EQ(d.windowTitle(), "Select Class");
        ASSERT_EQ(d.ClassList_ListView->topLevelItemCount(), 5);
        EXPECT_EQ(d.ClassList_ListView->topLevelItem(1)->text(1), "Ceramic and electrolytic capacitors");
        EXPECT_EQ(d.ClassList_ListView->topLevelItem(4)->text(1), ""); // NULL description
        click(d, rowCentre(d, "Capacitors"));
        d.OkBtn->click();
    });
    EXPECT_EQ(show(), (Result{1, 1, 2, "Capacitors"}));
}

TEST_F(SelectClassTest, KeyboardMovesTheResultAndEnterAccepts)
{
    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
        click(d, rowCentre(d, "Resistors"));
        QTest::keyClick(d.ClassList_ListView, Qt::Key_Down);
        QTest::keyClick(d.ClassList_ListView, Qt::Key_Down);
        QTest::keyClick(d.ClassList_ListView, Qt::Key_Return);
    });
    EXPECT_EQ(show(), (Result{1, 1, 3, "Diodes"}));
}

TEST_F(SelectClassTest, DoubleClickAcceptsOnlyWithAnEntryTouched)
{
    // Empty space, nothing touched: stays open; Escape then cancels.
    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
        doubleClick(d, emptySpace(d));
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(d.ClassList_ListView, Qt::Key_Escape);
    });
    EXPECT_EQ(show(), (Result{2, 0, 0, ""}));

    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
        doubleClick(d, rowCentre(d, "Microcontrollers"));
    });
    EXPECT_EQ(show(), (Result{1, 1, 4, "Microcontrollers"}));
}

TEST_F(SelectClassTest, ClickIntoEmptySpaceKeepsTheEntryAndEnterOnCancelStillAccepts)
{
    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
        click(d, rowCentre(d, "Operational amplifiers"));
        click(d, emptySpace(d));
        d.CancelBtn->setFocus();
        QTest::keyClick(d.CancelBtn, Qt::Key_Return);
    });
    EXPECT_EQ(show(), (Result{1, 1, 5, "Operational amplifiers"}));

    // Escape on the OK button cancels; the result is what was touched.
    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
        click(d, rowCentre(d, "Resistors"));
        QTest::keyClick(d.OkBtn, Qt::Key_Escape);
    });
    EXPECT_EQ(show(), (Result{2, 1, 1, "Resistors"}));
}

TEST_F(SelectClassTest, EmptyListWhenNotConnectedOrNoClasses)
{
    auto expectEmptyThenOk = [this] {
        script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
            EXPECT_EQ(d.ClassList_ListView->topLevelItemCount(), 0);
            QTest::keyClick(d.ClassList_ListView, Qt::Key_Enter);
        });
        EXPECT_EQ(show(), (Result{1, 0, 0, ""}));
    };
    ASSERT_TRUE(session.DisconnectDB());
    expectEmptyThenOk();
    ASSERT_TRUE(session.ConnectDB("SYSDBA", testdb::makeCatalogue(dir.path(), "empty.fdb")));
    expectEmptyThenOk();
}

TEST_F(SelectClassTest, LoadErrorIsShownAndTheRowsReadBeforeItStay)
{
    ASSERT_TRUE(session.DisconnectDB());
    // A T_CLASS whose key holds text: the second row cannot be read.
    const QString broken = testdb::makeCatalogue(
        dir.path(), "broken.fdb", false,
        {"ALTER TABLE T_BASE_PARAM DROP CONSTRAINT FK_T_BASE_PARAM_CLASS",
         "DROP TRIGGER T_ELEMENT_TYPE_CLASS", "DROP TRIGGER T_CLASS_IN_USE", "DROP TABLE T_CLASS",
         "CREATE TABLE T_CLASS (DBID VARCHAR(10), ID INTEGER, S_NAME VARCHAR(50), S_DESCRIPTION VARCHAR(50))",
         "INSERT INTO T_CLASS VALUES ('1', 1, 'First', NULL)", "INSERT INTO T_CLASS VALUES ('x', 2, 'Second', NULL)",
         "INSERT INTO T_CLASS VALUES ('1', 3, 'Third', NULL)"});
    ASSERT_TRUE(session.ConnectDB("SYSDBA", broken));
    script.thenMessage(QMessageBox::Ok);
    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
        ASSERT_EQ(d.ClassList_ListView->topLevelItemCount(), 1);
        EXPECT_EQ(d.ClassList_ListView->topLevelItem(0)->text(0), "First");
        d.CancelBtn->click();
    });
    EXPECT_EQ(show().code, 2);
    ASSERT_EQ(script.seen().size(), 2);
    EXPECT_EQ(script.seen()[0], "DatabaseError|'x' is not a valid integer value (field DBID)");
}
