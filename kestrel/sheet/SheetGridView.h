#pragma once
// The spreadsheet grid: a table view over SheetGridModel that lays out the
// active page (column widths, row heights, merged ranges) and keeps the
// page's active cell and the view's current cell in step.

#include <QSet>
#include <QTableView>

class Workbook;
class SheetGridModel;

class SheetGridView : public QTableView {
    Q_OBJECT
public:
    explicit SheetGridView(Workbook *book, QWidget *parent = nullptr);

    Workbook *workbook() const { return m_book; }
    SheetGridModel *gridModel() const { return m_model; }

signals:
    // The active cell of page `page` changed through the grid (a click, a
    // key, or a page switch); not sent when code moves the active cell or a
    // workbook is loaded.
    void selectionSet(int page);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void paintEvent(QPaintEvent *event) override;
    // Delete empties the selected cells, as in any spreadsheet.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void layoutPage();
    void applySpans();
    void syncCurrentToPage();
    void onActiveCellChanged(int page, int col, int row);
    void onColumnWidthChanged(int page, int col);
    void onRowHeightChanged(int page, int row);
    void onPageChanged(int page);
    void onSectionResized(Qt::Orientation o, int logicalIndex, int newSize);

    Workbook *m_book;
    SheetGridModel *m_model;
    // Set while the view is being brought in line with the page, so that
    // the changes this causes are not written back or reported.
    bool m_syncing = false;
    // Sections sized for the page shown, put back to the default when
    // another page is laid out (the header keeps sizes across a reset).
    QSet<int> m_sizedCols;
    QSet<int> m_sizedRows;
};
