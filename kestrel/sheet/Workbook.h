#pragma once
// The workbook the grid shows and every tool and import reads and writes.
// Pages hold cells sparsely (a sorted run of cells per used row), so a page
// of 65,536 rows x 256 columns costs only what is filled in.

#include <QColor>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class Workbook;

enum class HAlign : quint8 { General, Left, Center, Right, Fill, Justify, CenterAcross };
enum class VAlign : quint8 { Top, Center, Bottom, Justify };

// Everything a cell shows besides its text. An invalid colour means
// "automatic" (font) or "no fill" (background).
struct CellStyle {
    QString fontName = QStringLiteral("Arial");
    int fontHeight = 200; // twips (1/20 point)
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QColor fontColor;
    QColor fillColor;
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    QString numberFormat = QStringLiteral("General");

    bool operator==(const CellStyle &o) const;
    bool operator!=(const CellStyle &o) const { return !(*this == o); }
};
size_t qHash(const CellStyle &s, size_t seed = 0);

// Colour `index` (0-based) of the standard 56-colour spreadsheet palette:
// 0 black, 1 white, 2 red, 3 bright green, ...
QColor standardPaletteColor(int index);

enum class CellKind : quint8 { Empty, Text, Number, Boolean, Error };

// One stored cell. A number keeps its value so that an unchanged number is
// written back as a number; its text is what the user sees.
struct Cell {
    QString text;
    double number = 0;
    quint32 style = 0; // index into the workbook's style table; 0 is the default
    quint16 col = 0;
    CellKind kind = CellKind::Empty;
};

class Page;

// A handle to one cell of a page; stays usable while the page exists.
class CellHandle {
public:
    CellHandle() = default;
    CellHandle(Page *page, int col, int row) : m_page(page), m_col(col), m_row(row) {}
    bool isValid() const { return m_page != nullptr; }
    int col() const { return m_col; }
    int row() const { return m_row; }
    Page *page() const { return m_page; }
    QString text() const;
    void setText(const QString &text) const;
    CellStyle style() const;
    void setStyle(const CellStyle &style) const;

private:
    Page *m_page = nullptr;
    int m_col = 0;
    int m_row = 0;
};

class Page {
public:
    static constexpr int MaxRows = 65536;
    static constexpr int MaxCols = 256;
    static constexpr int DefaultColumnWidth = 64; // pixels
    static constexpr int DefaultRowHeight = 17;   // pixels

    Page(Workbook *book, int index, QString caption);
    Page(const Page &) = delete;
    Page &operator=(const Page &) = delete;

    Workbook *workbook() const { return m_book; }
    int index() const { return m_index; }

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    QPoint activeCell() const { return m_activeCell; }
    // Clamped to the page's range.
    void setActiveCell(int col, int row);
    void setActiveCell(QPoint p) { setActiveCell(p.x(), p.y()); }

    // Columns 0..columnCount()-1 and rows 0..rowCount()-1 hold every cell
    // with a non-empty text.
    int columnCount() const;
    int rowCount() const;

    CellHandle cell(int col, int row) { return CellHandle(this, col, row); }

    // Outside the page's range reads as empty; writing there throws.
    QString cellText(int col, int row) const;
    // A new text makes the cell a text cell; writing the text it already
    // shows keeps its value (an unchanged number stays a number).
    void setCellText(int col, int row, const QString &text);
    CellStyle cellStyle(int col, int row) const;
    void setCellStyle(int col, int row, const CellStyle &style);

    // Typed access for the codec and tools that care about values.
    CellKind cellKind(int col, int row) const;
    std::optional<double> cellNumber(int col, int row) const;
    // Stores a number with the text it shows (formatted by the caller).
    void setCellNumber(int col, int row, double value, const QString &shown);
    // Raw access: nullptr when nothing is stored there.
    const Cell *findCell(int col, int row) const;
    // Stores a complete cell (style index of this page's workbook). Used by
    // the reader; cells of a row are fastest when put in column order.
    void putCell(int row, Cell cell);

    // Pixels; a column or row never set has the page default.
    int columnWidth(int col) const;
    void setColumnWidth(int col, int width);
    int rowHeight(int row) const;
    void setRowHeight(int row, int height);
    int defaultColumnWidth() const { return m_defaultColWidth; }
    void setDefaultColumnWidth(int width) { m_defaultColWidth = width; }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int height) { m_defaultRowHeight = height; }
    const QHash<int, int> &columnWidths() const { return m_colWidths; }
    const QHash<int, int> &rowHeights() const { return m_rowHeights; }

    // Merged ranges (QRect in column/row units, both ends inclusive).
    const QList<QRect> &mergedRanges() const { return m_merges; }
    void addMergedRange(const QRect &r);
    void clearMergedRanges();

    // Visits every stored cell in row, then column order.
    template <class F>
    void forEachCell(F &&f) const
    {
        for (int r = 0; r < int(m_rows.size()); ++r)
            for (const Cell &c : m_rows[r])
                f(r, c);
    }

private:
    friend class Workbook;
    Cell *findCellMutable(int col, int row);
    Cell &cellRef(int col, int row); // creates
    void removeIfBare(int col, int row);
    void noteContent(int col, int row);
    void recount() const;
    void checkRange(int col, int row) const;
    void emitCell(int col, int row);

    Workbook *m_book;
    int m_index;
    QString m_caption;
    QPoint m_activeCell{0, 0};
    std::vector<std::vector<Cell>> m_rows; // by row; each sorted by column
    mutable int m_rowCount = 0;
    mutable int m_colCount = 0;
    mutable bool m_countsDirty = false;
    QHash<int, int> m_colWidths;
    QHash<int, int> m_rowHeights;
    int m_defaultColWidth = DefaultColumnWidth;
    int m_defaultRowHeight = DefaultRowHeight;
    QList<QRect> m_merges;
};

class Workbook : public QObject {
    Q_OBJECT
public:
    explicit Workbook(QObject *parent = nullptr);
    ~Workbook() override;

    // Replaces the whole workbook by the file; on failure throws XlsError and
    // leaves the workbook as it was.
    void loadFromFile(const QString &path);
    // Writes the workbook; a failed save leaves an existing file whole.
    void saveToFile(const QString &path) const;

    int pageCount() const { return int(m_pages.size()); }
    Page &page(int i) { return *m_pages.at(size_t(i)); }
    const Page &page(int i) const { return *m_pages.at(size_t(i)); }

    int activePageIndex() const { return m_activePage; }
    // An index out of range, or the one already active, does nothing.
    void setActivePageIndex(int i);
    // nullptr while the workbook has no page.
    Page *activePage() { return m_pages.empty() ? nullptr : m_pages[size_t(m_activePage)].get(); }
    const Page *activePage() const { return m_pages.empty() ? nullptr : m_pages[size_t(m_activePage)].get(); }
    // (0, 0) while there is no page.
    QPoint activeCell() const;

    void clearAll();
    Page &addPage(const QString &caption);

    // Style table shared by all pages; index 0 is the default style.
    const CellStyle &style(quint32 index) const;
    quint32 styleIndex(const CellStyle &style);
    int styleCount() const { return int(m_styles.size()); }

    // Dates count from 1904 rather than 1900 (as in files from old Macs);
    // kept so that date cells show the same dates after saving.
    bool date1904() const { return m_date1904; }
    void setDate1904(bool on) { m_date1904 = on; }

    // Takes over the content of `other` (pages, styles, active page).
    void replaceWith(Workbook &other);

signals:
    void cellChanged(int page, int col, int row);
    void columnWidthChanged(int page, int col);
    void rowHeightChanged(int page, int row);
    // Captions, merged ranges or many cells of one page changed.
    void pageChanged(int page);
    // Pages were replaced, added or removed.
    void workbookReset();
    void activePageChanged(int page);
    void activeCellChanged(int page, int col, int row);

private:
    friend class Page;
    std::vector<std::unique_ptr<Page>> m_pages;
    int m_activePage = 0;
    bool m_date1904 = false;
    std::vector<CellStyle> m_styles;
    QHash<CellStyle, quint32> m_styleIndex;
};
