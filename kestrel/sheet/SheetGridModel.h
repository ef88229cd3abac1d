#pragma once
// The grid's view of the workbook: the active page as a table of the full
// sheet size (65,536 rows x 256 columns). Cells are read from the page on
// demand; nothing is kept per cell.

#include <QAbstractTableModel>
#include <QFont>
#include <vector>

class Workbook;
class Page;
struct CellStyle;

class SheetGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // True for a cell whose style wraps its text within the column width.
    static constexpr int WrapRole = Qt::UserRole + 1;

    explicit SheetGridModel(Workbook *book, QObject *parent = nullptr);

    Workbook *workbook() const { return m_book; }
    // The page shown; nullptr while the workbook has no page.
    Page *page() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "A".."Z", "AA".."IV" for column 0..255.
    static QString columnName(int col);
    // The font a cell style asks for (its height is in twips).
    static QFont fontOf(const CellStyle &style);

private:
    void reset();
    void onCellChanged(int page, int col, int row);
    void onPageChanged(int page);
    const QFont &cachedFont(quint32 styleIndex) const;

    Workbook *m_book;
    // One font per style index, built on first use; the style table only
    // grows until the workbook is replaced, which resets the cache.
    mutable std::vector<QFont> m_fonts;
    mutable std::vector<bool> m_fontBuilt;
};
