#include "sheet/SheetGridView.h"

#include "sheet/SheetGridModel.h"
#include "sheet/Workbook.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopedValueRollback>

namespace {

// Wraps the text of cells whose style asks for it; the others stay on one
// line, clipped at the cell edge.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(SheetGridModel::WrapRole).toBool())
            option->features |= QStyleOptionViewItem::WrapText;
    }
};

} // namespace

SheetGridView::SheetGridView(Workbook *book, QWidget *parent)
    : QTableView(parent), m_book(book), m_model(new SheetGridModel(book, this))
{
    setModel(m_model);
    setItemDelegate(new CellDelegate(this));

    // Look of a spreadsheet: thin light grid lines, a pale selection that
    // keeps cell colours readable, text clipped at the cell edge.
    setGridStyle(Qt::SolidLine);
    setShowGrid(true);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #d4d4d4; selection-background-color: #cce4f7;"
                                 " selection-color: black; }"
                                 "QHeaderView::section { background-color: #f3f3f3; color: #333333;"
                                 " border: none; border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0;"
                                 " padding: 0px 2px; }"));
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setCornerButtonEnabled(true);

    QFont base(QStringLiteral("Arial"));
    base.setPointSizeF(10);
    setFont(base);

    horizontalHeader()->setMinimumSectionSize(2);
    horizontalHeader()->setHighlightSections(true);
    horizontalHeader()->setSectionsClickable(true);
    verticalHeader()->setMinimumSectionSize(4);
    verticalHeader()->setHighlightSections(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // Wide enough for "65536" from the start, so the grid does not jump.
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("655360")) + 6);

    // The model is connected first, so it has reset before these run.
    connect(book, &Workbook::workbookReset, this, &SheetGridView::layoutPage);
    connect(book, &Workbook::activePageChanged, this, [this](int page) {
        layoutPage();
        emit selectionSet(page);
    });
    connect(book, &Workbook::activeCellChanged, this, &SheetGridView::onActiveCellChanged);
    connect(book, &Workbook::columnWidthChanged, this, &SheetGridView::onColumnWidthChanged);
    connect(book, &Workbook::rowHeightChanged, this, &SheetGridView::onRowHeightChanged);
    connect(book, &Workbook::pageChanged, this, &SheetGridView::onPageChanged);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int i, int, int size) { onSectionResized(Qt::Horizontal, i, size); });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int i, int, int size) { onSectionResized(Qt::Vertical, i, size); });

    layoutPage();
}

void SheetGridView::layoutPage()
{
    const QScopedValueRollback<bool> guard(m_syncing, true);
    clearSpans();
    QHeaderView *h = horizontalHeader();
    QHeaderView *v = verticalHeader();
    for (int c : std::as_const(m_sizedCols))
        if (c < h->count())
            h->resizeSection(c, h->defaultSectionSize());
    for (int r : std::as_const(m_sizedRows))
        if (r < v->count())
            v->resizeSection(r, v->defaultSectionSize());
    m_sizedCols.clear();
    m_sizedRows.clear();
    if (const Page *p = m_model->page()) {
        // Setting the default resizes every section, so only when it differs.
        if (h->defaultSectionSize() != p->defaultColumnWidth())
            h->setDefaultSectionSize(p->defaultColumnWidth());
        if (v->defaultSectionSize() != p->defaultRowHeight())
            v->setDefaultSectionSize(p->defaultRowHeight());
        for (auto it = p->columnWidths().cbegin(); it != p->columnWidths().cend(); ++it)
            if (it.key() >= 0 && it.key() < Page::MaxCols) {
                h->resizeSection(it.key(), it.value());
                m_sizedCols << it.key();
            }
        for (auto it = p->rowHeights().cbegin(); it != p->rowHeights().cend(); ++it)
            if (it.key() >= 0 && it.key() < Page::MaxRows) {
                v->resizeSection(it.key(), it.value());
                m_sizedRows << it.key();
            }
        applySpans();
        syncCurrentToPage();
    }
}

void SheetGridView::applySpans()
{
    clearSpans();
    const Page *p = m_model->page();
    if (!p)
        return;
    for (const QRect &r : p->mergedRanges()) {
        const QRect in = r.normalized() & QRect(0, 0, Page::MaxCols, Page::MaxRows);
        if (in.width() * qint64(in.height()) > 1)
            setSpan(in.top(), in.left(), in.height(), in.width());
    }
}

void SheetGridView::syncCurrentToPage()
{
    const Page *p = m_model->page();
    if (!p)
        return;
    const QPoint a = p->activeCell();
    const QModelIndex i = m_model->index(a.y(), a.x());
    if (currentIndex() != i)
        setCurrentIndex(i);
    scrollTo(i);
}

void SheetGridView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    Page *p = m_model->page();
    if (!p)
        return;
    {
        const QScopedValueRollback<bool> guard(m_syncing, true);
        p->setActiveCell(current.column(), current.row());
    }
    emit selectionSet(m_book->activePageIndex());
}

void SheetGridView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    // The active cell gets a frame, as in any spreadsheet; it lies inside the
    // cell so that repainting the cell when it moves on erases it.
    const QModelIndex cur = currentIndex();
    if (!cur.isValid())
        return;
    const QRect r = visualRect(cur).adjusted(0, 0, -1, -1);
    if (!r.isValid() || !r.intersects(event->rect()))
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(QColor(0x21, 0x73, 0x46), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(1, 1, 0, 0));
}

void SheetGridView::keyPressEvent(QKeyEvent *event)
{
    Page *p = m_model->page();
    if (event->key() != Qt::Key_Delete || event->modifiers() != Qt::NoModifier || state() == EditingState || !p) {
        QTableView::keyPressEvent(event);
        return;
    }
    // Only the stored area can hold text, so a whole-sheet selection stays cheap.
    const int rows = p->rowCount(), cols = p->columnCount();
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int r = range.top(); r <= std::min(range.bottom(), rows - 1); ++r)
            for (int c = range.left(); c <= std::min(range.right(), cols - 1); ++c)
                p->setCellText(c, r, QString());
    }
    event->accept();
}

void SheetGridView::onActiveCellChanged(int page, int col, int row)
{
    if (m_syncing || page != m_book->activePageIndex())
        return;
    const QScopedValueRollback<bool> guard(m_syncing, true);
    const QModelIndex i = m_model->index(row, col);
    setCurrentIndex(i);
    scrollTo(i);
}

void SheetGridView::onColumnWidthChanged(int page, int col)
{
    const Page *p = m_model->page();
    if (!p || page != m_book->activePageIndex() || col < 0 || col >= Page::MaxCols)
        return;
    const QScopedValueRollback<bool> guard(m_syncing, true);
    horizontalHeader()->resizeSection(col, p->columnWidth(col));
    m_sizedCols << col;
}

void SheetGridView::onRowHeightChanged(int page, int row)
{
    const Page *p = m_model->page();
    if (!p || page != m_book->activePageIndex() || row < 0 || row >= Page::MaxRows)
        return;
    const QScopedValueRollback<bool> guard(m_syncing, true);
    verticalHeader()->resizeSection(row, p->rowHeight(row));
    m_sizedRows << row;
}

void SheetGridView::onPageChanged(int page)
{
    if (page == m_book->activePageIndex())
        applySpans();
}

void SheetGridView::onSectionResized(Qt::Orientation o, int logicalIndex, int newSize)
{
    // A width or height the user drags is kept with the page (and saved).
    if (m_syncing)
        return;
    Page *p = m_model->page();
    if (!p)
        return;
    const QScopedValueRollback<bool> guard(m_syncing, true);
    if (o == Qt::Horizontal)
        p->setColumnWidth(logicalIndex, newSize);
    else
        p->setRowHeight(logicalIndex, newSize);
}
