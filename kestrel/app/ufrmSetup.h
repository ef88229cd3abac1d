#pragma once
#include <QDialog>
#include <QLineEdit>

class QToolButton;

// An edit box with an ellipsis button at its right end.
class TButtonEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TButtonEdit(QWidget *parent = nullptr);
    QToolButton *button() const { return m_button; }

signals:
    void buttonClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_button;
};

class TfrmSetup : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetup(QWidget *parent = nullptr);

    TButtonEdit *DBPath_ButtonEdit;
    TButtonEdit *ImportPath_ButtonEdit;
    TButtonEdit *LogPath_ButtonEdit;

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormClose(int result);
    void pickFolder(TButtonEdit *edit);
};

// Dialog results, written when the dialog closes with OK.
extern QString SetupDBPath;
extern QString SetupImportPath;
extern QString SetupLogPath;

// Shows the options dialog with the three folders; returns 1 (OK) or 2 (Cancel).
int ShowSetup(const QString &dbPath, const QString &importPath, const QString &logPath, QWidget *parent = nullptr);
