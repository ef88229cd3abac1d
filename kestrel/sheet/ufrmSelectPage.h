#pragma once
#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class T_frmOkCancel;

// Chooses the active page of the workbook from the list of page captions.
class TfrmSelectPage : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelectPage(QWidget *parent = nullptr);

    QLabel *SelectPageName_Label;
    QComboBox *SelectPageName_ComboBox;
    T_frmOkCancel *_frmOkCancel1;

protected:
    void done(int r) override;
};

// The page index handed in before ShowSelectPage and, after OK, the one chosen.
extern int SelectedPageIndex;

// Shows the dialog with one entry per page caption; returns 1 for OK, 2 for Cancel.
int ShowSelectPage(const QStringList &names, QWidget *parent = nullptr);
