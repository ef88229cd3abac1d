#include "sheet/ufrmEditAsBaseParam.h"

#include "common/HeaderAnnotation.h"
#include "ui/ModalSeam.h"
#include "ui/OkCancelFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QValidator>
#include <QVBoxLayout>

QString EditAsBaseParamResult;

namespace editas {

void setLimitedText(QLineEdit *edit, const QString &text, int limit)
{
    edit->setMaxLength(std::max<int>(limit, int(text.size())));
    edit->setText(text);
}

void centreOnScreen(QWidget *dialog)
{
    if (QScreen *screen = dialog->screen())
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
}

} // namespace editas

namespace {

// Typing into the UPID box gives upper case, as UPIDs are matched without
// regard to case and stored upper case.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

constexpr int kUpidLimit = 16;
constexpr int kNameLimit = 256;
constexpr int kUnitLimit = 128;
constexpr int kDescriptionLimit = 256;
constexpr int kTestCondLimit = 256;

QLineEdit *lineEdit(QWidget *parent, const char *name, int limit)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(limit);
    return edit;
}

QComboBox *fixedList(QWidget *parent, const char *name, const QStringList &entries)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    box->addItems(entries);
    box->setCurrentIndex(-1);
    return box;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

TfrmEditAsBaseParam::TfrmEditAsBaseParam(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmEditAsBaseParam"));
    setWindowTitle(QStringLiteral("Edit As Base Param"));

    UPID_TextEdit = lineEdit(this, "UPID_TextEdit", kUpidLimit);
    UPID_TextEdit->setValidator(new UpperCaseValidator(UPID_TextEdit));
    Name_TextEdit = lineEdit(this, "Name_TextEdit", kNameLimit);
    UnitPrefix_TextEdit = lineEdit(this, "UnitPrefix_TextEdit", kUnitLimit);
    Description_TextEdit = lineEdit(this, "Description_TextEdit", kDescriptionLimit);
    SelValueType_ComboBox = fixedList(this, "SelValueType_ComboBox", SelValueTypeNames());
    ValType_ComboBox = fixedList(this, "ValType_ComboBox", ValTypeNames());
    TestCond_TextEdit = lineEdit(this, "TestCond_TextEdit", kTestCondLimit);
    NoBP_CheckBox = checkBox(this, "NoBP_CheckBox", QStringLiteral("No BaseParam Create"));
    NoLToBP_CheckBox = checkBox(this, "NoLToBP_CheckBox", QStringLiteral("No Link to BaseParam"));
    UsageAsNominal_CheckBox = checkBox(this, "UsageAsNominal_CheckBox", QStringLiteral("Usage as Nominal"));
    SkipParam_CheckBox = checkBox(this, "SkipParam_CheckBox", QStringLiteral("Skip Param"));
    _frmOkCancel1 = new T_frmOkCancel(this);
    _frmOkCancel1->setObjectName(QStringLiteral("_frmOkCancel1"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("UPID"), UPID_TextEdit);
    form->addRow(QStringLiteral("Name"), Name_TextEdit);
    form->addRow(QStringLiteral("Unit Prefix"), UnitPrefix_TextEdit);
    form->addRow(QStringLiteral("Description"), Description_TextEdit);
    form->addRow(QStringLiteral("Select Value Type"), SelValueType_ComboBox);
    form->addRow(QStringLiteral("Value Type"), ValType_ComboBox);
    form->addRow(QStringLiteral("Test Conditions"), TestCond_TextEdit);
    for (QCheckBox *box : {NoBP_CheckBox, NoLToBP_CheckBox, UsageAsNominal_CheckBox, SkipParam_CheckBox})
        form->addRow(box);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(_frmOkCancel1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Name_TextEdit->setMinimumWidth(320);

    const QList<QWidget *> controls = {UPID_TextEdit,
                                       Name_TextEdit,
                                       UnitPrefix_TextEdit,
                                       Description_TextEdit,
                                       SelValueType_ComboBox,
                                       ValType_ComboBox,
                                       TestCond_TextEdit,
                                       NoBP_CheckBox,
                                       NoLToBP_CheckBox,
                                       UsageAsNominal_CheckBox,
                                       SkipParam_CheckBox,
                                       _frmOkCancel1->okButton(),
                                       _frmOkCancel1->cancelButton()};
    for (QWidget *w : controls)
        w->installEventFilter(this);
}

void TfrmEditAsBaseParam::FillFromText(const QString &text)
{
    const THeaderAnnotation a = ReadHeaderAnnotationForEdit(text);
    editas::setLimitedText(UPID_TextEdit, a.UPID, kUpidLimit);
    editas::setLimitedText(Name_TextEdit, a.Name, kNameLimit);
    editas::setLimitedText(UnitPrefix_TextEdit, a.UnitPrefix, kUnitLimit);
    editas::setLimitedText(Description_TextEdit, a.Description, kDescriptionLimit);
    SelValueType_ComboBox->setCurrentIndex(a.SelValueType >= 1 ? a.SelValueType : -1);
    ValType_ComboBox->setCurrentIndex(a.ValType != vtNone ? a.ValType : -1);
    editas::setLimitedText(TestCond_TextEdit, a.TestCond, kTestCondLimit);
    NoBP_CheckBox->setChecked(a.NoBP);
    NoLToBP_CheckBox->setChecked(a.NoLToBP);
    UsageAsNominal_CheckBox->setChecked(a.UsageAsNominal);
    SkipParam_CheckBox->setChecked(a.SkipParam);
}

QString TfrmEditAsBaseParam::ComposeText() const
{
    THeaderAnnotation a;
    a.UPID = UPID_TextEdit->text();
    a.Name = Name_TextEdit->text();
    a.UnitPrefix = UnitPrefix_TextEdit->text();
    a.Description = Description_TextEdit->text();
    a.SelValueType = std::max(0, SelValueType_ComboBox->currentIndex());
    a.ValType = std::max(0, ValType_ComboBox->currentIndex());
    a.TestCond = TestCond_TextEdit->text();
    a.NoBP = NoBP_CheckBox->isChecked();
    a.NoLToBP = NoLToBP_CheckBox->isChecked();
    a.UsageAsNominal = UsageAsNominal_CheckBox->isChecked();
    a.SkipParam = SkipParam_CheckBox->isChecked();
    return ComposeHeaderAnnotation(a);
}

bool TfrmEditAsBaseParam::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && EditAsBaseParamKeyDown(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TfrmEditAsBaseParam::EditAsBaseParamKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    reject();
    return true;
}

void TfrmEditAsBaseParam::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    editas::centreOnScreen(this);
}

void TfrmEditAsBaseParam::done(int result)
{
    if (result == QDialog::Accepted)
        EditAsBaseParamResult = ComposeText();
    QDialog::done(result);
}

int ShowEditAsBaseParam(const QString &Text, QWidget *parent)
{
    TfrmEditAsBaseParam dialog(parent);
    dialog.FillFromText(Text);
    return modal::exec(dialog);
}
