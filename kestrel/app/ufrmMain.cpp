#include "app/ufrmMain.h"

#include "app/OperationLog.h"
#include "app/ufrmSetup.h"
#include "common/KException.h"
#include "db/uDBCh.h"
#include "db/ufrmSelectClass.h"
#include "sheet/SheetGridView.h"
#include "sheet/ufrmEditAsBaseParam.h"
#include "sheet/ufrmEditAsParam.h"
#include "sheet/ufrmSelectPage.h"
#include "ui/ModalSeam.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

static void initKestrelResources() { Q_INIT_RESOURCE(kestrel); }


void LoadImageListFromResource(TImageList *list, int resource)
{
    if (!list)
        return;
    list->images.clear();
    const QImage sheet(QStringLiteral(":/res/%1").arg(resource));
    if (sheet.isNull() || list->width <= 0 || list->height <= 0)
        return;
    const int w = list->width, h = list->height;
    const int cols = sheet.width() / w, rows = sheet.height() / h;
    if (cols == 0 || rows == 0)
        return;
    const QRgb transparent = sheet.pixel(0, 0);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            QImage tile = sheet.copy(c * w, r * h, w, h).convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < h; ++y) {
                auto *line = reinterpret_cast<QRgb *>(tile.scanLine(y));
                for (int x = 0; x < w; ++x) {
                    if ((line[x] & 0xFFFFFF) == (transparent & 0xFFFFFF))
                        line[x] = 0;
                }
            }
            list->images.append(QPixmap::fromImage(tile));
        }
    }
}

TfrmMain::TfrmMain(const QString &programFolderOverride, QWidget *parent)
    : QMainWindow(parent)
{
    initKestrelResources();
    setObjectName("frmMain");
    setWindowTitle("Kestrel");

    FSettings.ProgramFolder = programFolderOverride.isEmpty() ? programFolder() : programFolderOverride;
    if (!FSettings.ProgramFolder.endsWith(QLatin1Char('/')))
        FSettings.ProgramFolder += QLatin1Char('/');
    FToolMode = false;
    FBaseParamList.SetOnRemoveItem([this](TDataList *s, void *d) { ListRemoveItem(s, d); });
    FElementTypeList.SetOnRemoveItem([this](TDataList *s, void *d) { ListRemoveItem(s, d); });
    LoadImageListFromResource(&FToolImages, 1000);
    LoadImageListFromResource(&FLogImages, 1001);
    setWindowIcon(QIcon(QStringLiteral(":/res/2000")));
    FActiveCellPos = QPoint(0, 0);
    FSettings.LoadSettings();

    FLog = new TOperationLog(this);
    FLog->setIcons(FLogImages.images);

    buildActions();
    buildToolBar();
    buildMenus();
    buildPages();
    buildStatusBar();

    for (const char *name : {"pmiCaseImport", "mmiCaseImport"})
        findChild<QAction *>(name)->setVisible(FSettings.SysImportEnable);

    StatusPanels[2]->setText(QStringLiteral("Ver: %1 (%2); DB Ver: %3.%4.%5")
                                 .arg(KestrelVersion, KestrelBuildStamp)
                                 .arg(SupportedMajorVersion)
                                 .arg(SupportedMinorVersion)
                                 .arg(SupportedBuildVersion));

    // Client area 952 x 753, centred; never smaller than 600 x 400.
    setMinimumSize(600, 400);
    resize(952, 753);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - rect().center());
    }
}

TfrmMain::~TfrmMain()
{
    FSettings.SaveSettings();
    // The lists release their records through ListRemoveItem, which must run
    // while the window still exists.
    FBaseParamList.Clear();
    FElementTypeList.Clear();
}

void TfrmMain::ListRemoveItem(TDataList *, void *itemData)
{
    delete static_cast<TDataListRecord *>(itemData);
}

QAction *TfrmMain::makeAction(const char *name, const QString &caption, int image, void (TfrmMain::*handler)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    if (image >= 0 && image < FToolImages.images.size())
        action->setIcon(QIcon(FToolImages.images[image]));
    if (handler)
        connect(action, &QAction::triggered, this, handler);
    return action;
}

QToolButton *TfrmMain::makeButton(const char *name, const QString &caption, int image, void (TfrmMain::*handler)())
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(16, 16));
    if (image >= 0 && image < FToolImages.images.size())
        button->setIcon(QIcon(FToolImages.images[image]));
    button->setAutoRaise(true);
    button->setMinimumHeight(36);
    if (handler)
        connect(button, &QToolButton::clicked, this, handler);
    return button;
}

void TfrmMain::buildActions()
{
    // Main menu entries.
    makeAction("mmiConnect", tr("&Connect..."), 0, &TfrmMain::Connect_ToolButtonClick);
    makeAction("mmiDisconnect", tr("&Disconnect"), 1, &TfrmMain::Disconnect_ToolButtonClick)->setEnabled(false);
    makeAction("mmiOpenXLS", tr("&Open XLS..."), 2, &TfrmMain::OpenXLS_ToolButtonClick);
    makeAction("mmiSaveXLS", tr("Save XLS..."), 3, &TfrmMain::SaveXLS_ToolButtonClick);
    makeAction("mmiSelectPage", tr("Select Page..."), 11, &TfrmMain::SelectPage_ToolButtonClick);
    makeAction("mmiOptions", tr("&Options"), -1, &TfrmMain::Options_ToolButtonClick);
    makeAction("mmiElementTypeImport", tr("&Element Type Import"), 6, &TfrmMain::pmiElementTypeImportClick);
    makeAction("mmiPinImport", tr("&Pin Import"), 6, &TfrmMain::pmiPinImportClick);
    makeAction("mmiMultiplePinImport", tr("&Multiple Pin Import"), 6, nullptr);
    makeAction("mmiElementTypeList", tr("&Element Type List..."), -1, &TfrmMain::pmiElementTypeListClick);
    makeAction("mmiCaseImport", tr("&Case Import"), 6, &TfrmMain::pmiCaseImportClick);
    makeAction("mmiSetPinTypeonName", tr("Set Pin Type on Name..."), -1, &TfrmMain::mmiSetPinTypeonNameClick);
    makeAction("mmiVerificationPinsforETinSelectClass", tr("Verification Pins for ET in Select Class"), -1,
               &TfrmMain::mmiVerificationPinsforETinSelectClassClick);
    makeAction("mmiTableMode", tr("Table Mode"), 7, &TfrmMain::Table_ToolButtonClick);
    makeAction("mmiLogMode", tr("Log Mode"), 8, &TfrmMain::Table_ToolButtonClick);
    makeAction("mmiSaveFullLog", tr("Save &Full Log..."), 9, &TfrmMain::SaveFullLog1Click);
    makeAction("mmiSaveEasyLog", tr("Save &Easy Log..."), 9, &TfrmMain::SaveEasyLog1Click);

    // Popup menu entries.
    makeAction("pmiFastReplace", tr("&Fast Replace..."), -1, &TfrmMain::pmiFastReplaceClick);
    makeAction("pmiReplaceTemplate", tr("Replace &Template..."), -1, nullptr)->setEnabled(false);
    makeAction("pmiStringFunct", tr("&String Functions"), -1, nullptr);
    makeAction("pmiExplodeColumn", tr("Explode Column..."), -1, &TfrmMain::pmiExplodeColumnClick);
    makeAction("pmiExtractParam", tr("Extract Param..."), -1, &TfrmMain::pmiExtractParamClick);
    makeAction("pmiConvertsSetValueToRange", tr("Convert set value to range..."), -1,
               &TfrmMain::pmiConvertsSetValueToRangeClick);
    makeAction("pmiSpecialFunct", tr("S&pecial Functions"), -1, nullptr);
    makeAction("pmiDublicateEmptyStrfromUpCells", tr("Dublicate Empty String from Up Cells"), -1,
               &TfrmMain::pmiDublicateEmptyStrfromUpCellsClick);
    makeAction("pmiDeleteElementTypesFromList", tr("&Delete Element Types from List..."), -1,
               &TfrmMain::pmiDeleteElementTypesFromListClick);
    makeAction("pmiUpdateDataOnExist", tr("Update Data On Exist..."), -1, &TfrmMain::pmiUpdateDataOnExistClick);
    makeAction("pmiElementTypeImport", tr("&Element Type Import"), -1, &TfrmMain::pmiElementTypeImportClick);
    makeAction("pmiPinImport", tr("&Pin Import"), -1, &TfrmMain::pmiPinImportClick);
    makeAction("pmiMultiplePinImport", tr("&Multiple Pin Import"), -1, nullptr);
    makeAction("pmiElementTypeList", tr("&Element Type List..."), -1, &TfrmMain::pmiElementTypeListClick);
    makeAction("pmiCaseImport", tr("&Case Import"), -1, &TfrmMain::pmiCaseImportClick);
    makeAction("SaveFullLog1", tr("Save &Full Log..."), -1, &TfrmMain::SaveFullLog1Click);
    makeAction("SaveEasyLog1", tr("Save &Easy Log..."), -1, &TfrmMain::SaveEasyLog1Click);
    makeAction("pmiEditAsBaseParam", tr("Edit As &BaseParam..."), -1, &TfrmMain::pmiEditAsBaseParamClick);
    makeAction("pmiEditAsParam", tr("Edit As &Param..."), -1, &TfrmMain::pmiEditAsParamClick);
    makeAction("pmiReplaceColTemplates", tr("&Replace Column Templates"), -1, &TfrmMain::pmiReplaceColTemplatesClick);
    makeAction("pmiGroupSV", tr("Group set values and test conditions"), -1, &TfrmMain::pmiGroupSVClick);

    for (const QString &name : classCommands())
        findChild<QAction *>(name)->setEnabled(false);
    for (const char *name : {"pmiCaseImport", "mmiCaseImport", "pmiEditAsBaseParam", "pmiEditAsParam", "pmiGroupSV"})
        findChild<QAction *>(name)->setEnabled(false);
}

void TfrmMain::buildMenus()
{
    auto act = [this](const char *name) { return findChild<QAction *>(name); };
    // Submenus are entries that hold other entries; their action carries the
    // name, caption, image and enabled state.
    auto submenu = [this, &act](QMenu *parentMenu, const char *name, const QStringList &entries) {
        QAction *a = act(name);
        auto *m = new QMenu(a->text(), this);
        for (const QString &e : entries)
            m->addAction(act(e.toLatin1().constData()));
        a->setMenu(m);
        parentMenu->addAction(a);
        return m;
    };

    QMenuBar *bar = menuBar();
    bar->setObjectName("MainMenu");
    QMenu *db = bar->addMenu(tr("&DataBase"));
    db->addAction(act("mmiConnect"));
    db->addAction(act("mmiDisconnect"));
    QMenu *table = bar->addMenu(tr("&Table"));
    table->addAction(act("mmiOpenXLS"));
    table->addAction(act("mmiSaveXLS"));
    table->addSeparator();
    table->addAction(act("mmiSelectPage"));
    bar->addAction(act("mmiOptions"));
    QMenu *import = bar->addMenu(tr("&Import"));
    import->addAction(act("mmiElementTypeImport"));
    import->addAction(act("mmiPinImport"));
    submenu(import, "mmiMultiplePinImport", {"mmiElementTypeList"});
    import->addAction(act("mmiCaseImport"));
    QMenu *update = bar->addMenu(tr("&Update"));
    update->addAction(act("mmiSetPinTypeonName"));
    QMenu *verify = bar->addMenu(tr("&Verification"));
    verify->addAction(act("mmiVerificationPinsforETinSelectClass"));
    QMenu *mode = bar->addMenu(tr("&Mode"));
    mode->addAction(act("mmiTableMode"));
    mode->addAction(act("mmiLogMode"));
    QMenu *saveLog = bar->addMenu(tr("&Save Log"));
    saveLog->addAction(act("mmiSaveFullLog"));
    saveLog->addAction(act("mmiSaveEasyLog"));

    Replace_PopupMenu = new QMenu(this);
    Replace_PopupMenu->setObjectName("Replace_PopupMenu");
    Replace_PopupMenu->addAction(act("pmiFastReplace"));
    Replace_PopupMenu->addAction(act("pmiReplaceTemplate"));

    AddFunc_PopupMenu = new QMenu(this);
    AddFunc_PopupMenu->setObjectName("AddFunc_PopupMenu");
    submenu(AddFunc_PopupMenu, "pmiStringFunct",
            {"pmiExplodeColumn", "pmiExtractParam", "pmiConvertsSetValueToRange"});
    submenu(AddFunc_PopupMenu, "pmiSpecialFunct",
            {"pmiDublicateEmptyStrfromUpCells", "pmiDeleteElementTypesFromList", "pmiUpdateDataOnExist"});

    Import_PopupMenu = new QMenu(this);
    Import_PopupMenu->setObjectName("Import_PopupMenu");
    Import_PopupMenu->addAction(act("pmiElementTypeImport"));
    Import_PopupMenu->addAction(act("pmiPinImport"));
    submenu(Import_PopupMenu, "pmiMultiplePinImport", {"pmiElementTypeList"});
    Import_PopupMenu->addAction(act("pmiCaseImport"));
    Import_PopupMenu->addSeparator();

    SaveLog_PopupMenu = new QMenu(this);
    SaveLog_PopupMenu->setObjectName("SaveLog_PopupMenu");
    SaveLog_PopupMenu->addAction(act("SaveFullLog1"));
    SaveLog_PopupMenu->addAction(act("SaveEasyLog1"));

    EditCells_PopupMenu = new QMenu(this);
    EditCells_PopupMenu->setObjectName("EditCells_PopupMenu");
    EditCells_PopupMenu->addAction(act("pmiEditAsBaseParam"));
    EditCells_PopupMenu->addAction(act("pmiEditAsParam"));
    EditCells_PopupMenu->addSeparator();
    EditCells_PopupMenu->addAction(act("pmiReplaceColTemplates"));
    EditCells_PopupMenu->addSeparator();
    EditCells_PopupMenu->addAction(act("pmiGroupSV"));

    Replace_ToolButton->setMenu(Replace_PopupMenu);
    AddFunc_ToolButton->setMenu(AddFunc_PopupMenu);
    Import_ToolButton->setMenu(Import_PopupMenu);
    SaveLog_ToolButton->setMenu(SaveLog_PopupMenu);
}

void TfrmMain::buildToolBar()
{
    MainToolBar = addToolBar(tr("Tools"));
    MainToolBar->setObjectName("MainToolBar");
    MainToolBar->setMovable(false);
    MainToolBar->setFloatable(false);
    MainToolBar->setIconSize(QSize(16, 16));
    MainToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    MainToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    MainToolBar->layout()->setSpacing(1);

    auto separator = [this] { MainToolBar->addSeparator(); };
    // Small captions keep all fourteen buttons on one row at the window's
    // start width.
    QFont small = MainToolBar->font();
    small.setPointSizeF(small.pointSizeF() * 0.78);
    auto add = [this, small](QToolButton *b) {
        b->setFont(small);
        b->setStyleSheet(QStringLiteral("QToolButton { padding: 1px 1px; }"));
        // Each button as wide as its caption; drop-downs add their arrow.
        const int arrow = b->popupMode() == QToolButton::MenuButtonPopup ? 12 : 0;
        b->setFixedWidth(std::max(QFontMetrics(small).horizontalAdvance(b->text()) + 8, 36) + arrow);
        MainToolBar->addWidget(b);
        return b;
    };
    Connect_ToolButton = add(makeButton("Connect_ToolButton", tr("Connect DB"), 0, &TfrmMain::Connect_ToolButtonClick));
    Disconnect_ToolButton =
        add(makeButton("Disconnect_ToolButton", tr("Disconnect DB"), 1, &TfrmMain::Disconnect_ToolButtonClick));
    Disconnect_ToolButton->setEnabled(false);
    separator();
    OpenXLS_ToolButton = add(makeButton("OpenXLS_ToolButton", tr("Open XLS"), 2, &TfrmMain::OpenXLS_ToolButtonClick));
    SaveXLS_ToolButton = add(makeButton("SaveXLS_ToolButton", tr("Save XLS"), 3, &TfrmMain::SaveXLS_ToolButtonClick));
    separator();
    SelectClass_ToolButton =
        add(makeButton("SelectClass_ToolButton", tr("Sel. Class"), 4, &TfrmMain::SelectClass_ToolButtonClick));
    SelectClass_ToolButton->setToolTip(tr("Select class to import"));
    SelectClass_ToolButton->setEnabled(false);
    CreatePattern_ToolButton =
        add(makeButton("CreatePattern_ToolButton", tr("Create Patt."), 5, &TfrmMain::CreatePattern_ToolButtonClick));
    CreatePattern_ToolButton->setEnabled(false);
    Replace_ToolButton = makeButton("Replace_ToolButton", tr("Replace"), 12, &TfrmMain::Replace_ToolButtonClick);
    AddFunc_ToolButton = makeButton("AddFunc_ToolButton", tr("Add. Funct."), 13, &TfrmMain::AddFunc_ToolButtonClick);
    Options_ToolButton = makeButton("Options_ToolButton", tr("Options"), 10, &TfrmMain::Options_ToolButtonClick);
    Import_ToolButton = makeButton("Import_ToolButton", tr("Import"), 6, &TfrmMain::Import_ToolButtonClick);
    Import_ToolButton->setEnabled(false);
    SelectPage_ToolButton =
        makeButton("SelectPage_ToolButton", tr("Sel. Page"), 11, &TfrmMain::SelectPage_ToolButtonClick);
    Table_ToolButton = makeButton("Table_ToolButton", tr("Table Mode"), 7, &TfrmMain::Table_ToolButtonClick);
    Log_ToolButton = makeButton("Log_ToolButton", tr("Log Mode"), 8, &TfrmMain::Table_ToolButtonClick);
    SaveLog_ToolButton = makeButton("SaveLog_ToolButton", tr("Save Log"), 9, &TfrmMain::SaveLog_ToolButtonClick);
    // Drop-down buttons: the arrow opens the menu; the face runs the handler,
    // which opens the same menu at the button's lower left corner.
    for (QToolButton *b : {Replace_ToolButton, AddFunc_ToolButton, Import_ToolButton, SaveLog_ToolButton})
        b->setPopupMode(QToolButton::MenuButtonPopup);
    Table_ToolButton->setCheckable(true);
    Log_ToolButton->setCheckable(true);
    // The handler decides the pressed state, not the click.
    for (QToolButton *b : {Table_ToolButton, Log_ToolButton})
        connect(b, &QToolButton::toggled, this, [this] {
            Table_ToolButton->setChecked(!FToolMode);
            Log_ToolButton->setChecked(FToolMode);
        });
    Table_ToolButton->setChecked(true);

    add(Replace_ToolButton);
    add(AddFunc_ToolButton);
    separator();
    add(Options_ToolButton);
    separator();
    add(Import_ToolButton);
    separator();
    add(SelectPage_ToolButton);
    separator();
    add(Table_ToolButton);
    add(Log_ToolButton);
    separator();
    add(SaveLog_ToolButton);
}

void TfrmMain::buildPages()
{
    MainPagesNotebook = new QStackedWidget(this);
    MainPagesNotebook->setObjectName("MainPagesNotebook");

    auto *tablePage = new QWidget(MainPagesNotebook);
    tablePage->setObjectName("TABLE");
    auto *tableLayout = new QVBoxLayout(tablePage);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    MainSpreadSheetBookSplitter = new QSplitter(Qt::Vertical, tablePage);
    MainSpreadSheetBookSplitter->setObjectName("MainSpreadSheetBookSplitter");
    MainSpreadSheetBookSplitter->setHandleWidth(3);
    MainSpreadSheetBookSplitter->setChildrenCollapsible(false);
    MainSpreadSheetBookMemo = new QPlainTextEdit(MainSpreadSheetBookSplitter);
    MainSpreadSheetBookMemo->setObjectName("MainSpreadSheetBookMemo");
    MainSpreadSheetBookMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MainSpreadSheetBookMemo->setMinimumHeight(25);
    MainSpreadSheetBook = new SheetGridView(FWorkbook, MainSpreadSheetBookSplitter);
    connect(MainSpreadSheetBook, &SheetGridView::selectionSet, this, &TfrmMain::MainSpreadSheetBookSetSelection);
    connect(MainSpreadSheetBookMemo, &QPlainTextEdit::textChanged, this,
            &TfrmMain::MainSpreadSheetBookMemoPropertiesChange);
    connect(FWorkbook, &Workbook::cellChanged, this, &TfrmMain::onWorkbookCellChanged);
    MainSpreadSheetBook->setObjectName("MainSpreadSheetBook");
    MainSpreadSheetBook->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MainSpreadSheetBook, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { EditCells_PopupMenu->popup(MainSpreadSheetBook->viewport()->mapToGlobal(p)); });
    MainSpreadSheetBookSplitter->addWidget(MainSpreadSheetBookMemo);
    MainSpreadSheetBookSplitter->addWidget(MainSpreadSheetBook);
    MainSpreadSheetBookSplitter->setStretchFactor(0, 0);
    MainSpreadSheetBookSplitter->setStretchFactor(1, 1);
    MainSpreadSheetBookSplitter->setSizes({25, 700});
    tableLayout->addWidget(MainSpreadSheetBookSplitter);

    auto *logPage = new QWidget(MainPagesNotebook);
    logPage->setObjectName("LOG");
    auto *logLayout = new QVBoxLayout(logPage);
    logLayout->setContentsMargins(0, 0, 0, 0);
    Log_ListView = new QTreeView(logPage);
    Log_ListView->setObjectName("Log_ListView");
    Log_ListView->setRootIsDecorated(false);
    Log_ListView->setUniformRowHeights(true);
    Log_ListView->setAlternatingRowColors(true);
    Log_ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    Log_ListView->setSelectionMode(QAbstractItemView::SingleSelection);
    Log_ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Log_ListView->setIconSize(QSize(16, 16));
    Log_ListView->setModel(FLog);
    Log_ListView->setColumnWidth(0, 100);
    Log_ListView->setColumnWidth(1, 120);
    Log_ListView->setColumnWidth(2, 50);
    Log_ListView->setColumnWidth(3, 500);
    logLayout->addWidget(Log_ListView);

    MainPagesNotebook->addWidget(tablePage);
    MainPagesNotebook->addWidget(logPage);
    MainPagesNotebook->setCurrentIndex(0);
    setCentralWidget(MainPagesNotebook);
}

void TfrmMain::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName("MainStatusBar");
    bar->setSizeGripEnabled(true);
    const int widths[3] = {300, 360, 0};
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // File and class names are shown as typed, never as markup.
        panel->setTextFormat(Qt::PlainText);
        panel->setContentsMargins(4, 0, 4, 0);
        if (widths[i] > 0) {
            panel->setFixedWidth(widths[i]);
            panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            bar->addWidget(panel);
        } else {
            bar->addWidget(panel, 1);
        }
        StatusPanels[i] = panel;
    }
}

void TfrmMain::AddLog(int kind, int position, const QString &text) { FLog->AddLog(kind, position, text); }

void TfrmMain::SwitchToolMode(bool mode)
{
    FToolMode = mode;
    MainPagesNotebook->setCurrentIndex(mode ? 1 : 0);
    Table_ToolButton->setChecked(!mode);
    Log_ToolButton->setChecked(mode);
    applyCommandEvent(CommandEvent::ToolModeChanged);
}

void TfrmMain::Table_ToolButtonClick() { SwitchToolMode(!FToolMode); }

bool TfrmMain::dbConnected() const { return FCatalogue.connected(); }

void TfrmMain::applyCommandEvent(CommandEvent event)
{
    CommandContext ctx;
    ctx.connected = dbConnected();
    ctx.classSelected = FSelectClass;
    ctx.toolMode = FToolMode;
    ctx.column = FActiveCellPos.x();
    ctx.row = FActiveCellPos.y();
    for (const auto &[name, on] : commandStates(event, ctx)) {
        if (auto *action = findChild<QAction *>(name))
            action->setEnabled(on);
        else if (auto *button = findChild<QToolButton *>(name))
            button->setEnabled(on);
        else
            qWarning("command %s not found", qPrintable(name));
    }
}

void TfrmMain::popupAtButton(QToolButton *button, QMenu *menu)
{
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TfrmMain::Replace_ToolButtonClick() { popupAtButton(Replace_ToolButton, Replace_PopupMenu); }
void TfrmMain::AddFunc_ToolButtonClick() { popupAtButton(AddFunc_ToolButton, AddFunc_PopupMenu); }
void TfrmMain::Import_ToolButtonClick() { popupAtButton(Import_ToolButton, Import_PopupMenu); }
void TfrmMain::SaveLog_ToolButtonClick() { popupAtButton(SaveLog_ToolButton, SaveLog_PopupMenu); }

QString TfrmMain::runFileDialog(bool save, const QString &title, const QString &folder, const QString &filter,
                                const QString &defaultSuffix, QString &lastName)
{
    QFileDialog dialog(this, title, folder, filter);
    dialog.setObjectName(save ? "SaveDialog" : "OpenDialog");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save)
        dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setSizeGripEnabled(true);
    if (!lastName.isEmpty())
        dialog.selectFile(lastName);
    const QString file = modal::chooseFile(dialog);
    if (!file.isEmpty())
        lastName = QFileInfo(file).fileName();
    return file;
}

QString TfrmMain::runSaveDialog(const QString &title, const QString &folder, const QString &defaultSuffix,
                                const QString &filter)
{
    return runFileDialog(true, title, folder, filter, defaultSuffix, FLastSaveFileName);
}

void TfrmMain::saveLog(bool full)
{
    if (FLog->count() == 0)
        return;
    const QString file = runSaveDialog(tr("Save Log"), FSettings.LogPath, "log", tr("Log Files (*.log)"));
    if (file.isEmpty())
        return;
    QStringList lines;
    FLog->SaveLogToFile(full, &lines);
    QString error;
    if (!TOperationLog::writeLines(file, lines, &error))
        modal::error(this, tr("Error"), error);
}

void TfrmMain::SaveFullLog1Click() { saveLog(true); }
void TfrmMain::SaveEasyLog1Click() { saveLog(false); }

void TfrmMain::Options_ToolButtonClick()
{
    if (ShowSetup(FSettings.DBPath, FSettings.ImportPath, FSettings.LogPath, this) != 1)
        return;
    FSettings.DBPath = SetupDBPath;
    FSettings.ImportPath = SetupImportPath;
    FSettings.LogPath = SetupLogPath;
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TfrmMain::FormClose()
{
    // Closes an open catalogue connection (without the command enabling of
    // the Disconnect command).
    if (dbConnected())
        DisconnectDB();
}

// ---- Catalogue: connect, disconnect, class selection ----

bool TfrmMain::ConnectDB(const QString &AUserName, const QString &ADataBaseFile)
{
    const bool result = FCatalogue.ConnectDB(AUserName, ADataBaseFile);
    if (result)
        StatusPanels[0]->setText(FCatalogue.connectedText());
    return result;
}

bool TfrmMain::DisconnectDB()
{
    const bool result = FCatalogue.DisconnectDB();
    if (result)
        StatusPanels[0]->clear();
    return result;
}

void TfrmMain::Connect_ToolButtonClick()
{
    const QString file = runOpenDialog(tr("Open DataBase"), FSettings.DBPath, tr("Corvane DB (*.fdb)"));
    if (file.isEmpty())
        return;
    ConnectDB(QStringLiteral("SYSDBA"), file);
    applyCommandEvent(CommandEvent::Connect);
}

void TfrmMain::Disconnect_ToolButtonClick()
{
    DisconnectDB();
    applyCommandEvent(CommandEvent::Disconnect);
    // The class keys and name stay; only the selection ends.
    FSelectClass = false;
    StatusPanels[1]->clear();
    FElementTypeList.Clear();
}

void TfrmMain::SelectClass_ToolButtonClick()
{
    if (ShowSelectClass(FCatalogue, this) != 1 || SelectedClassId == 0)
        return;
    FElementTypeList.Clear();
    FSelectClass = true;
    FSelectClassDBId = SelectedClassDBId;
    FSelectClassId = SelectedClassId;
    FSelectClassName = SelectedClassName;
    FtmpElementTypeDBId = 0;
    FtmpElementTypeId = 0;
    applyCommandEvent(CommandEvent::ClassSelected);
    // One pass, so that a "%1" in the class name is not taken for a placeholder.
    StatusPanels[1]->setText(QStringLiteral("Class: %1 [DBID %2; ID %3]")
                                 .arg(FSelectClassName, QString::number(FSelectClassDBId),
                                      QString::number(FSelectClassId)));
}

// Commands whose work lives in other rooms of the program.
void TfrmMain::CreatePattern_ToolButtonClick() {}
void TfrmMain::pmiFastReplaceClick() {}
void TfrmMain::pmiExplodeColumnClick() {}
void TfrmMain::pmiExtractParamClick() {}
void TfrmMain::pmiConvertsSetValueToRangeClick() {}
void TfrmMain::pmiDublicateEmptyStrfromUpCellsClick() {}
void TfrmMain::pmiElementTypeImportClick() {}
void TfrmMain::pmiPinImportClick() {}
void TfrmMain::pmiElementTypeListClick() {}
void TfrmMain::pmiCaseImportClick() {}
void TfrmMain::mmiVerificationPinsforETinSelectClassClick() {}
void TfrmMain::pmiEditAsBaseParamClick() { editActiveCellAs(&ShowEditAsBaseParam, EditAsBaseParamResult); }
void TfrmMain::pmiEditAsParamClick() { editActiveCellAs(&ShowEditAsParam, EditAsParamResult); }

void TfrmMain::editActiveCellAs(int (*show)(const QString &, QWidget *), const QString &result)
{
    // While the cell is held, the editor's change is not written back: the
    // cell already has the text.
    writeActiveCell([&](CellHandle &cell) {
        if (show(cell.text(), this) == QDialog::Accepted) {
            cell.setText(result);
            MainSpreadSheetBookMemo->setPlainText(result);
        }
    });
}

void TfrmMain::writeActiveCell(const std::function<void(CellHandle &)> &write)
{
    Page *page = FWorkbook->activePage();
    if (!page)
        return;
    FActiveCellPos = page->activeCell();
    FActiveCellObject = page->cell(FActiveCellPos.x(), FActiveCellPos.y());
    // The cell is released however the write ends.
    struct Release {
        CellHandle &cell;
        ~Release() { cell = CellHandle(); }
    } release{FActiveCellObject};
    try {
        write(FActiveCellObject);
    } catch (const KException &e) {
        FActiveCellObject = CellHandle();
        modal::error(this, e.className(), e.message());
    } catch (const std::exception &e) {
        FActiveCellObject = CellHandle();
        modal::error(this, QStringLiteral("Exception"), QString::fromLocal8Bit(e.what()));
    }
}
void TfrmMain::pmiGroupSVClick() {}

// Entries that exist in the menus and deliberately do nothing.
void TfrmMain::pmiDeleteElementTypesFromListClick() {}
void TfrmMain::pmiUpdateDataOnExistClick() {}
void TfrmMain::mmiSetPinTypeonNameClick() {}
void TfrmMain::pmiReplaceColTemplatesClick() {}

// ---- Workbook: open, save, page, cell editor ----

QString TfrmMain::runOpenDialog(const QString &title, const QString &folder, const QString &filter)
{
    return runFileDialog(false, title, folder, filter, QString(), FLastOpenFileName);
}

void TfrmMain::OpenXLS_ToolButtonClick()
{
    const QString file = runOpenDialog(tr("Open Excel"), FSettings.ImportPath, tr("Excel tables (*.xls)"));
    if (file.isEmpty())
        return;
    try {
        // The workbook is replaced only when the whole file was read.
        FWorkbook->loadFromFile(file);
    } catch (const KException &e) {
        modal::error(this, e.className(), e.message());
        return;
    } catch (const std::exception &e) {
        modal::error(this, QStringLiteral("Exception"), QString::fromLocal8Bit(e.what()));
        return;
    }
    SwitchToolMode(false);
    fillEditorFromActiveCell();
}

void TfrmMain::SaveXLS_ToolButtonClick()
{
    SwitchToolMode(false);
    const QString file = runSaveDialog(tr("Save Excel"), FSettings.ImportPath, "xls", tr("Excel tables (*.xls)"));
    if (file.isEmpty())
        return;
    try {
        FWorkbook->saveToFile(file);
    } catch (const KException &e) {
        modal::error(this, e.className(), e.message());
    } catch (const std::exception &e) {
        modal::error(this, QStringLiteral("Exception"), QString::fromLocal8Bit(e.what()));
    }
}

void TfrmMain::SelectPage_ToolButtonClick()
{
    if (FWorkbook->pageCount() == 0)
        return;
    QStringList names;
    for (int i = 0; i < FWorkbook->pageCount(); ++i)
        names << FWorkbook->page(i).caption();
    SelectedPageIndex = FWorkbook->activePageIndex();
    if (ShowSelectPage(names, this) == 1)
        FWorkbook->setActivePageIndex(SelectedPageIndex); // the grid reports the new page's active cell
}

void TfrmMain::showCellInEditor(Page &page)
{
    FActiveCellPos = page.activeCell();
    FActiveCellObject = page.cell(FActiveCellPos.x(), FActiveCellPos.y());
    // Released however this ends.
    const std::unique_ptr<CellHandle, void (*)(CellHandle *)> release(&FActiveCellObject,
                                                                       [](CellHandle *h) { *h = CellHandle(); });
    // The editor reports this as a change, ignored while the handle is set.
    MainSpreadSheetBookMemo->setPlainText(FActiveCellObject.text());
}

void TfrmMain::fillEditorFromActiveCell()
{
    if (Page *page = FWorkbook->activePage())
        showCellInEditor(*page);
}

void TfrmMain::MainSpreadSheetBookSetSelection(int page)
{
    if (page < 0 || page >= FWorkbook->pageCount())
        return;
    showCellInEditor(FWorkbook->page(page));
    applyCommandEvent(CommandEvent::GridSelectionChanged);
}

void TfrmMain::MainSpreadSheetBookMemoPropertiesChange()
{
    if (FActiveCellObject.isValid())
        return;
    writeActiveCell([this](CellHandle &cell) {
        // The editor breaks lines with LF; a cell that used CR LF keeps it.
        // Raw text: the plain one turns no-break and line separators into
        // blanks and breaks, which would rewrite the rest of the cell.
        QString text = MainSpreadSheetBookMemo->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        if (cell.text().contains(QLatin1String("\r\n")))
            text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        cell.setText(text);
    });
}

void TfrmMain::onWorkbookCellChanged(int page, int col, int row)
{
    // A cell changed in the grid itself or by a tool: when it is the active
    // one, the editor shows the new text, so that the next keystroke in the
    // editor does not write the old text back.
    if (FActiveCellObject.isValid() || page != FWorkbook->activePageIndex())
        return;
    Page *p = FWorkbook->activePage();
    if (p && p->activeCell() == QPoint(col, row)
        && MainSpreadSheetBookMemo->toPlainText() != QString(p->cellText(col, row)).replace(QLatin1String("\r\n"), QLatin1String("\n")))
        showCellInEditor(*p);
}
