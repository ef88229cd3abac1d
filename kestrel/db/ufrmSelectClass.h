#pragma once
// The Select Class dialog: lists every class of the catalogue; the entry
// touched last is the result.

#include "CatalogueSession.h"

#include <QDialog>
#include <cstdint>

class QTreeWidget;
class QPushButton;
class QItemSelection;

// The dialog's result: reset each time it opens, then the entry touched last.
extern std::uint32_t SelectedClassDBId;
extern std::uint32_t SelectedClassId;
extern QString SelectedClassName;

class TfrmSelectClass : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelectClass(CatalogueSession &session, QWidget *parent = nullptr);

    QTreeWidget *ClassList_ListView;
    QWidget *BtnPanel;
    QPushButton *OkBtn;
    QPushButton *CancelBtn;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void loadClasses();
    void ClassList_ListViewSelectItem(const QItemSelection &selected, const QItemSelection &deselected);
    void ClassList_ListViewDblClick();
    bool ClassKeyDown(int key);

    CatalogueSession &m_session;
    fb::Query Class_IBQuery;
};

// Shows the dialog modally; 1 for OK, 2 for Cancel.
int ShowSelectClass(CatalogueSession &session, QWidget *parent = nullptr);
