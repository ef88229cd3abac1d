#include "lumora/ufrmMain.h"

#include "lumora/Bits.h"
#include "lumora/PocFile.h"
#include "lumora/Symbols.h"
#include "ui/ModalSeam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

#include <cerrno>

namespace lumora {

const QColor TfrmMain::SegmOnColor(0, 255, 0);
const QColor TfrmMain::SegmOffColor(0, 64, 0);

namespace {

const char *const kSegmLetters = "ABCDEFGH";

struct SegmPlace {
    int left, top, width, height;
};
// Bars of the figure, A..G then the point, in indicator coordinates.
const SegmPlace kSegmPlaces[8] = {
    {25, 9, 64, 17},   {89, 26, 17, 57}, {89, 100, 17, 57}, {25, 157, 64, 17},
    {8, 100, 17, 57},  {8, 26, 17, 57},  {25, 83, 64, 17},  {112, 152, 17, 25},
};

QFont boldOf(QFont f)
{
    f.setBold(true);
    return f;
}

int errnoOr(int fallback) { return errno != 0 ? errno : fallback; }

} // namespace

// ---------------------------------------------------------------- indicator

TSegmPanel::TSegmPanel(const QString &caption, int bit, QWidget *parent)
    : QLabel(caption, parent), m_bit(bit)
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setFont(boldOf(font()));
    setCursor(Qt::PointingHandCursor);
}

void TSegmPanel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TSegmPanel::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and a release on the same bar.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked(m_bit);
}

TIndPanel::TIndPanel(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}

void TIndPanel::contextMenuEvent(QContextMenuEvent *event)
{
    // The bars ignore the event, so it reaches here from them as well.
    if (menu)
        menu->popup(event->globalPos());
    event->accept();
}

// ---------------------------------------------------------------- window

TfrmMain::TfrmMain(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Lumora (ver 1.1)"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Where Tahoma is missing its condensed look-alike keeps the texts inside
    // the small controls.
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed")});
    f.setPointSize(8);
    setFont(f);
    setFixedSize(697, 233);

    ReverseMode_ComboBox = new QComboBox(this);
    ReverseMode_ComboBox->setObjectName(QStringLiteral("ReverseMode_ComboBox"));
    ReverseMode_ComboBox->addItems({QStringLiteral("Direct pins (0 to 7)"), QStringLiteral("Reverse pins (7 to 0)")});
    ReverseMode_ComboBox->setGeometry(8, 8, 134, 21);
    connect(ReverseMode_ComboBox, &QComboBox::currentIndexChanged, this, [this] { ReverseMode_ComboBoxChange(); });

    const QStringList segmItems{"A", "B", "C", "D", "E", "F", "G", "H (.)"};
    for (int k = 0; k < 8; ++k) {
        auto *panel = new QFrame(this);
        panel->setObjectName(QStringLiteral("Pin%1_Panel").arg(k));
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setGeometry(8, 35 + 24 * k, 134, 24);
        auto *caption = new QLabel(QStringLiteral("  Pin %1").arg(k), panel);
        caption->setFont(boldOf(font()));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        caption->setGeometry(1, 1, 70, 22);
        auto *combo = new QComboBox(panel);
        combo->setObjectName(QStringLiteral("Pin%1_ComboBox").arg(k));
        combo->addItems(segmItems);
        combo->setGeometry(72, 1, 61, 21);
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { ReverseMode_ComboBoxChange(); });
        Pin_ComboBox[k] = combo;
    }

    PinOutDef_Button = new QPushButton(QStringLiteral("Pin cfg def"), this);
    PinOutDef_Button->setObjectName(QStringLiteral("PinOutDef_Button"));
    PinOutDef_Button->setGeometry(154, 202, 65, 25);
    connect(PinOutDef_Button, &QPushButton::clicked, this, [this] { PinOutDef_ButtonClick(); });
    LoadOPCfg_Button = new QPushButton(QStringLiteral("Load"), this);
    LoadOPCfg_Button->setObjectName(QStringLiteral("LoadOPCfg_Button"));
    LoadOPCfg_Button->setGeometry(220, 202, 35, 25);
    connect(LoadOPCfg_Button, &QPushButton::clicked, this, [this] { LoadOPCfg_ButtonClick(); });
    SaveOPCfg_Button = new QPushButton(QStringLiteral("Save"), this);
    SaveOPCfg_Button->setObjectName(QStringLiteral("SaveOPCfg_Button"));
    SaveOPCfg_Button->setGeometry(256, 202, 35, 25);
    connect(SaveOPCfg_Button, &QPushButton::clicked, this, [this] { SaveOPCfg_ButtonClick(); });

    Ind_Panel = new TIndPanel(this);
    Ind_Panel->setObjectName(QStringLiteral("Ind_Panel"));
    Ind_Panel->setGeometry(154, 8, 137, 185);
    for (int k = 0; k < 8; ++k) {
        auto *segm = new TSegmPanel(QString(QLatin1Char(kSegmLetters[k])), k, Ind_Panel);
        segm->setObjectName(QStringLiteral("Segm%1_Panel").arg(QLatin1Char(kSegmLetters[k])));
        const SegmPlace &p = kSegmPlaces[k];
        segm->setGeometry(p.left, p.top, p.width, p.height);
        connect(segm, &TSegmPanel::clicked, this, [this](int bit) { Segm_PanelClick(bit); });
        Segm_Panel[k] = segm;
    }

    Inverse_CheckBox = new QCheckBox(QStringLiteral("Inverse levels"), this);
    Inverse_CheckBox->setObjectName(QStringLiteral("Inverse_CheckBox"));
    Inverse_CheckBox->setGeometry(305, 33, 110, 17);
    connect(Inverse_CheckBox, &QCheckBox::toggled, this, [this] { ReverseMode_ComboBoxChange(); });

    const char *const editNames[5] = {"Result_Int_Edit", "Result_HexC_Edit", "Result_HexP_Edit",
                                      "Resilt_BitsC_Edit", "Resilt_Bits_Edit"};
    const char *const labels[5] = {"Integer", "Hex C style", "Hex Pascal style", "Bits C style", "Bits as text"};
    QLineEdit **edits[5] = {&Result_Int_Edit, &Result_HexC_Edit, &Result_HexP_Edit, &Resilt_BitsC_Edit,
                            &Resilt_Bits_Edit};
    for (int i = 0; i < 5; ++i) {
        const int top = 53 + 27 * i;
        auto *label = new QLabel(QString::fromLatin1(labels[i]), this);
        label->setGeometry(305, top, 84, 21);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(editNames[i]));
        edit->setReadOnly(true);
        edit->setGeometry(391, top, 81, 21);
        label->setBuddy(edit);
        *edits[i] = edit;
    }

    CreateAllResult_ComboBox = new QComboBox(this);
    CreateAllResult_ComboBox->setObjectName(QStringLiteral("CreateAllResult_ComboBox"));
    CreateAllResult_ComboBox->addItems(TableModeNames());
    CreateAllResult_ComboBox->setCurrentIndex(-1);
    // Spans the results as well so that the longest mode text fits.
    CreateAllResult_ComboBox->setGeometry(305, 8, 384, 21);
    connect(CreateAllResult_ComboBox, &QComboBox::currentIndexChanged, this,
            [this] { CreateAllResult_ComboBoxChange(); });

    ResultAll_Memo = new QPlainTextEdit(this);
    ResultAll_Memo->setObjectName(QStringLiteral("ResultAll_Memo"));
    ResultAll_Memo->setReadOnly(true);
    ResultAll_Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ResultAll_Memo->setGeometry(484, 39, 205, 186);

    BuildSymbolMenu();
    FormCreate();
}

void TfrmMain::BuildSymbolMenu()
{
    Symbol_PopupMenu = new QMenu(this);
    Symbol_PopupMenu->setObjectName(QStringLiteral("Symbol_PopupMenu"));
    QMenu *current = nullptr;
    QString currentName;
    for (const SymbolEntry &e : SymbolEntries()) {
        const QString sub = QString::fromUtf8(e.submenu);
        if (!current || sub != currentName) {
            current = Symbol_PopupMenu->addMenu(sub);
            currentName = sub;
        }
        QAction *a = current->addAction(QString::fromUtf8(e.caption));
        a->setObjectName(QString::fromLatin1(e.objectName));
        const quint8 pattern = e.pattern;
        connect(a, &QAction::triggered, this, [this, pattern] { SymbolClick(pattern); });
    }
    QAction *clear = Symbol_PopupMenu->addAction(QStringLiteral("Clear"));
    clear->setObjectName(QStringLiteral("pmiClear"));
    connect(clear, &QAction::triggered, this, [this] { SymbolClick(0x00); });
    QAction *about = Symbol_PopupMenu->addAction(QStringLiteral("About..."));
    about->setObjectName(QStringLiteral("pmiAbout"));
    connect(about, &QAction::triggered, this, [this] { pmiAboutClick(); });
    Ind_Panel->menu = Symbol_PopupMenu;
}

void TfrmMain::CenterOnScreen()
{
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}

PinOut TfrmMain::CurrentPinOut() const
{
    PinOut p;
    for (int k = 0; k < 8; ++k)
        p.pins[k] = Pin_ComboBox[k]->currentIndex();
    p.reverse = ReverseMode_ComboBox->currentIndex() > 0;
    p.inverse = Inverse_CheckBox->isChecked();
    return p;
}

bool TfrmMain::PinsToSegmCheck() const { return lumora::PinsToSegmCheck(CurrentPinOut()); }

quint8 TfrmMain::SegmToPinCode(quint8 segments) const { return lumora::SegmToPinCode(CurrentPinOut(), segments); }

void TfrmMain::ResultSegmData()
{
    const Notations n = ResultTexts(CurrentPinOut(), FSegments);
    Result_Int_Edit->setText(n.integer);
    Result_HexC_Edit->setText(n.hexC);
    Result_HexP_Edit->setText(n.hexP);
    Resilt_BitsC_Edit->setText(n.bitsC);
    Resilt_Bits_Edit->setText(n.bits);
}

void TfrmMain::FormCreate()
{
    SetPinOutDef();
    DrawSegmState();
    ResultSegmData();
}

void TfrmMain::SetPinOut(const std::array<int, 8> &pins, int reverseMode)
{
    for (int k = 0; k < 8; ++k) {
        const QSignalBlocker block(Pin_ComboBox[k]);
        Pin_ComboBox[k]->setCurrentIndex(pins[k]);
    }
    const QSignalBlocker block(ReverseMode_ComboBox);
    ReverseMode_ComboBox->setCurrentIndex(reverseMode);
}

void TfrmMain::SetPinOutDef() { SetPinOut({0, 1, 2, 3, 4, 5, 6, 7}, 0); }

void TfrmMain::DrawSegmState()
{
    for (int k = 0; k < 8; ++k) {
        QPalette p = Segm_Panel[k]->palette();
        const bool lit = MaskIsSet(quint32(FSegments), quint32(1u << k));
        p.setColor(QPalette::Window, lit ? SegmOnColor : SegmOffColor);
        p.setColor(QPalette::WindowText, Qt::black);
        Segm_Panel[k]->setPalette(p);
    }
}

void TfrmMain::ClearTable()
{
    const QSignalBlocker block(CreateAllResult_ComboBox);
    CreateAllResult_ComboBox->setCurrentIndex(-1);
    ResultAll_Memo->clear();
}

void TfrmMain::PinOutDef_ButtonClick()
{
    const PinOut before = CurrentPinOut();
    SetPinOutDef();
    DrawSegmState();
    ResultSegmData();
    // A table built for other settings would now be wrong.
    const PinOut after = CurrentPinOut();
    if (before.pins != after.pins || before.reverse != after.reverse)
        ClearTable();
}

void TfrmMain::Segm_PanelClick(int bit)
{
    FSegments = ToggleMask(FSegments, BitMask(bit));
    DrawSegmState();
    ResultSegmData();
}

void TfrmMain::SymbolClick(quint8 pattern)
{
    FSegments = pattern;
    DrawSegmState();
    ResultSegmData();
}

void TfrmMain::ReverseMode_ComboBoxChange()
{
    ResultSegmData();
    ClearTable();
}

void TfrmMain::CreateAllResult_ComboBoxChange()
{
    const std::optional<QStringList> lines = CodeTableLines(CurrentPinOut(), CreateAllResult_ComboBox->currentIndex());
    if (!lines)
        return;
    // Each line ends with a break, as appended lines do, so the text can be
    // pasted as it stands.
    QString text;
    for (const QString &line : *lines)
        text += line + QLatin1Char('\n');
    ResultAll_Memo->setPlainText(text);
}

namespace {

QString choosePoc(QWidget *parent, const QString &title, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(mode);
    // Neither dialog insists that the file exists nor asks before overwriting:
    // a missing file reads as empty and a save keeps the file's other data.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("poc"));
    dialog.setNameFilters({QStringLiteral("Pinout config (*.poc)"), QStringLiteral("All Files (*)")});
    modal::prepareFileDialog(dialog);
    if (modal::exec(dialog) != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace

void TfrmMain::LoadOPCfg_ButtonClick()
{
    const QString path = choosePoc(this, QStringLiteral("Load pinout config"), QFileDialog::AcceptOpen);
    if (path.isEmpty())
        return;
    std::optional<PocData> data;
    int code = 0;
    try {
        data = LoadPoc(path);
    } catch (const PocFileError &e) {
        code = e.code();
    } catch (const std::exception &) {
        code = errnoOr(ENOMEM);
    }
    if (code != 0) {
        modal::error(this, QStringLiteral("Error"), QStringLiteral("Open file error. Code: %1").arg(code));
        return;
    }
    if (!data) {
        modal::error(this, QStringLiteral("Error"), QStringLiteral("Load data error!"));
        return;
    }
    const PinOut before = CurrentPinOut();
    SetPinOut(data->pins, data->reverseMode != 0 ? 1 : 0);
    // Show the code under the loaded settings at once; a table built for the
    // old settings goes.
    ResultSegmData();
    const PinOut after = CurrentPinOut();
    if (before.pins != after.pins || before.reverse != after.reverse)
        ClearTable();
}

void TfrmMain::SaveOPCfg_ButtonClick()
{
    const QString path = choosePoc(this, QStringLiteral("Save pinout config"), QFileDialog::AcceptSave);
    if (path.isEmpty())
        return;
    PocData data;
    for (int k = 0; k < 8; ++k)
        data.pins[k] = Pin_ComboBox[k]->currentIndex();
    data.reverseMode = ReverseMode_ComboBox->currentIndex();
    int code = 0;
    try {
        SavePoc(path, data);
    } catch (const PocFileError &e) {
        code = e.code();
    } catch (const std::exception &) {
        code = errnoOr(ENOMEM);
    }
    if (code != 0)
        modal::error(this, QStringLiteral("Error"), QStringLiteral("Save file error. Code: %1").arg(code));
}

void TfrmMain::pmiAboutClick()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Lumora"),
                    QStringLiteral("Copyright \u00A9 2026 the Lumora developers\n"
                                   "Lumora is free software, distributed free of charge.\n"
                                   "https://lumora.example.org"),
                    QMessageBox::Ok, this);
    modal::exec(box);
}

} // namespace lumora
