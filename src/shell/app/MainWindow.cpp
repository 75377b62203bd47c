#include "shell/app/MainWindow.h"

#include "archive/ArchiveLogs.h"
#include "foundation/DataFolders.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "lists/CallFinder.h"
#include "playback/PlaybackManager.h"
#include "review/CallHistory.h"
#include "shell/app/ListCompiler.h"
#include "shell/app/MainMenus.h"
#include "shell/app/RecentFiles.h"
#include "shell/app/UserManual.h"
#include "shell/archive/ArchiveCommands.h"
#include "shell/common/CallPath.h"
#include "shell/common/ShellIcons.h"
#include "shell/common/ShellTexts.h"
#include "shell/dialogs/DecryptionDialog.h"
#include "shell/lists/CreateListDialog.h"
#include "shell/lists/FindCallsDialog.h"
#include "shell/lists/ListFileReading.h"
#include "shell/lists/ListWindow.h"
#include "shell/lists/RecordingListView.h"
#include "shell/lists/RecordingTable.h"
#include "shell/panels/AccessPanel.h"
#include "shell/panels/review/CallsForReviewPage.h"
#include "shell/player/OutputScope.h"
#include "shell/player/PlayerForm.h"
#include "shell/player/PlayerPanel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>
#include <map>

namespace qor {

CMainFrame::CMainFrame(CRecentFiles& recentFiles, QWidget* parent)
    : QMainWindow(parent)
    , m_recentFiles(recentFiles)
    , m_area(new QMdiArea(this))
    , m_accessPanel(new CAccessPanel(this))
    , m_playerPanel(new CPlayerPanel(this))
    , m_menus(new CMainMenus(*this))
    , m_compiler(new CListCompiler(
          *this, [this] { return ActiveList(); }, [this] { return NewList(); }))
    , m_archive(new CArchiveCommands(this))
{
    setWindowIcon(LoadShellIcon(ShellIcon::Application));
    m_area->setViewMode(QMdiArea::TabbedView);
    m_area->setTabsClosable(true);
    m_area->setTabsMovable(true);
    m_area->setDocumentMode(true);
    setCentralWidget(m_area);
    addDockWidget(Qt::LeftDockWidgetArea, m_accessPanel);
    addDockWidget(Qt::BottomDockWidgetArea, m_playerPanel);
    statusBar();

    CMainMenus& menus = *m_menus;
    connect(menus.newList, &QAction::triggered, this, &CMainFrame::NewList);
    connect(menus.open, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QString(), QString(),
            QStringLiteral("QOR Recording List Files (*.reclist)"), nullptr, QFileDialog::DontUseNativeDialog);
        if (!path.isEmpty())
            OpenList(path);
    });
    connect(&menus, &CMainMenus::RecentFileChosen, this, &CMainFrame::OpenList);
    connect(menus.create, &QAction::triggered, this, &CMainFrame::Create);
    connect(menus.save, &QAction::triggered, this, [this] {
        if (CListWindow* list = ActiveList(); list && list->Save() && !list->FilePath().isEmpty())
            AddRecentFile(list->FilePath());
    });
    connect(menus.saveAs, &QAction::triggered, this, [this] {
        if (CListWindow* list = ActiveList(); list && list->SaveAs())
            AddRecentFile(list->FilePath());
    });
    connect(menus.closeList, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* sub = m_area->currentSubWindow())
            sub->close(); // asks first when the list has changes
    });
    connect(menus.exit, &QAction::triggered, this, &QWidget::close);
    const auto onList = [this](auto command) {
        return [this, command] {
            if (CListWindow* list = ActiveList())
                (list->View().*command)();
        };
    };
    connect(menus.undo, &QAction::triggered, this, onList(&CQorTolvaneView::UndoRemoval));
    connect(menus.cut, &QAction::triggered, this, onList(&CQorTolvaneView::CutToClipboard));
    connect(menus.copy, &QAction::triggered, this, onList(&CQorTolvaneView::CopyToClipboard));
    connect(menus.paste, &QAction::triggered, this, onList(&CQorTolvaneView::PasteFromClipboard));
    connect(menus.remove, &QAction::triggered, this, onList(&CQorTolvaneView::RemoveSelected));
    connect(menus.trim, &QAction::triggered, this, onList(&CQorTolvaneView::TrimToSelection));
    connect(menus.play, &QAction::triggered, this, onList(&CQorTolvaneView::Play));
    connect(menus.append, &QAction::triggered, this, &CMainFrame::AppendList);
    connect(menus.showHistory, &QAction::triggered, this, &CMainFrame::ShowPlayHistory);
    connect(menus.historyOnStartUp, &QAction::triggered, this, [this](bool checked) {
        Singleton<CSettings>::Instance()->SetShowHistory(checked);
        UpdateMenus();
    });
    menus.accessPanel->setChecked(true);
    menus.playerPanel->setChecked(true);
    connect(menus.accessPanel, &QAction::toggled, m_accessPanel, &QWidget::setVisible);
    connect(menus.playerPanel, &QAction::toggled, m_playerPanel, &QWidget::setVisible);
    // The ticks follow the panels, also when one is closed with its own button.
    connect(m_accessPanel, &QDockWidget::visibilityChanged, menus.accessPanel, &QAction::setChecked);
    connect(m_playerPanel, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (!shown)
            m_playerPanel->Stop(); // hiding the player, however it is done, stops the call and goes back to its start
        m_menus->playerPanel->setChecked(shown);
    });
    // What the player changes in the loaded call shows in every list that holds it.
    connect(&m_playerPanel->Form(), &CPlayerForm::CallChanged, this, [this](int code, const QString& path) {
        for (CListWindow* list : Lists())
            list->View().ApplyCallChange(code, PathFromQString(path));
    });
    connect(&m_playerPanel->Form(), &CPlayerForm::Played, this,
        [](const QString& path) { Singleton<CCallHistory>::Instance()->AddPlayed(PathFromQString(path)); });
    connect(menus.encryption, &QAction::triggered, this, &CMainFrame::EnterPassphrase);
    menus.useCallIndex->setChecked(Singleton<CSettings>::Instance()->GetUseCallIndex());
    connect(menus.useCallIndex, &QAction::toggled, this,
        [](bool use) { Singleton<CSettings>::Instance()->SetUseCallIndex(use); });
    connect(m_compiler, &CListCompiler::Notice, this, &CMainFrame::ShowStatus);
    ConnectArchiving();
    ConnectAccessPanel();
    connect(menus.cascade, &QAction::triggered, this, [this] {
        m_area->setViewMode(QMdiArea::SubWindowView);
        m_area->cascadeSubWindows();
    });
    connect(menus.tile, &QAction::triggered, this, &CMainFrame::TileHorizontally);
    connect(menus.tabbed, &QAction::triggered, this, [this] {
        m_area->setViewMode(QMdiArea::TabbedView);
        for (QMdiSubWindow* sub : m_area->subWindowList())
            sub->showMaximized();
    });
    connect(menus.nextPane, &QAction::triggered, this, [this] { FocusPane(+1); });
    connect(menus.previousPane, &QAction::triggered, this, [this] { FocusPane(-1); });
    // The browser is another program, which may yet fail: the status bar says where the manual is.
    const auto showManual = [this](const QString& section) {
        if (const QString path = OpenUserManual(this, section); !path.isEmpty())
            ShowStatus(QStringLiteral("The user manual, %1, was handed to the web browser.").arg(path));
    };
    connect(menus.manual, &QAction::triggered, this, [showManual] { showManual(QString()); });
    connect(menus.archiveManual, &QAction::triggered, this, [showManual] { showManual(QStringLiteral("archiving")); });
    connect(menus.about, &QAction::triggered, this, &CMainFrame::ShowAbout);
    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* activated) {
        // A dialog in front deactivates the lists without making another one current.
        CListWindow* list = activated ? qobject_cast<CListWindow*>(activated->widget()) : nullptr;
        if (list && list->IsPlayHistory()) {
            list->Document().Clear();
            Singleton<CCallHistory>::Instance()->FillDocument(list->Document());
            list->View().ShowList(kListPlayHistory, std::string());
            list->Document().SetModifiedFlag(false);
        }
        if (list && list != m_frontList)
            list->View().LoadSelectedCall(); // the player follows the list brought to the front
        if (list)
            m_frontList = list;
        else if (!ActiveList())
            UnloadCall();
        UpdateMenus();
    });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateMenus);
    m_menus->SetRecentFiles(m_recentFiles.Paths());
    UpdateMenus();
}

CMainFrame::~CMainFrame()
{
    // ~QWidget closes the window, which activates the lists and hides the panels once more while
    // they go; by then this window's parts are gone, so nothing may answer any more.
    m_area->disconnect(this);
    m_playerPanel->disconnect(this);
    QApplication::clipboard()->disconnect(this);
}

CListWindow* CMainFrame::AddList(CListWindow* list)
{
    QMdiSubWindow* sub = m_area->addSubWindow(list);
    sub->setWindowIcon(LoadShellIcon(ShellIcon::Application));
    // The frame's own keys close and switch lists; the window menu's copies would make them ambiguous.
    if (QMenu* menu = sub->systemMenu())
        for (QAction* action : menu->actions())
            action->setShortcut({});
    ConnectList(*list);
    sub->showMaximized();
    m_area->setActiveSubWindow(sub);
    UpdateMenus();
    return list;
}

void CMainFrame::ConnectList(CListWindow& list)
{
    CQorTolvaneView& view = list.View();
    connect(&view, &CQorTolvaneView::CallChanged, this, [this](int code, const QString& path) {
        for (CListWindow* other : Lists())
            other->View().ApplyCallChange(code, PathFromQString(path));
        m_playerPanel->ShowLoadedCall(); // its icons follow what the lists changed
    });
    connect(&view, &CQorTolvaneView::RerunSearch, this, [this, &list](const SearchCriteria& criteria) {
        m_compiler->Compile(criteria, CListCompiler::Into::SameList, &list);
    });
    connect(&view, &CQorTolvaneView::FoldersDropped, this, [this, &list](const QStringList& folders) {
        SearchCriteria criteria;
        for (const QString& folder : folders)
            criteria.sources.push_back(PathFromQString(folder));
        criteria.includeSubFolders = true;
        criteria.dateRange = kDateRangeAll;
        m_compiler->Compile(criteria, CListCompiler::Into::DroppedOn, &list);
    });
    connect(&view, &CQorTolvaneView::PlayInNewList, this, &CMainFrame::PlayInNewList);
    ConnectListArchiving(list);
    connect(&view, &CQorTolvaneView::AddToReviewRequested, this,
        [this](const QStringList& paths) { m_accessPanel->CallsForReview().AddCallsWithPicker(paths); });
    connect(&view, &CQorTolvaneView::FindCallsRequested, this, [this, &list] { FindCalls(list); });
    connect(&view, &CQorTolvaneView::PassphraseWanted, this, [this, &list] {
        if (EnterPassphrase())
            list.View().Play();
    });
    connect(&view, &CQorTolvaneView::LoadedCallChanged, m_playerPanel, &CPlayerPanel::ShowLoadedCall);
    connect(&view, &CQorTolvaneView::LoadedCallChanged, this, &CMainFrame::UpdateMenus);
    connect(&list, &CListWindow::TitleChanged, this, [this] {
        NumberTwins();
        UpdateMenus();
    });
    connect(
        &list, &QObject::destroyed, this,
        [this] {
            if (!ActiveList())
                UnloadCall();
            NumberTwins();
            UpdateMenus();
        },
        Qt::QueuedConnection);
}

CListWindow* CMainFrame::NewList()
{
    auto* list = new CListWindow(Singleton<CArchiveLogs>::Instance().get());
    AddList(list);
    list->View().ShowList(kListCustom, std::string());
    list->Document().SetModifiedFlag(false);
    list->RefreshTitle();
    return list;
}

CListWindow* CMainFrame::OpenList(const QString& path)
{
    CListWindow* list = NewList();
    if (!list->Open(path)) {
        list->parentWidget()->close(); // cancelled: the window it would have filled goes too
        return nullptr;
    }
    AddRecentFile(path);
    return list;
}

CListWindow* CMainFrame::ActiveList() const
{
    // The current one stays current while a dialog or another program is in front.
    QMdiSubWindow* sub = m_area->currentSubWindow();
    return sub ? qobject_cast<CListWindow*>(sub->widget()) : nullptr;
}

bool CMainFrame::EnterPassphrase()
{
    CDecryptionDialog dialog(this, *Singleton<CSettings>::Instance());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (CListWindow* list : Lists())
        list->View().RereadUnreadable();
    if (CListWindow* list = ActiveList())
        list->View().LoadSelectedCall(); // a call the old passphrase could not open loads now
    return true;
}

void CMainFrame::AddRecentFile(const QString& path)
{
    m_recentFiles.Add(path);
    m_menus->SetRecentFiles(m_recentFiles.Paths());
}

void CMainFrame::UnloadCall()
{
    auto playback = Singleton<CPlaybackManager>::Instance();
    playback->Play(false, true);
    playback->CloseRecording();
    m_playerPanel->ShowLoadedCall();
}

void CMainFrame::NumberTwins()
{
    std::map<QString, int> seen;
    for (CListWindow* list : Lists())
        list->SetTwinNumber(++seen[list->Name()]);
}

std::vector<CListWindow*> CMainFrame::Lists() const
{
    std::vector<CListWindow*> lists;
    for (QMdiSubWindow* sub : m_area->subWindowList())
        if (auto* list = qobject_cast<CListWindow*>(sub->widget()))
            lists.push_back(list);
    return lists;
}

CListWindow* CMainFrame::ShowPlayHistory()
{
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (auto* list = qobject_cast<CListWindow*>(sub->widget()); list && list->IsPlayHistory()) {
            m_area->setActiveSubWindow(sub);
            return list;
        }
    }
    CListWindow* list = NewList();
    list->Document().SetKind(kListPlayHistory);
    Singleton<CCallHistory>::Instance()->FillDocument(list->Document());
    list->View().ShowList(kListPlayHistory, std::string());
    list->Document().SetModifiedFlag(false);
    list->RefreshTitle();
    return list;
}

void CMainFrame::Create()
{
    CCreateListDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        m_compiler->Compile(dialog.Criteria(), CListCompiler::Into::ActiveList);
}

void CMainFrame::CompileFolders(const QStringList& folders, bool askFirst)
{
    if (folders.isEmpty())
        return;
    std::vector<std::string> sources;
    for (const QString& folder : folders)
        sources.push_back(PathFromQString(folder));
    SearchCriteria criteria;
    if (askFirst) {
        CCreateListDialog dialog(this, sources);
        if (dialog.exec() != QDialog::Accepted)
            return;
        criteria = dialog.Criteria();
    } else {
        criteria.sources = sources;
        criteria.includeSubFolders = true;
        criteria.dateRange = kDateRangeAll;
    }
    m_compiler->Compile(criteria, CListCompiler::Into::NewList);
}

void CMainFrame::AppendList()
{
    CListWindow* list = ActiveList();
    if (!list)
        return;
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(),
        QStringLiteral("QOR Recording List (*.reclist)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    CXmlError error;
    std::vector<std::string> notCalls;
    const int before = list->Document().GetCount();
    const ListReadOutcome outcome = ReadListInto(*this, list->Document(), path, error, notCalls);
    if (outcome == ListReadOutcome::Cancelled)
        return;
    if (list->Document().GetCount() > before)
        list->Document().SetModifiedFlag(true); // closing it asks before the appended calls are lost
    list->Document().SetSearchCompiled(false);
    list->View().ShowList(kListCustom, list->Document().GetFolder());
    ShowListProblems(*this, path, outcome, error, notCalls);
}

void CMainFrame::FindCalls(CListWindow& list)
{
    if (list.Document().GetCount() == 0)
        return;
    CFindCallsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted || dialog.Text().empty())
        return;
    const auto found = qor::FindCalls(list.Document().Entries(), dialog.Field(), dialog.Text(), dialog.Direction());
    if (found.empty()) {
        QMessageBox::information(this, QApplication::applicationDisplayName(),
            QStringLiteral("No call in this list matches \"%1\".").arg(QString::fromStdString(dialog.Text())));
        return;
    }
    CListWindow* results = NewList();
    for (const CRvFileListEntry* entry : found)
        results->Document().AddCopy(*entry);
    results->View().ShowList(kListCustom, std::string());
    results->View().ShowUnsorted(); // in the order they were found until a heading is clicked
    results->RefreshTitle();
}

void CMainFrame::PlayInNewList(const QStringList& paths)
{
    CListWindow* list = NewList();
    list->View().AddCalls(paths); // the clipboard stays the user's
    // Playing goes on in the new list from its first call; selecting them all would ask again.
    list->View().SelectRows({ 0 });
    list->View().Play();
}

void CMainFrame::ShowAbout()
{
    QMessageBox::about(this, QStringLiteral("About ") + QApplication::applicationDisplayName(),
        QApplication::applicationDisplayName() + QStringLiteral(" ") + QApplication::applicationVersion()
            + QStringLiteral("\n\nLists, plays, marks, exports and e-mails recorded telephone calls.\n"
                             "Its companion qortolvane-cli also annotates and archives them."));
}

void CMainFrame::TileHorizontally()
{
    // Each list gets the whole width and a band of the height, one under the other.
    m_area->setViewMode(QMdiArea::SubWindowView);
    const QList<QMdiSubWindow*> subs = m_area->subWindowList();
    if (subs.isEmpty())
        return;
    const QRect area = m_area->viewport()->rect();
    const int height = area.height() / static_cast<int>(subs.size());
    int top = 0;
    for (QMdiSubWindow* sub : subs) {
        sub->showNormal();
        sub->setGeometry(0, top, area.width(), height);
        top += height;
    }
}

void CMainFrame::UpdateMenus()
{
    CListWindow* list = ActiveList();
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    m_menus->Update(list != nullptr, list && !list->View().SelectedRows().empty(), clipboard && clipboard->hasUrls(),
        Singleton<CSettings>::Instance()->GetShowHistory(), list && list->View().CanUndoRemoval());
    setWindowTitle(list ? list->windowTitle() + QStringLiteral(" - ") + QApplication::applicationDisplayName()
                        : QApplication::applicationDisplayName());
}

void CMainFrame::ShowStatus(const QString& text)
{
    statusBar()->showMessage(text);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    for (CListWindow* list : Lists()) {
        if (!list->SaveModified()) {
            event->ignore();
            return;
        }
    }
    for (CListWindow* list : Lists()) {
        list->View().StoreColumnWidths();
        list->Document().SetModifiedFlag(false); // already asked about
    }
    m_area->closeAllSubWindows();
    event->accept();
}

} // namespace qor
