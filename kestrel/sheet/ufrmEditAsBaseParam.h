#pragma once
// Edits a header cell's annotation field by field, so that nobody has to
// count "|" separators by hand.

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class T_frmOkCancel;

class TfrmEditAsBaseParam : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEditAsBaseParam(QWidget *parent = nullptr);

    // Fills the boxes from a header cell text (every field trimmed).
    void FillFromText(const QString &text);
    // The annotation the boxes stand for: eleven fields, texts as they stand.
    QString ComposeText() const;

    QLineEdit *UPID_TextEdit;
    QLineEdit *Name_TextEdit;
    QLineEdit *UnitPrefix_TextEdit;
    QLineEdit *Description_TextEdit;
    QComboBox *SelValueType_ComboBox;
    QComboBox *ValType_ComboBox;
    QLineEdit *TestCond_TextEdit;
    QCheckBox *NoBP_CheckBox;
    QCheckBox *NoLToBP_CheckBox;
    QCheckBox *UsageAsNominal_CheckBox;
    QCheckBox *SkipParam_CheckBox;
    T_frmOkCancel *_frmOkCancel1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // Composes the result when the dialog closes with OK.
    void done(int result) override;

private:
    bool EditAsBaseParamKeyDown(QKeyEvent *event);
};

namespace editas {
// Puts a cell's field into a box with a typing limit. A longer text from the
// cell is kept whole (the limit only stops typing beyond it), so that
// opening and confirming the dialog never cuts what the cell held.
void setLimitedText(QLineEdit *edit, const QString &text, int limit);
// Centres a dialog on its screen.
void centreOnScreen(QWidget *dialog);
} // namespace editas

// The text composed at the last OK of the dialog.
extern QString EditAsBaseParamResult;

// Shows the dialog filled from Text; QDialog::Accepted on OK (the composed
// text is then in EditAsBaseParamResult), QDialog::Rejected otherwise.
int ShowEditAsBaseParam(const QString &Text, QWidget *parent = nullptr);
