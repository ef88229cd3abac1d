#include "sheet/ufrmSelectPage.h"

#include "ui/ModalSeam.h"
#include "ui/OkCancelFrame.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

int SelectedPageIndex = 0;

TfrmSelectPage::TfrmSelectPage(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("frmSelectPage");
    setWindowTitle(tr("Select Page"));

    SelectPageName_Label = new QLabel(tr("Select Page"), this);
    SelectPageName_Label->setObjectName("SelectPageName_Label");
    SelectPageName_Label->setGeometry(16, 12, 120, 21);

    SelectPageName_ComboBox = new QComboBox(this);
    SelectPageName_ComboBox->setObjectName("SelectPageName_ComboBox");
    SelectPageName_ComboBox->setEditable(false); // entries can be chosen, never typed
    SelectPageName_ComboBox->setGeometry(128, 12, 249, 23);
    SelectPageName_Label->setBuddy(SelectPageName_ComboBox);

    _frmOkCancel1 = new T_frmOkCancel(this);
    _frmOkCancel1->setObjectName("_frmOkCancel1");
    _frmOkCancel1->setGeometry(0, 97 - 44, 393, 44);

    setFixedSize(393, 97);
    // Centred on the screen, not over the main window.
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
    SelectPageName_ComboBox->setFocus();
}

void TfrmSelectPage::done(int r)
{
    if (r == QDialog::Accepted && SelectPageName_ComboBox->currentIndex() >= 0)
        SelectedPageIndex = SelectPageName_ComboBox->currentIndex();
    QDialog::done(r);
}

int ShowSelectPage(const QStringList &names, QWidget *parent)
{
    TfrmSelectPage dialog(parent);
    dialog.SelectPageName_ComboBox->addItems(names);
    if (SelectedPageIndex >= 0 && SelectedPageIndex < names.size())
        dialog.SelectPageName_ComboBox->setCurrentIndex(SelectedPageIndex);
    return modal::exec(dialog) == QDialog::Accepted ? 1 : 2;
}
