#pragma once
// Kestrel's main window: owns the connection, the workbook, the operation
// log, the two working lists, the selected class and the settings, and routes
// every command.

#include "app/CommandRules.h"
#include "app/Settings.h"
#include "common/DataList.h"
#include "common/LogSink.h"
#include "db/CatalogueSession.h"
#include "db/ModalErrorBoxes.h"
#include "sheet/Workbook.h"

#include <QMainWindow>
#include <functional>
#include <QPixmap>
#include <QPoint>
#include <QVector>
#include <cstdint>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QStackedWidget;
class QTableView;
class SheetGridView;
class QToolBar;
class QToolButton;
class QTreeView;
class TOperationLog;

// 16x16 images cut from one bitmap sheet.
struct TImageList {
    int width = 16;
    int height = 16;
    QVector<QPixmap> images;
};

// Refills `list` from the bitmap resource `resource` (top-left pixel is the
// transparent colour; tiles row by row). Nothing happens without a list.
void LoadImageListFromResource(TImageList *list, int resource);

class TfrmMain : public QMainWindow, public LogSink {
    Q_OBJECT
public:
    // `programFolderOverride` is for tests; the program uses the folder of
    // its executable.
    explicit TfrmMain(const QString &programFolderOverride = QString(), QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Operation log
    void AddLog(int kind, int position, const QString &text) override;
    TOperationLog *log() const { return FLog; }

    // Page switch
    bool ToolMode() const { return FToolMode; }
    void SwitchToolMode(bool mode);

    // Selected class
    bool SelectClass() const { return FSelectClass; }
    std::uint32_t SelectClassDBId() const { return FSelectClassDBId; }
    std::uint32_t SelectClassId() const { return FSelectClassId; }
    QString SelectClassName() const { return FSelectClassName; }

    TSettings &settings() { return FSettings; }
    const TImageList &toolImages() const { return FToolImages; }
    const TImageList &logImages() const { return FLogImages; }

    // True while the catalogue connection is open.
    bool dbConnected() const;
    // The catalogue connection (MainIBDatabase, MainIBTransaction,
    // MainIBQuery) that imports run their statements through.
    CatalogueSession &catalogue() { return FCatalogue; }
    // The element type work list; the window releases its items.
    TDataList &ElementTypeList() { return FElementTypeList; }
    // Attach with the checks / detach; status panel 0 follows.
    bool ConnectDB(const QString &AUserName, const QString &ADataBaseFile);
    bool DisconnectDB();

    // Applies the enabling table for one event.
    void applyCommandEvent(CommandEvent event);

    // The save dialog shared by the workbook and the log: its file name field
    // starts with the name chosen last in either use. Returns the chosen file
    // or an empty text when cancelled.
    QString runSaveDialog(const QString &title, const QString &folder, const QString &defaultSuffix,
                          const QString &filter);
    // The open dialog shared by the workbook and the catalogue, the same way.
    // It does not require the file to exist.
    QString runOpenDialog(const QString &title, const QString &folder, const QString &filter);

    // The workbook shown in the grid; tools and imports read and write cells
    // through its pages.
    Workbook *workbook() const { return FWorkbook; }
    // Puts the text of the active cell of the active page into the cell
    // editor (FActiveCellPos follows it) without writing the cell back.
    void fillEditorFromActiveCell();

    // Grid events: the active cell of page `page` changed; the cell editor's
    // text changed.
    void MainSpreadSheetBookSetSelection(int page);
    void MainSpreadSheetBookMemoPropertiesChange();

public slots:
    // Tool bar, main menu and popup menu commands.
    void Connect_ToolButtonClick();
    void Disconnect_ToolButtonClick();
    void OpenXLS_ToolButtonClick();
    void SaveXLS_ToolButtonClick();
    void SelectClass_ToolButtonClick();
    void CreatePattern_ToolButtonClick();
    void Replace_ToolButtonClick();
    void AddFunc_ToolButtonClick();
    void Options_ToolButtonClick();
    void Import_ToolButtonClick();
    void SelectPage_ToolButtonClick();
    void Table_ToolButtonClick();
    void SaveLog_ToolButtonClick();
    void SaveFullLog1Click();
    void SaveEasyLog1Click();
    void pmiFastReplaceClick();
    void pmiExplodeColumnClick();
    void pmiExtractParamClick();
    void pmiConvertsSetValueToRangeClick();
    void pmiDublicateEmptyStrfromUpCellsClick();
    void pmiDeleteElementTypesFromListClick();
    void pmiUpdateDataOnExistClick();
    void pmiElementTypeImportClick();
    void pmiPinImportClick();
    void pmiElementTypeListClick();
    void pmiCaseImportClick();
    void mmiSetPinTypeonNameClick();
    void mmiVerificationPinsforETinSelectClassClick();
    void pmiEditAsBaseParamClick();
    void pmiEditAsParamClick();
    void pmiReplaceColTemplatesClick();
    void pmiGroupSVClick();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildActions();
    void buildToolBar();
    void buildMenus();
    void buildPages();
    void buildStatusBar();
    QAction *makeAction(const char *name, const QString &caption, int image, void (TfrmMain::*handler)());
    QToolButton *makeButton(const char *name, const QString &caption, int image, void (TfrmMain::*handler)());
    void popupAtButton(QToolButton *button, QMenu *menu);
    void saveLog(bool full);
    void ListRemoveItem(TDataList *sender, void *itemData);
    void FormClose();

    TSettings FSettings;
    bool FToolMode = false;
    TDataList FBaseParamList;
    TDataList FElementTypeList;
    bool FSelectClass = false;
    std::uint32_t FSelectClassDBId = 0;
    std::uint32_t FSelectClassId = 0;
    QString FSelectClassName;
    std::uint32_t FtmpElementTypeDBId = 0;
    std::uint32_t FtmpElementTypeId = 0;
    QPoint FActiveCellPos{0, 0};
    QString FLastSaveFileName;
    QString FLastOpenFileName;
    Workbook *FWorkbook = new Workbook(this);
    // Set only while the editor is being filled from (or written to) a cell.
    CellHandle FActiveCellObject;
    void showCellInEditor(Page &page);
    // Edits the active cell through one of the Edit As dialogs.
    // Holds the active cell in FActiveCellObject while `write` runs, shows an
    // error box when it throws, and releases the cell in every case.
    // One file dialog for both directions; `lastName` is the name chosen last
    // in this use and fills the name field.
    QString runFileDialog(bool save, const QString &title, const QString &folder, const QString &filter,
                          const QString &defaultSuffix, QString &lastName);
    void writeActiveCell(const std::function<void(CellHandle &)> &write);
    void editActiveCellAs(int (*show)(const QString &, QWidget *), const QString &result);
    void onWorkbookCellChanged(int page, int col, int row);

    TImageList FToolImages;
    TImageList FLogImages;
    TOperationLog *FLog = nullptr;
    ModalErrorBoxes FDBErrorBoxes{this};
    CatalogueSession FCatalogue{&FDBErrorBoxes};

public:
    // Widgets, named as the commands and tests refer to them.
    QToolBar *MainToolBar = nullptr;
    QStackedWidget *MainPagesNotebook = nullptr;
    QPlainTextEdit *MainSpreadSheetBookMemo = nullptr;
    QSplitter *MainSpreadSheetBookSplitter = nullptr;
    SheetGridView *MainSpreadSheetBook = nullptr;
    QTreeView *Log_ListView = nullptr;
    QLabel *StatusPanels[3] = {nullptr, nullptr, nullptr};

    QToolButton *Connect_ToolButton = nullptr;
    QToolButton *Disconnect_ToolButton = nullptr;
    QToolButton *OpenXLS_ToolButton = nullptr;
    QToolButton *SaveXLS_ToolButton = nullptr;
    QToolButton *SelectClass_ToolButton = nullptr;
    QToolButton *CreatePattern_ToolButton = nullptr;
    QToolButton *Replace_ToolButton = nullptr;
    QToolButton *AddFunc_ToolButton = nullptr;
    QToolButton *Options_ToolButton = nullptr;
    QToolButton *Import_ToolButton = nullptr;
    QToolButton *SelectPage_ToolButton = nullptr;
    QToolButton *Table_ToolButton = nullptr;
    QToolButton *Log_ToolButton = nullptr;
    QToolButton *SaveLog_ToolButton = nullptr;

    QMenu *Replace_PopupMenu = nullptr;
    QMenu *AddFunc_PopupMenu = nullptr;
    QMenu *Import_PopupMenu = nullptr;
    QMenu *SaveLog_PopupMenu = nullptr;
    QMenu *EditCells_PopupMenu = nullptr;
};

// Version texts shown in the status bar.
inline constexpr const char *KestrelVersion = "0.2.4";
inline constexpr const char *KestrelBuildStamp = "201606081306";
