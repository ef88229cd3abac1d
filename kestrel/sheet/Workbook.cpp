#include "sheet/Workbook.h"

#include "common/KException.h"
#include "sheet/XlsReader.h"
#include "sheet/XlsWriter.h"

#include <algorithm>

bool CellStyle::operator==(const CellStyle &o) const
{
    return fontName == o.fontName && fontHeight == o.fontHeight && bold == o.bold && italic == o.italic
        && underline == o.underline && strikeOut == o.strikeOut && fontColor == o.fontColor
        && fillColor == o.fillColor && hAlign == o.hAlign && vAlign == o.vAlign && wrap == o.wrap
        && numberFormat == o.numberFormat;
}

size_t qHash(const CellStyle &s, size_t seed)
{
    QtPrivate::QHashCombine hash;
    seed = hash(seed, s.fontName);
    seed = hash(seed, s.fontHeight);
    seed = hash(seed, int(s.bold) | int(s.italic) << 1 | int(s.underline) << 2 | int(s.strikeOut) << 3
                          | int(s.wrap) << 4 | int(s.hAlign) << 8 | int(s.vAlign) << 12);
    seed = hash(seed, s.fontColor.isValid() ? s.fontColor.rgb() : 0x1000000u);
    seed = hash(seed, s.fillColor.isValid() ? s.fillColor.rgb() : 0x1000000u);
    seed = hash(seed, s.numberFormat);
    return seed;
}

QColor standardPaletteColor(int index)
{
    static const QRgb palette[56] = {
        0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
        0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
        0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
        0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
        0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
        0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
    if (index < 0 || index >= 56)
        return QColor();
    return QColor::fromRgb(palette[index]);
}

// ---- CellHandle ----

QString CellHandle::text() const { return m_page ? m_page->cellText(m_col, m_row) : QString(); }
void CellHandle::setText(const QString &text) const
{
    if (m_page)
        m_page->setCellText(m_col, m_row, text);
}
CellStyle CellHandle::style() const { return m_page ? m_page->cellStyle(m_col, m_row) : CellStyle(); }
void CellHandle::setStyle(const CellStyle &style) const
{
    if (m_page)
        m_page->setCellStyle(m_col, m_row, style);
}

// ---- Page ----

Page::Page(Workbook *book, int index, QString caption) : m_book(book), m_index(index), m_caption(std::move(caption)) {}

void Page::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    if (m_book)
        emit m_book->pageChanged(m_index);
}

void Page::setActiveCell(int col, int row)
{
    col = std::clamp(col, 0, MaxCols - 1);
    row = std::clamp(row, 0, MaxRows - 1);
    if (m_activeCell == QPoint(col, row))
        return;
    m_activeCell = QPoint(col, row);
    if (m_book)
        emit m_book->activeCellChanged(m_index, col, row);
}

void Page::recount() const
{
    if (!m_countsDirty)
        return;
    int rows = 0, cols = 0;
    for (int r = 0; r < int(m_rows.size()); ++r) {
        for (const Cell &c : m_rows[r]) {
            if (c.text.isEmpty())
                continue;
            rows = r + 1;
            cols = std::max(cols, int(c.col) + 1);
        }
    }
    m_rowCount = rows;
    m_colCount = cols;
    m_countsDirty = false;
}

int Page::columnCount() const
{
    recount();
    return m_colCount;
}

int Page::rowCount() const
{
    recount();
    return m_rowCount;
}

void Page::checkRange(int col, int row) const
{
    if (col < 0 || col >= MaxCols || row < 0 || row >= MaxRows)
        throw KException(QStringLiteral("Cell (%1, %2) is outside the sheet (%3 columns, %4 rows)")
                             .arg(col)
                             .arg(row)
                             .arg(MaxCols)
                             .arg(MaxRows),
                         QStringLiteral("ERangeError"));
}

static auto cellLess = [](const Cell &c, int col) { return int(c.col) < col; };

const Cell *Page::findCell(int col, int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return nullptr;
    const auto &cells = m_rows[size_t(row)];
    auto it = std::lower_bound(cells.begin(), cells.end(), col, cellLess);
    return it != cells.end() && it->col == col ? &*it : nullptr;
}

Cell *Page::findCellMutable(int col, int row) { return const_cast<Cell *>(findCell(col, row)); }

Cell &Page::cellRef(int col, int row)
{
    if (row >= int(m_rows.size()))
        m_rows.resize(size_t(row) + 1);
    auto &cells = m_rows[size_t(row)];
    auto it = std::lower_bound(cells.begin(), cells.end(), col, cellLess);
    if (it != cells.end() && it->col == col)
        return *it;
    Cell c;
    c.col = quint16(col);
    return *cells.insert(it, std::move(c));
}

void Page::removeIfBare(int col, int row)
{
    if (row >= int(m_rows.size()))
        return;
    auto &cells = m_rows[size_t(row)];
    auto it = std::lower_bound(cells.begin(), cells.end(), col, cellLess);
    if (it != cells.end() && it->col == col && it->text.isEmpty() && it->style == 0)
        cells.erase(it);
}

void Page::noteContent(int col, int row)
{
    if (m_countsDirty)
        return;
    m_rowCount = std::max(m_rowCount, row + 1);
    m_colCount = std::max(m_colCount, col + 1);
}

void Page::emitCell(int col, int row)
{
    if (m_book)
        emit m_book->cellChanged(m_index, col, row);
}

QString Page::cellText(int col, int row) const
{
    const Cell *c = findCell(col, row);
    return c ? c->text : QString();
}

void Page::setCellText(int col, int row, const QString &text)
{
    checkRange(col, row);
    Cell *existing = findCellMutable(col, row);
    if (existing && existing->text == text)
        return;
    if (!existing && text.isEmpty())
        return;
    Cell &c = existing ? *existing : cellRef(col, row);
    c.text = text;
    c.kind = text.isEmpty() ? CellKind::Empty : CellKind::Text;
    c.number = 0;
    if (text.isEmpty()) {
        m_countsDirty = true;
        removeIfBare(col, row);
    } else {
        noteContent(col, row);
    }
    emitCell(col, row);
}

CellStyle Page::cellStyle(int col, int row) const
{
    const Cell *c = findCell(col, row);
    return m_book->style(c ? c->style : 0);
}

void Page::setCellStyle(int col, int row, const CellStyle &style)
{
    checkRange(col, row);
    const quint32 idx = m_book->styleIndex(style);
    Cell *existing = findCellMutable(col, row);
    if (existing ? existing->style == idx : idx == 0)
        return;
    Cell &c = existing ? *existing : cellRef(col, row);
    c.style = idx;
    if (idx == 0)
        removeIfBare(col, row);
    emitCell(col, row);
}

CellKind Page::cellKind(int col, int row) const
{
    const Cell *c = findCell(col, row);
    return c ? c->kind : CellKind::Empty;
}

std::optional<double> Page::cellNumber(int col, int row) const
{
    const Cell *c = findCell(col, row);
    if (c && c->kind == CellKind::Number)
        return c->number;
    return std::nullopt;
}

void Page::setCellNumber(int col, int row, double value, const QString &shown)
{
    checkRange(col, row);
    Cell &c = cellRef(col, row);
    c.text = shown;
    c.number = value;
    c.kind = CellKind::Number;
    if (shown.isEmpty())
        m_countsDirty = true;
    else
        noteContent(col, row);
    emitCell(col, row);
}

void Page::putCell(int row, Cell cell)
{
    const int col = cell.col;
    checkRange(col, row);
    const bool hasText = !cell.text.isEmpty();
    if (row >= int(m_rows.size()))
        m_rows.resize(size_t(row) + 1);
    auto &cells = m_rows[size_t(row)];
    if (cells.empty() || cells.back().col < col) {
        cells.push_back(std::move(cell));
    } else {
        Cell &c = cellRef(col, row);
        c = std::move(cell);
        m_countsDirty = true;
    }
    if (hasText)
        noteContent(col, row);
}

int Page::columnWidth(int col) const { return m_colWidths.value(col, m_defaultColWidth); }

void Page::setColumnWidth(int col, int width)
{
    checkRange(col, 0);
    width = std::max(0, width);
    if (m_colWidths.value(col, -1) == width)
        return;
    m_colWidths.insert(col, width);
    if (m_book)
        emit m_book->columnWidthChanged(m_index, col);
}

int Page::rowHeight(int row) const { return m_rowHeights.value(row, m_defaultRowHeight); }

void Page::setRowHeight(int row, int height)
{
    checkRange(0, row);
    height = std::max(0, height);
    if (m_rowHeights.value(row, -1) == height)
        return;
    m_rowHeights.insert(row, height);
    if (m_book)
        emit m_book->rowHeightChanged(m_index, row);
}

void Page::addMergedRange(const QRect &r)
{
    const QRect n = r.normalized();
    checkRange(n.left(), n.top());
    checkRange(n.right(), n.bottom());
    m_merges.append(n);
    if (m_book)
        emit m_book->pageChanged(m_index);
}

void Page::clearMergedRanges()
{
    if (m_merges.isEmpty())
        return;
    m_merges.clear();
    if (m_book)
        emit m_book->pageChanged(m_index);
}

// ---- Workbook ----

Workbook::Workbook(QObject *parent) : QObject(parent)
{
    m_styles.push_back(CellStyle());
    m_styleIndex.insert(CellStyle(), 0);
    m_pages.push_back(std::make_unique<Page>(this, 0, QStringLiteral("Sheet1")));
}

Workbook::~Workbook() = default;

void Workbook::loadFromFile(const QString &path)
{
    Workbook loaded;
    XlsReader::readFile(path, loaded);
    replaceWith(loaded);
}

void Workbook::saveToFile(const QString &path) const { XlsWriter::writeFile(*this, path); }

void Workbook::setActivePageIndex(int i)
{
    if (i < 0 || i >= pageCount() || i == m_activePage)
        return;
    m_activePage = i;
    emit activePageChanged(i);
}

QPoint Workbook::activeCell() const
{
    const Page *p = activePage();
    return p ? p->activeCell() : QPoint(0, 0);
}

void Workbook::clearAll()
{
    m_pages.clear();
    m_activePage = 0;
    m_date1904 = false;
    m_styles.resize(1);
    m_styleIndex.clear();
    m_styleIndex.insert(m_styles[0], 0);
    emit workbookReset();
}

Page &Workbook::addPage(const QString &caption)
{
    m_pages.push_back(std::make_unique<Page>(this, pageCount(), caption));
    emit workbookReset();
    return *m_pages.back();
}

const CellStyle &Workbook::style(quint32 index) const
{
    return index < m_styles.size() ? m_styles[index] : m_styles[0];
}

quint32 Workbook::styleIndex(const CellStyle &style)
{
    auto it = m_styleIndex.constFind(style);
    if (it != m_styleIndex.constEnd())
        return *it;
    const quint32 idx = quint32(m_styles.size());
    m_styles.push_back(style);
    m_styleIndex.insert(style, idx);
    return idx;
}

void Workbook::replaceWith(Workbook &other)
{
    m_pages.swap(other.m_pages);
    m_styles.swap(other.m_styles);
    m_styleIndex.swap(other.m_styleIndex);
    std::swap(m_activePage, other.m_activePage);
    std::swap(m_date1904, other.m_date1904);
    for (auto &p : m_pages)
        p->m_book = this;
    for (auto &p : other.m_pages)
        p->m_book = &other;
    emit workbookReset();
}
