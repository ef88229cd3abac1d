#include "ufrmSelectClass.h"

#include "ui/ModalSeam.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

std::uint32_t SelectedClassDBId = 0;
std::uint32_t SelectedClassId = 0;
QString SelectedClassName;

namespace {
constexpr int DBIdRole = Qt::UserRole;
constexpr int IdRole = Qt::UserRole + 1;
} // namespace

TfrmSelectClass::TfrmSelectClass(CatalogueSession &session, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_session(session), Class_IBQuery(session.MainIBDatabase, session.MainIBTransaction)
{
    setObjectName(QStringLiteral("frmSelectClass"));
    setWindowTitle(QStringLiteral("Select Class"));
    resize(425, 249);

    ClassList_ListView = new QTreeWidget(this);
    ClassList_ListView->setObjectName(QStringLiteral("ClassList_ListView"));
    ClassList_ListView->setColumnCount(2);
    ClassList_ListView->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Description")});
    ClassList_ListView->setColumnWidth(0, 200);
    ClassList_ListView->setColumnWidth(1, 200);
    ClassList_ListView->setRootIsDecorated(false);
    ClassList_ListView->setItemsExpandable(false);
    ClassList_ListView->setSortingEnabled(false);
    ClassList_ListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ClassList_ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ClassList_ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);

    BtnPanel = new QWidget(this);
    BtnPanel->setObjectName(QStringLiteral("BtnPanel"));
    BtnPanel->setFixedHeight(35);
    OkBtn = new QPushButton(QStringLiteral("&OK"), BtnPanel);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("&Cancel"), BtnPanel);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto *buttons = new QHBoxLayout(BtnPanel);
    buttons->setContentsMargins(4, 4, 4, 4);
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ClassList_ListView, 1);
    layout->addWidget(BtnPanel);

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ClassList_ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmSelectClass::ClassList_ListViewSelectItem);
    for (QObject *o : {static_cast<QObject *>(ClassList_ListView), static_cast<QObject *>(OkBtn),
                       static_cast<QObject *>(CancelBtn)})
        o->installEventFilter(this);
    // A double click anywhere in the list, also on empty space, counts.
    ClassList_ListView->viewport()->installEventFilter(this);

    loadClasses();
}

void TfrmSelectClass::loadClasses()
{
    if (!m_session.connected())
        return;
    ClassList_ListView->setUpdatesEnabled(false);
    try {
        m_session.MainIBTransaction.start();
        Class_IBQuery.close();
        Class_IBQuery.setSql(QStringLiteral("SELECT DBID, ID, S_NAME, S_DESCRIPTION FROM T_CLASS;"));
        Class_IBQuery.open();
        while (!Class_IBQuery.eof()) {
            auto *item = new QTreeWidgetItem();
            item->setData(0, DBIdRole, QVariant::fromValue<quint32>(
                                           quint32(Class_IBQuery.fieldByName(QStringLiteral("DBID")).asInteger())));
            item->setData(0, IdRole, QVariant::fromValue<quint32>(
                                         quint32(Class_IBQuery.fieldByName(QStringLiteral("ID")).asInteger())));
            item->setText(0, Class_IBQuery.fieldByName(QStringLiteral("S_NAME")).asString());
            item->setText(1, Class_IBQuery.fieldByName(QStringLiteral("S_DESCRIPTION")).asString());
            ClassList_ListView->addTopLevelItem(item);
            Class_IBQuery.next();
        }
        Class_IBQuery.close();
        m_session.MainIBTransaction.commit();
    } catch (const std::exception &e) {
        m_session.MainIBTransaction.rollback();
        const auto *k = dynamic_cast<const KException *>(&e);
        modal::error(parentWidget(), k ? k->className() : QStringLiteral("Exception"),
                     k ? k->message() : QString::fromLocal8Bit(e.what()));
    }
    ClassList_ListView->setUpdatesEnabled(true);
}

void TfrmSelectClass::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmSelectClass::ClassList_ListViewSelectItem(const QItemSelection &selected, const QItemSelection &deselected)
{
    // The entry the event names wins, whether it was selected or
    // deselected; a click into empty space keeps the entry as the result.
    SelectedClassDBId = 0;
    SelectedClassId = 0;
    const QModelIndexList named = !selected.indexes().isEmpty() ? selected.indexes() : deselected.indexes();
    if (named.isEmpty())
        return;
    const QModelIndex index = named.first().siblingAtColumn(0);
    const QVariant dbid = index.data(DBIdRole);
    if (!dbid.isValid())
        return;
    SelectedClassDBId = dbid.value<quint32>();
    SelectedClassId = index.data(IdRole).value<quint32>();
    SelectedClassName = index.data(Qt::DisplayRole).toString();
}

void TfrmSelectClass::ClassList_ListViewDblClick()
{
    if (SelectedClassId != 0)
        accept();
}

bool TfrmSelectClass::ClassKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        return false;
    }
}

bool TfrmSelectClass::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched != ClassList_ListView->viewport()) {
        if (ClassKeyDown(static_cast<QKeyEvent *>(event)->key()))
            return true;
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == ClassList_ListView->viewport()) {
        ClassList_ListViewDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

int ShowSelectClass(CatalogueSession &session, QWidget *parent)
{
    SelectedClassDBId = 0;
    SelectedClassId = 0;
    SelectedClassName.clear();
    TfrmSelectClass dialog(session, parent);
    return modal::exec(dialog) == QDialog::Accepted ? 1 : 2;
}

// Named here so the header is always run through moc, also in build folders
// configured before this file existed.
#include "moc_ufrmSelectClass.cpp"
