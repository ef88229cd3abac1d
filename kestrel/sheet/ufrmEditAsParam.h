#pragma once
// Edits a data cell of a parameter column as value, test conditions and unit.

#include <QDialog>
#include <QString>

class QKeyEvent;
class QLineEdit;
class T_frmOkCancel;

class TfrmEditAsParam : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEditAsParam(QWidget *parent = nullptr);

    // Fills the boxes from a cell text (fields trimmed, the value upper case).
    void FillFromText(const QString &text);
    // "value|testcond|unit" from the boxes as they stand.
    QString ComposeText() const;

    QLineEdit *Name_TextEdit; // the value
    QLineEdit *TestCond_TextEdit;
    QLineEdit *UnitPrefix_TextEdit;
    T_frmOkCancel *_frmOkCancel1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // Composes the result when the dialog closes with OK.
    void done(int result) override;

private:
    bool EditAsParamKeyDown(QKeyEvent *event);
};

// The text composed at the last OK of the dialog.
extern QString EditAsParamResult;

// Shows the dialog filled from Text; QDialog::Accepted on OK (the composed
// text is then in EditAsParamResult), QDialog::Rejected otherwise.
int ShowEditAsParam(const QString &Text, QWidget *parent = nullptr);
