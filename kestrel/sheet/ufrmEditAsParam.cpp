#include "sheet/ufrmEditAsParam.h"

#include "common/HeaderAnnotation.h"
#include "sheet/ufrmEditAsBaseParam.h"
#include "ui/ModalSeam.h"
#include "ui/OkCancelFrame.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString EditAsParamResult;

namespace {
constexpr int kValueLimit = 256;
constexpr int kTestCondLimit = 256;
constexpr int kUnitLimit = 128;

QLineEdit *lineEdit(QWidget *parent, const char *name, int limit)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(limit);
    return edit;
}
} // namespace

TfrmEditAsParam::TfrmEditAsParam(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmEditAsParam"));
    setWindowTitle(QStringLiteral("Edit As Param"));

    Name_TextEdit = lineEdit(this, "Name_TextEdit", kValueLimit);
    TestCond_TextEdit = lineEdit(this, "TestCond_TextEdit", kTestCondLimit);
    UnitPrefix_TextEdit = lineEdit(this, "UnitPrefix_TextEdit", kUnitLimit);
    _frmOkCancel1 = new T_frmOkCancel(this);
    _frmOkCancel1->setObjectName(QStringLiteral("_frmOkCancel1"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Value"), Name_TextEdit);
    form->addRow(QStringLiteral("Test Conditions"), TestCond_TextEdit);
    form->addRow(QStringLiteral("Unit Prefix"), UnitPrefix_TextEdit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(_frmOkCancel1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Name_TextEdit->setMinimumWidth(320);

    for (QWidget *w : {static_cast<QWidget *>(Name_TextEdit), static_cast<QWidget *>(TestCond_TextEdit),
                       static_cast<QWidget *>(UnitPrefix_TextEdit),
                       static_cast<QWidget *>(_frmOkCancel1->okButton()),
                       static_cast<QWidget *>(_frmOkCancel1->cancelButton())})
        w->installEventFilter(this);
}

void TfrmEditAsParam::FillFromText(const QString &text)
{
    const TParamCellText c = ReadParamCellForEdit(text);
    editas::setLimitedText(Name_TextEdit, c.Value, kValueLimit);
    editas::setLimitedText(TestCond_TextEdit, c.TestCond, kTestCondLimit);
    editas::setLimitedText(UnitPrefix_TextEdit, c.Unit, kUnitLimit);
}

QString TfrmEditAsParam::ComposeText() const
{
    return ComposeParamCellText(Name_TextEdit->text(), TestCond_TextEdit->text(), UnitPrefix_TextEdit->text());
}

bool TfrmEditAsParam::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && EditAsParamKeyDown(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TfrmEditAsParam::EditAsParamKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    reject();
    return true;
}

void TfrmEditAsParam::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    editas::centreOnScreen(this);
}

void TfrmEditAsParam::done(int result)
{
    if (result == QDialog::Accepted)
        EditAsParamResult = ComposeText();
    QDialog::done(result);
}

int ShowEditAsParam(const QString &Text, QWidget *parent)
{
    TfrmEditAsParam dialog(parent);
    dialog.FillFromText(Text);
    return modal::exec(dialog);
}
