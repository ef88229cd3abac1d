#include "app/ufrmSetup.h"

#include "app/DirDlg.h"
#include "ui/ModalSeam.h"
#include "ui/OkCancelFrame.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

QString SetupDBPath;
QString SetupImportPath;
QString SetupLogPath;

TButtonEdit::TButtonEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_button(new QToolButton(this))
{
    m_button->setText(QStringLiteral("..."));
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(m_button, &QToolButton::clicked, this, &TButtonEdit::buttonClicked);
    setTextMargins(0, 0, 22, 0);
}

void TButtonEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int w = 22;
    m_button->setGeometry(width() - w - 1, 1, w, height() - 2);
}

TfrmSetup::TfrmSetup(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("frmSetup");
    setWindowTitle(tr("Options"));
    auto *grid = new QGridLayout;
    grid->setContentsMargins(12, 12, 12, 4);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    struct Row {
        const char *labelName;
        const char *caption;
        const char *editName;
        TButtonEdit **edit;
    } rows[] = {
        {"DBPath_Label", "Data Base Path", "DBPath_ButtonEdit", &DBPath_ButtonEdit},
        {"ImportPath_Label", "Import File Path", "ImportPath_ButtonEdit", &ImportPath_ButtonEdit},
        {"LogPath_Label", "Log File Path", "LogPath_ButtonEdit", &LogPath_ButtonEdit},
    };
    int r = 0;
    for (const Row &row : rows) {
        auto *label = new QLabel(tr(row.caption), this);
        label->setObjectName(row.labelName);
        auto *edit = new TButtonEdit(this);
        edit->setObjectName(row.editName);
        edit->setFixedWidth(265);
        edit->installEventFilter(this);
        label->setBuddy(edit);
        grid->addWidget(label, r, 0);
        grid->addWidget(edit, r, 1);
        *row.edit = edit;
        connect(edit, &TButtonEdit::buttonClicked, this, [this, edit] { pickFolder(edit); });
        ++r;
    }
    auto *strip = new T_frmOkCancel(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(strip);
    setTabOrder(DBPath_ButtonEdit, ImportPath_ButtonEdit);
    setTabOrder(ImportPath_ButtonEdit, LogPath_ButtonEdit);
    setTabOrder(LogPath_ButtonEdit, strip->okButton());
    setTabOrder(strip->okButton(), strip->cancelButton());
    setFixedSize(393, 153);
    // In the middle of the screen, not over the main window.
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmSetup::pickFolder(TButtonEdit *edit)
{
    QString folder;
    if (SelectFolderDialog(QString(), folder))
        edit->setText(folder);
}

void TfrmSetup::FormClose(int result)
{
    if (result != QDialog::Accepted)
        return;
    SetupDBPath = DBPath_ButtonEdit->text();
    SetupImportPath = ImportPath_ButtonEdit->text();
    SetupLogPath = LogPath_ButtonEdit->text();
}

void TfrmSetup::done(int result)
{
    FormClose(result);
    QDialog::done(result);
}

void TfrmSetup::keyPressEvent(QKeyEvent *event)
{
    // Escape closes the dialog only from the edit boxes (eventFilter).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmSetup::eventFilter(QObject *watched, QEvent *event)
{
    // SetupEditKeyDown
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
        && qobject_cast<TButtonEdit *>(watched)) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

int ShowSetup(const QString &dbPath, const QString &importPath, const QString &logPath, QWidget *parent)
{
    TfrmSetup dialog(parent);
    dialog.DBPath_ButtonEdit->setText(dbPath);
    dialog.ImportPath_ButtonEdit->setText(importPath);
    dialog.LogPath_ButtonEdit->setText(logPath);
    return modal::exec(dialog) == QDialog::Accepted ? 1 : 2;
}
