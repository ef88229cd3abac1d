#include "sheet/SheetGridModel.h"
#include "sheet/Workbook.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// Collects what the model tester complains about, so a broken contract
// fails the test with its message instead of aborting the program.
QStringList g_modelWarnings;
QtMessageHandler g_previousHandler = nullptr;
void collectModelWarnings(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (ctx.category && QByteArray(ctx.category) == "qt.modeltest" && type >= QtWarningMsg)
        g_modelWarnings << msg;
    else if (g_previousHandler)
        g_previousHandler(type, ctx, msg);
}

struct ModelWarningGuard {
    ModelWarningGuard()
    {
        g_modelWarnings.clear();
        g_previousHandler = qInstallMessageHandler(collectModelWarnings);
    }
    ~ModelWarningGuard() { qInstallMessageHandler(g_previousHandler); }
};

} // namespace

TEST(GridModel, KeepsTheItemModelContractThroughEdits)
{
    ModelWarningGuard guard;
    Workbook book;
    book.clearAll();
    SheetGridModel model(&book);
    // The tester walks every cell after each reset; at 65,536 x 256 that is
    // seconds, so the changes below cause one full walk only.
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(model.rowCount(), 0);
    Page &p = book.addPage("One"); // reset: none to the full sheet
    EXPECT_EQ(model.rowCount(), 65536);
    p.setCellText(0, 0, "head");
    p.setCellText(255, 65535, "far corner");
    p.setCellText(1, 1, "edited");
    p.setCellText(1, 1, QString());
    p.addMergedRange(QRect(0, 0, 2, 2));
    book.clearAll();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(g_modelWarnings.isEmpty()) << g_modelWarnings.join('\n').toStdString();
}

TEST(GridModel, ShowsTheWholeSheetWithLettersAndRowNumbers)
{
    Workbook book;
    SheetGridModel model(&book);
    EXPECT_EQ(model.rowCount(), 65536);
    EXPECT_EQ(model.columnCount(), 256);

    const struct {
        int col;
        const char *name;
    } cols[] = {{0, "A"}, {1, "B"}, {25, "Z"}, {26, "AA"}, {27, "AB"}, {51, "AZ"}, {52, "BA"}, {255, "IV"}};
    for (const auto &c : cols)
        EXPECT_EQ(model.headerData(c.col, Qt::Horizontal).toString(), QString(c.name)) << c.col;
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toString(), "1");
    EXPECT_EQ(model.headerData(65535, Qt::Vertical).toString(), "65536");
    EXPECT_FALSE(model.headerData(256, Qt::Horizontal).isValid());
}

TEST(GridModel, ShowsTextAndStyleOfEachCell)
{
    Workbook book;
    Page &p = book.page(0);
    p.setCellText(0, 0, "plain");
    p.setCellNumber(1, 0, 2.5, "2.5");
    CellStyle s;
    s.bold = true;
    s.italic = true;
    s.fontHeight = 280;
    s.fontColor = QColor(Qt::red);
    s.fillColor = QColor(Qt::yellow);
    s.hAlign = HAlign::Center;
    s.vAlign = VAlign::Top;
    p.setCellText(2, 3, "fancy");
    p.setCellStyle(2, 3, s);
    CellStyle fillOnly;
    fillOnly.fillColor = QColor(Qt::green);
    p.setCellStyle(4, 4, fillOnly); // styled but empty

    SheetGridModel model(&book);
    const QModelIndex plain = model.index(0, 0), num = model.index(0, 1), fancy = model.index(3, 2);
    EXPECT_EQ(plain.data().toString(), "plain");
    EXPECT_EQ(num.data().toString(), "2.5");
    EXPECT_EQ(model.index(7, 7).data().toString(), QString());

    EXPECT_EQ(plain.data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignLeft | Qt::AlignBottom);
    EXPECT_EQ(num.data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignRight | Qt::AlignBottom);
    EXPECT_EQ(fancy.data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignHCenter | Qt::AlignTop);

    EXPECT_FALSE(plain.data(Qt::FontRole).isValid()); // the grid's own font
    const QFont f = fancy.data(Qt::FontRole).value<QFont>();
    EXPECT_TRUE(f.bold());
    EXPECT_TRUE(f.italic());
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 14.0);
    EXPECT_EQ(fancy.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    EXPECT_EQ(fancy.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::yellow));
    EXPECT_EQ(model.index(4, 4).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::green));
    EXPECT_FALSE(model.index(4, 4).data(Qt::ForegroundRole).isValid());

    CellStyle wrapped;
    wrapped.wrap = true;
    p.setCellText(6, 6, "long text that wraps");
    p.setCellStyle(6, 6, wrapped);
    EXPECT_TRUE(model.index(6, 6).data(SheetGridModel::WrapRole).toBool());
    EXPECT_FALSE(fancy.data(SheetGridModel::WrapRole).toBool());
}

TEST(GridModel, FollowsTheActivePageAndReportsOnlyItsChanges)
{
    Workbook book;
    book.page(0).setCellText(0, 0, "first");
    book.addPage("Two").setCellText(0, 0, "second");
    SheetGridModel model(&book);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    book.page(1).setCellText(5, 5, "elsewhere");
    EXPECT_EQ(changed.count(), 0);
    book.page(0).setCellText(5, 6, "here");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.index(6, 5));

    book.setActivePageIndex(1);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.index(0, 0).data().toString(), "second");
    EXPECT_EQ(model.index(5, 5).data().toString(), "elsewhere");
}

TEST(GridModel, EditingACellWritesThePage)
{
    Workbook book;
    SheetGridModel model(&book);
    EXPECT_TRUE(model.flags(model.index(2, 3)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(model.index(2, 3), "typed\r\nline two"));
    EXPECT_EQ(book.page(0).cellText(3, 2), "typed\r\nline two");
    EXPECT_TRUE(model.setData(model.index(2, 3), QString()));
    EXPECT_EQ(book.page(0).rowCount(), 0);
}
