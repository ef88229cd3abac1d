#pragma once
// Lumora's one window: the pin assignment on the left, a clickable
// seven-segment indicator, the code of the lit pattern in five notations and
// a code table as source text.
#include "lumora/SegmCode.h"

#include <QLabel>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace lumora {

// One bar of the indicator; a left click toggles it.
class TSegmPanel : public QLabel {
    Q_OBJECT
public:
    TSegmPanel(const QString &caption, int bit, QWidget *parent);
    int bit() const { return m_bit; }

signals:
    void clicked(int bit);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_bit;
    bool m_pressed = false;
};

// The indicator panel; a right click anywhere in it opens the symbol menu.
class TIndPanel : public QFrame {
    Q_OBJECT
public:
    explicit TIndPanel(QWidget *parent);
    QMenu *menu = nullptr;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);

    static const QColor SegmOnColor;
    static const QColor SegmOffColor;

    quint8 Segments() const { return FSegments; }
    // The assignment, bit order and inversion as the controls show them.
    PinOut CurrentPinOut() const;
    void CenterOnScreen();

    // Handlers; each catches what it throws, so no exception leaves a slot.
    void PinOutDef_ButtonClick();
    void Segm_PanelClick(int bit);
    void SymbolClick(quint8 pattern);
    void ReverseMode_ComboBoxChange();
    void CreateAllResult_ComboBoxChange();
    void LoadOPCfg_ButtonClick();
    void SaveOPCfg_ButtonClick();
    void pmiAboutClick();

    bool PinsToSegmCheck() const;
    quint8 SegmToPinCode(quint8 segments) const;
    void ResultSegmData();

private:
    void FormCreate();
    void SetPinOutDef();
    void DrawSegmState();
    // Sets the selectors from code without running their change handler.
    void SetPinOut(const std::array<int, 8> &pins, int reverseMode);
    void ClearTable();
    void BuildSymbolMenu();

    quint8 FSegments = 0;

    QComboBox *ReverseMode_ComboBox;
    QComboBox *Pin_ComboBox[8];
    QPushButton *PinOutDef_Button;
    QPushButton *LoadOPCfg_Button;
    QPushButton *SaveOPCfg_Button;
    TIndPanel *Ind_Panel;
    TSegmPanel *Segm_Panel[8];
    QCheckBox *Inverse_CheckBox;
    QLineEdit *Result_Int_Edit;
    QLineEdit *Result_HexC_Edit;
    QLineEdit *Result_HexP_Edit;
    QLineEdit *Resilt_BitsC_Edit;
    QLineEdit *Resilt_Bits_Edit;
    QComboBox *CreateAllResult_ComboBox;
    QPlainTextEdit *ResultAll_Memo;
    QMenu *Symbol_PopupMenu;
};

} // namespace lumora
