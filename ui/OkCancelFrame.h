#pragma once
#include <QWidget>

class QPushButton;
class QDialog;

// The OK/Cancel strip at the bottom of most dialogs: "OK" is the default
// button and accepts the dialog, "Cancel" rejects it.
class T_frmOkCancel : public QWidget {
    Q_OBJECT
public:
    explicit T_frmOkCancel(QDialog *dialog);
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QPushButton *m_ok;
    QPushButton *m_cancel;
};
