#include "sheet/SheetGridModel.h"

#include "sheet/Workbook.h"

#include <QBrush>

SheetGridModel::SheetGridModel(Workbook *book, QObject *parent)
    : QAbstractTableModel(parent), m_book(book)
{
    connect(book, &Workbook::workbookReset, this, &SheetGridModel::reset);
    connect(book, &Workbook::activePageChanged, this, &SheetGridModel::reset);
    connect(book, &Workbook::cellChanged, this, &SheetGridModel::onCellChanged);
    connect(book, &Workbook::pageChanged, this, &SheetGridModel::onPageChanged);
}

Page *SheetGridModel::page() const { return m_book->activePage(); }

int SheetGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !page() ? 0 : Page::MaxRows;
}

int SheetGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !page() ? 0 : Page::MaxCols;
}

QString SheetGridModel::columnName(int col)
{
    QString name;
    for (int n = col + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

QFont SheetGridModel::fontOf(const CellStyle &style)
{
    QFont f(style.fontName);
    f.setPointSizeF(style.fontHeight > 0 ? style.fontHeight / 20.0 : 10.0);
    f.setBold(style.bold);
    f.setItalic(style.italic);
    f.setUnderline(style.underline);
    f.setStrikeOut(style.strikeOut);
    return f;
}

const QFont &SheetGridModel::cachedFont(quint32 styleIndex) const
{
    if (styleIndex >= m_fonts.size()) {
        m_fonts.resize(styleIndex + 1);
        m_fontBuilt.resize(styleIndex + 1, false);
    }
    if (!m_fontBuilt[styleIndex]) {
        m_fonts[styleIndex] = fontOf(m_book->style(styleIndex));
        m_fontBuilt[styleIndex] = true;
    }
    return m_fonts[styleIndex];
}

static Qt::Alignment alignmentOf(const CellStyle &style, CellKind kind)
{
    Qt::Alignment h;
    switch (style.hAlign) {
    case HAlign::General:
        // As spreadsheets do: numbers to the right, truth values and errors
        // centred, text to the left.
        h = kind == CellKind::Number                                   ? Qt::AlignRight
            : (kind == CellKind::Boolean || kind == CellKind::Error) ? Qt::AlignHCenter
                                                                       : Qt::AlignLeft;
        break;
    case HAlign::Left:
    case HAlign::Fill:
        h = Qt::AlignLeft;
        break;
    case HAlign::Center:
    case HAlign::CenterAcross:
        h = Qt::AlignHCenter;
        break;
    case HAlign::Right:
        h = Qt::AlignRight;
        break;
    case HAlign::Justify:
        h = Qt::AlignJustify;
        break;
    }
    Qt::Alignment v;
    switch (style.vAlign) {
    case VAlign::Top:
        v = Qt::AlignTop;
        break;
    case VAlign::Center:
    case VAlign::Justify:
        v = Qt::AlignVCenter;
        break;
    case VAlign::Bottom:
        v = Qt::AlignBottom;
        break;
    }
    return h | v;
}

QVariant SheetGridModel::data(const QModelIndex &index, int role) const
{
    const Page *p = page();
    if (!p || !index.isValid())
        return {};
    const Cell *cell = p->findCell(index.column(), index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell ? cell->text : QString();
    case Qt::FontRole:
        if (!cell || cell->style == 0)
            return {};
        return cachedFont(cell->style);
    case Qt::ForegroundRole: {
        if (!cell || cell->style == 0)
            return {};
        const QColor c = m_book->style(cell->style).fontColor;
        return c.isValid() ? QVariant(QBrush(c)) : QVariant();
    }
    case Qt::BackgroundRole: {
        if (!cell || cell->style == 0)
            return {};
        const QColor c = m_book->style(cell->style).fillColor;
        return c.isValid() ? QVariant(QBrush(c)) : QVariant();
    }
    case WrapRole:
        return cell && cell->style != 0 && m_book->style(cell->style).wrap;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(cell ? m_book->style(cell->style) : m_book->style(0),
                                               cell ? cell->kind : CellKind::Empty));
    default:
        return {};
    }
}

bool SheetGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    Page *p = page();
    if (!p || !index.isValid() || role != Qt::EditRole)
        return false;
    // The page reports the change back through cellChanged.
    p->setCellText(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags SheetGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

QVariant SheetGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < Page::MaxCols ? columnName(section) : QVariant();
    return section >= 0 && section < Page::MaxRows ? QString::number(section + 1) : QVariant();
}

void SheetGridModel::reset()
{
    beginResetModel();
    m_fonts.clear();
    m_fontBuilt.clear();
    endResetModel();
}

void SheetGridModel::onCellChanged(int pageIndex, int col, int row)
{
    const Page *p = page();
    if (!p || pageIndex != m_book->activePageIndex() || col < 0 || row < 0 || col >= Page::MaxCols
        || row >= Page::MaxRows)
        return;
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i);
}

void SheetGridModel::onPageChanged(int pageIndex)
{
    if (!page() || pageIndex != m_book->activePageIndex())
        return;
    emit dataChanged(index(0, 0), index(Page::MaxRows - 1, Page::MaxCols - 1));
}
