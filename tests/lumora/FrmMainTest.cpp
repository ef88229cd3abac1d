#include "lumora/ufrmMain.h"
#include "lumora/PocFile.h"
#include "support/ScriptedRunner.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <sys/stat.h>

using lumora::TfrmMain;

namespace {

class LumoraWindow : public ::testing::Test {
protected:
    TfrmMain w;

    template <class T>
    T *get(const char *name)
    {
        T *c = w.findChild<T *>(QString::fromLatin1(name));
        if (!c)
            ADD_FAILURE() << "no control " << name;
        return c;
    }
    QComboBox *pin(int k) { return get<QComboBox>(QStringLiteral("Pin%1_ComboBox").arg(k).toLatin1().constData()); }
    QComboBox *reverse() { return get<QComboBox>("ReverseMode_ComboBox"); }
    QComboBox *tableMode() { return get<QComboBox>("CreateAllResult_ComboBox"); }
    QCheckBox *inverse() { return get<QCheckBox>("Inverse_CheckBox"); }
    QPlainTextEdit *memo() { return get<QPlainTextEdit>("ResultAll_Memo"); }
    QWidget *segment(char letter) { return get<QWidget>(QStringLiteral("Segm%1_Panel").arg(letter).toLatin1().constData()); }
    void click(const char *button)
    {
        auto *b = get<QPushButton>(button);
        ASSERT_TRUE(b->isEnabled());
        b->click();
    }
    void trigger(const char *action)
    {
        auto *a = get<QAction>(action);
        ASSERT_TRUE(a->isEnabled());
        a->trigger();
    }
    // The five result fields, in their order.
    QStringList results()
    {
        QStringList r;
        for (const char *n : {"Result_Int_Edit", "Result_HexC_Edit", "Result_HexP_Edit", "Resilt_BitsC_Edit",
                              "Resilt_Bits_Edit"})
            r << get<QLineEdit>(n)->text();
        return r;
    }
    std::array<int, 8> pins()
    {
        std::array<int, 8> p{};
        for (int k = 0; k < 8; ++k)
            p[k] = pin(k)->currentIndex();
        return p;
    }
    bool lit(char letter) { return segment(letter)->palette().color(QPalette::Window) == TfrmMain::SegmOnColor; }
};

const std::array<int, 8> kDefault{0, 1, 2, 3, 4, 5, 6, 7};
const QStringList kDark{"0", "0x00", "$00", "0b00000000", "00000000"};

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Next dialog: an error box with caption "Error"; records it and presses OK.
void thenErrorBox(ScriptedRunner &script)
{
    script.then([](QDialog &d) {
        auto *box = qobject_cast<QMessageBox *>(&d);
        ASSERT_TRUE(box) << d.metaObject()->className();
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
}

} // namespace

TEST_F(LumoraWindow, StartsWithDefaultsAndCodeZero)
{
    EXPECT_EQ(w.windowTitle(), "Lumora (ver 1.1)");
    EXPECT_EQ(w.minimumSize(), QSize(697, 233));
    EXPECT_EQ(w.maximumSize(), QSize(697, 233));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(pins(), kDefault);
    EXPECT_EQ(pin(7)->itemText(7), "H (.)");
    EXPECT_EQ(reverse()->currentText(), "Direct pins (0 to 7)");
    EXPECT_EQ(reverse()->itemText(1), "Reverse pins (7 to 0)");
    EXPECT_FALSE(inverse()->isChecked());
    EXPECT_EQ(tableMode()->currentIndex(), -1);
    EXPECT_EQ(tableMode()->count(), 6);
    EXPECT_TRUE(memo()->toPlainText().isEmpty());
    EXPECT_EQ(w.Segments(), 0);
    EXPECT_EQ(results(), kDark);
    for (char s : QByteArray("ABCDEFGH"))
        EXPECT_FALSE(lit(s)) << s;
    EXPECT_EQ(segment('A')->palette().color(QPalette::Window), QColor(0, 64, 0));
}

TEST_F(LumoraWindow, SegmentClickTogglesAndResultsFollow)
{
    QTest::mouseClick(segment('A'), Qt::LeftButton);
    EXPECT_EQ(w.Segments(), 0x01);
    EXPECT_TRUE(lit('A'));
    EXPECT_EQ(segment('A')->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(results(), QStringList({"1", "0x01", "$01", "0b00000001", "00000001"}));

    for (char s : QByteArray("BDEG"))
        QTest::mouseClick(segment(s), Qt::LeftButton);
    EXPECT_EQ(w.Segments(), 0x5B);
    EXPECT_EQ(results(), QStringList({"91", "0x5B", "$5B", "0b01011011", "01011011"}));

    QTest::mouseClick(segment('A'), Qt::LeftButton);
    EXPECT_FALSE(lit('A'));
    EXPECT_EQ(w.Segments(), 0x5A);
    EXPECT_EQ(results()[0], "90");

    QTest::mouseClick(segment('H'), Qt::RightButton); // opens the menu, toggles nothing
    EXPECT_EQ(w.Segments(), 0x5A);
    for (QMenu *m : w.findChildren<QMenu *>())
        m->close();
}

TEST_F(LumoraWindow, RightClickInTheIndicatorOpensTheSymbolMenu)
{
    auto *menu = get<QMenu>("Symbol_PopupMenu");
    for (const char *where : {"SegmG_Panel", "Ind_Panel"}) {
        QWidget *target = get<QWidget>(where);
        QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(target, &ev);
        EXPECT_TRUE(menu->isVisible()) << where;
        menu->close();
    }
}

TEST_F(LumoraWindow, SymbolMenuSetsEachPatternAndPutsOutThePoint)
{
    auto *menu = get<QMenu>("Symbol_PopupMenu");
    QStringList top;
    for (QAction *a : menu->actions())
        top << a->text();
    EXPECT_EQ(top, QStringList({"Digits", "Letters", "Symbols", "Clear", "About..."}));

    struct Entry {
        const char *action;
        const char *caption;
        quint8 pattern;
    };
    const Entry entries[] = {
        {"pmi0", "0", 0x3F},     {"pmi1", "1", 0x06},     {"pmi2", "2", 0x5B},         {"pmi3", "3", 0x4F},
        {"pmi4", "4", 0x66},     {"pmi5", "5", 0x6D},     {"pmi6", "6", 0x7D},         {"pmi7", "7", 0x07},
        {"pmi8", "8", 0x7F},     {"pmi9", "9", 0x6F},     {"pmiA", "A", 0x77},         {"pmiB", "B", 0x7C},
        {"pmiC", "C", 0x39},     {"pmiD", "D", 0x5E},     {"pmiE", "E", 0x79},         {"pmiF", "F", 0x71},
        {"pmiG", "G", 0x3D},     {"pmiH", "H", 0x76},     {"pmiJ", "J", 0x1E},         {"pmiL", "L", 0x38},
        {"pmiP", "P", 0x73},     {"pmiQ", "Q", 0x67},     {"pmiR", "R", 0x31},         {"pmiT", "T", 0x78},
        {"pmiU", "U", 0x3E},     {"pmiY", "Y", 0x6E},     {"pmiMinus", " -", 0x40},    {"pmiDownMinus", "_", 0x08},
        {"pmiUpMinus", "\u00AF", 0x01}, {"pmiAngle", "\u00B0", 0x63}, {"pmiAngleMin", "'", 0x02},
        {"pmiAngleSec", "\"", 0x22}, {"pmiClear", "Clear", 0x00},
    };
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.action);
        QTest::mouseClick(segment('H'), Qt::LeftButton); // light the point first
        trigger(e.action);
        EXPECT_EQ(get<QAction>(e.action)->text(), QString::fromUtf8(e.caption));
        EXPECT_EQ(w.Segments(), e.pattern);
        EXPECT_FALSE(lit('H'));
        EXPECT_EQ(lit('A'), bool(e.pattern & 0x01));
        EXPECT_EQ(results()[0], QString::number(e.pattern));
    }
    // "I" is one fixed pattern of its own, told apart from "1" and without the point.
    trigger("pmiI");
    EXPECT_NE(w.Segments(), 0x06);
    EXPECT_NE(w.Segments(), 0x00);
    EXPECT_FALSE(w.Segments() & 0x80);
    const quint8 i = w.Segments();
    trigger("pmi8");
    trigger("pmiI");
    EXPECT_EQ(w.Segments(), i);
}

TEST_F(LumoraWindow, TableFollowsModeAndAnySelectorChangeClearsIt)
{
    tableMode()->setCurrentIndex(0);
    const QString table0 = memo()->toPlainText();
    EXPECT_EQ(memo()->document()->blockCount(), 14);
    EXPECT_TRUE(table0.startsWith("unsigned char Lumora[10] =\n{\n  0x3F, // 0\n")) << table0.toStdString();
    EXPECT_TRUE(table0.endsWith("  0x6F // 9\n};\n")) << table0.toStdString();
    tableMode()->setCurrentIndex(3);
    EXPECT_EQ(memo()->document()->blockCount(), 20);
    EXPECT_TRUE(memo()->toPlainText().endsWith("  0x71 // F\n};\n"));

    // The pattern being edited plays no part in the table.
    trigger("pmi2");
    tableMode()->setCurrentIndex(0);
    EXPECT_EQ(memo()->toPlainText(), table0);

    struct Change {
        const char *name;
        std::function<void()> act;
    };
    const Change changes[] = {
        {"pin selector", [&] { pin(3)->setCurrentIndex(5); }},
        {"bit order", [&] { reverse()->setCurrentIndex(1); }},
        {"inverse click", [&] { QTest::mouseClick(inverse(), Qt::LeftButton, {}, QPoint(5, 8)); }},
    };
    for (const Change &c : changes) {
        SCOPED_TRACE(c.name);
        w.PinOutDef_ButtonClick();
        tableMode()->setCurrentIndex(1);
        ASSERT_FALSE(memo()->toPlainText().isEmpty());
        c.act();
        EXPECT_EQ(tableMode()->currentIndex(), -1);
        EXPECT_TRUE(memo()->toPlainText().isEmpty());
    }
    // Inversion now on, bit order reversed (Pin cfg def set it back only before the last change).
    EXPECT_TRUE(inverse()->isChecked());
    // Choosing the mode again rebuilds under the new settings.
    tableMode()->setCurrentIndex(2);
    EXPECT_TRUE(memo()->toPlainText().contains("  $C0, // 0\n  $F9, // 1\n  $A4, // 2\n"))
        << memo()->toPlainText().toStdString();
}

TEST_F(LumoraWindow, RepeatedSegmentEmptiesResultsAndRefusesTables)
{
    trigger("pmi2");
    pin(1)->setCurrentIndex(0); // pins 0 and 1 both on A
    EXPECT_EQ(results(), QStringList({"", "", "", "", ""}));
    tableMode()->setCurrentIndex(3);
    EXPECT_TRUE(memo()->toPlainText().isEmpty());

    pin(0)->setCurrentIndex(1); // swapped pair: usable again
    EXPECT_EQ(results(), QStringList({"91", "0x5B", "$5B", "0b01011011", "01011011"}));
    tableMode()->setCurrentIndex(0);
    EXPECT_TRUE(memo()->toPlainText().contains("  0x05, // 1\n")) << memo()->toPlainText().toStdString();
}

TEST_F(LumoraWindow, PinCfgDefRestoresPinsButKeepsInversion)
{
    inverse()->setChecked(true);
    EXPECT_EQ(results()[0], "255");
    pin(0)->setCurrentIndex(7);
    pin(7)->setCurrentIndex(0);
    reverse()->setCurrentIndex(1);
    trigger("pmi1");
    tableMode()->setCurrentIndex(0);
    ASSERT_FALSE(memo()->toPlainText().isEmpty());

    click("PinOutDef_Button");
    EXPECT_EQ(pins(), kDefault);
    EXPECT_EQ(reverse()->currentIndex(), 0);
    EXPECT_TRUE(inverse()->isChecked());
    EXPECT_EQ(w.Segments(), 0x06);
    EXPECT_EQ(results(), QStringList({"249", "0xF9", "$F9", "0b11111001", "11111001"}));
    // The table was built for the old pins.
    EXPECT_EQ(tableMode()->currentIndex(), -1);
    EXPECT_TRUE(memo()->toPlainText().isEmpty());

    // Nothing changes when the pins are default already: the table stays.
    tableMode()->setCurrentIndex(2);
    const QString table = memo()->toPlainText();
    click("PinOutDef_Button");
    EXPECT_EQ(tableMode()->currentIndex(), 2);
    EXPECT_EQ(memo()->toPlainText(), table);
}

TEST_F(LumoraWindow, SaveAndLoadRoundTrip)
{
    QTemporaryDir dir;
    const std::array<int, 8> custom{1, 2, 0, 3, 4, 5, 7, 6};
    for (int k = 0; k < 8; ++k)
        pin(k)->setCurrentIndex(custom[k]);
    reverse()->setCurrentIndex(1);
    {
        ScriptedRunner script;
        script.thenFile(dir.filePath("board")); // the default extension is added
        click("SaveOPCfg_Button");
        EXPECT_EQ(script.seen(), QStringList({"Save pinout config"}));
    }
    const QString path = dir.filePath("board.poc");
    EXPECT_EQ(readBytes(path), "[LMPOC]\nPIN0=1\nPIN1=2\nPIN2=0\nPIN3=3\nPIN4=4\nPIN5=5\nPIN6=7\nPIN7=6\nRM=1\n");

    click("PinOutDef_Button");
    trigger("pmiA");
    tableMode()->setCurrentIndex(0);
    {
        ScriptedRunner script;
        script.thenFile(path);
        click("LoadOPCfg_Button");
        EXPECT_EQ(script.seen(), QStringList({"Load pinout config"}));
    }
    EXPECT_EQ(pins(), custom);
    EXPECT_EQ(reverse()->currentIndex(), 1);
    // A load shows the code under the loaded pins at once and drops the old table.
    // A (bit 0 -> 1), B (1 -> 2), C (2 -> 0), E, F, G (6 -> 7) = 0xB7, reversed 0xED.
    EXPECT_EQ(results(), QStringList({"237", "0xED", "$ED", "0b11101101", "11101101"}));
    EXPECT_EQ(tableMode()->currentIndex(), -1);
    EXPECT_TRUE(memo()->toPlainText().isEmpty());

    // Cancelling either dialog changes nothing and shows nothing else.
    ScriptedRunner script;
    script.thenEscape();
    script.thenEscape();
    click("LoadOPCfg_Button");
    click("SaveOPCfg_Button");
    EXPECT_EQ(pins(), custom);
    EXPECT_EQ(script.seen(), QStringList({"Load pinout config", "Save pinout config"}));
}

TEST_F(LumoraWindow, RmTwoLoadsReversedAndSavesAsOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("rm.poc");
    writeBytes(path, "[LMPOC]\nPIN0=0\nPIN1=1\nPIN2=2\nPIN3=259\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\nRM=2\n");
    ScriptedRunner script;
    script.thenFile(path);
    script.thenFile(path);
    click("LoadOPCfg_Button");
    EXPECT_EQ(pins(), kDefault);
    EXPECT_EQ(reverse()->currentIndex(), 1);
    click("SaveOPCfg_Button");
    EXPECT_TRUE(readBytes(path).contains("PIN3=3\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\nRM=1\n")) << readBytes(path).constData();
}

TEST_F(LumoraWindow, BadFilesShowTheirMessageAndChangeNothing)
{
    QTemporaryDir dir;
    const QByteArray good = "PIN0=0\nPIN1=1\nPIN2=2\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n";
    struct Case {
        const char *name;
        std::optional<QByteArray> content; // nullopt: the name does not exist
        const char *message;
    };
    QByteArray big = "[LMPOC]\n" + good;
    big += QByteArray(int(lumora::kPocMaxFileSize), '#');
    const Case cases[] = {
        {"pin3 missing", "[LMPOC]\nPIN3=\n" + good, "Error|Load data error!"},
        {"pin3 8", "[LMPOC]\nPIN3=8\n" + good, "Error|Load data error!"},
        {"pin3 -1", "[LMPOC]\nPIN3=-1\n" + good, "Error|Load data error!"},
        {"pin3 abc", "[LMPOC]\nPIN3=abc\n" + good, "Error|Load data error!"},
        {"no section", "[Pins]\nPIN3=3\n" + good, "Error|Load data error!"},
        {"empty", QByteArray(), "Error|Load data error!"},
        {"junk", QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00\x00[LMPOC]\nPIN0=0", 25), "Error|Load data error!"},
        {"does not exist", std::nullopt, "Error|Load data error!"},
        {"too large", big, "Error|Open file error. Code: 27"},
    };
    // A state that is not the default, with a table shown.
    pin(0)->setCurrentIndex(1);
    pin(1)->setCurrentIndex(0);
    inverse()->setChecked(true);
    trigger("pmi4");
    tableMode()->setCurrentIndex(4);
    const auto before = pins();
    const QStringList resultsBefore = results();
    const QString tableBefore = memo()->toPlainText();
    ASSERT_FALSE(tableBefore.isEmpty());

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("case_%1.poc").arg(QString::fromLatin1(c.name).replace(' ', '_')));
        if (c.content)
            writeBytes(path, *c.content);
        ScriptedRunner script;
        script.thenFile(path);
        thenErrorBox(script);
        click("LoadOPCfg_Button");
        EXPECT_EQ(script.seen(), QStringList({"Load pinout config", c.message}));
        EXPECT_EQ(pins(), before);
        EXPECT_EQ(reverse()->currentIndex(), 0);
        EXPECT_EQ(results(), resultsBefore);
        EXPECT_EQ(tableMode()->currentIndex(), 4);
        EXPECT_EQ(memo()->toPlainText(), tableBefore);
    }
}

TEST_F(LumoraWindow, FailedSaveShowsTheSystemCodeAndKeepsTheFile)
{
    QTemporaryDir dir;
    // The saver's temporary name would be too long for the file system.
    const QString path = dir.filePath(QString(246, 'p') + ".poc");
    const QByteArray old = "[LMPOC]\nPIN0=7\n[Other]\nx=1\n";
    writeBytes(path, old);
    ScriptedRunner script;
    script.thenFile(path);
    thenErrorBox(script);
    click("SaveOPCfg_Button");
    EXPECT_EQ(script.seen(), QStringList({"Save pinout config", "Error|Save file error. Code: 36"}));
    EXPECT_EQ(readBytes(path), old);
}

TEST_F(LumoraWindow, AboutBox)
{
    ScriptedRunner script;
    script.then([](QDialog &d) {
        auto *box = qobject_cast<QMessageBox *>(&d);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->windowTitle(), "About Lumora");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->text().split('\n').size(), 3);
        box->button(QMessageBox::Ok)->click();
    });
    trigger("pmiAbout");
    EXPECT_EQ(script.seen().size(), 1);
}
