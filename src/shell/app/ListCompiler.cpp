#include "shell/app/ListCompiler.h"

#include "archive/ArchiveLogs.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "shell/common/ShellTexts.h"
#include "shell/dialogs/ProgressDialog.h"
#include "shell/lists/FailureMessages.h"
#include "shell/lists/ListWindow.h"
#include "shell/lists/RecordingListView.h"

#include <QApplication>
#include <QMessageBox>
#include <cstring>

namespace qor {
namespace {

const QString kUnreadableHeading = QStringLiteral("These folders could not be searched:");

} // namespace

CListCompiler::CListCompiler(
    QWidget& mainWindow, std::function<CListWindow*()> activeList, std::function<CListWindow*()> newList)
    : QObject(&mainWindow)
    , m_mainWindow(mainWindow)
    , m_activeList(std::move(activeList))
    , m_newList(std::move(newList))
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CListCompiler::Tick);
    m_search.SetArchiveLookup(Singleton<CArchiveLogs>::Instance());
}

CListCompiler::~CListCompiler()
{
    m_timer.stop();
    m_search.StopSearch();
}

bool CListCompiler::Compile(const SearchCriteria& criteria, Into into, CListWindow* list)
{
    if (IsRunning())
        return false;
    m_into = into;
    m_list = list;
    m_progress = std::make_unique<CProgressDialog>(&m_mainWindow);
    m_progress->SetText(ShellText(IDS_SCANNING));
    m_progress->SetRange(0, 0);
    m_progress->Begin();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_search.SetCallIndex(CallIndex());
    m_search.Prepare(criteria);
    if (m_search.GetStatus().sourceMissing) {
        End();
        QMessageBox::information(&m_mainWindow, QApplication::applicationDisplayName(),
            QStringLiteral("No recordings found which match your specified criteria."));
        return false;
    }
    m_search.SetReplaceList(into == Into::SameList);
    if (!m_search.StartSearch()) {
        End();
        QMessageBox::warning(&m_mainWindow, QApplication::applicationDisplayName(),
            into == Into::NewList ? QStringLiteral("Failed to start search.")
                                  : QStringLiteral("Falied to start search."));
        return false;
    }
    m_timer.start();
    return true;
}

void CListCompiler::Tick()
{
    const CSearchManager::Status status = m_search.GetStatus();
    const bool cancelled = m_progress && m_progress->IsCancelled();
    // Until the walk has found every file the bar cannot say how far the reading is.
    if (!cancelled && m_progress && status.total > 0) {
        m_progress->SetRange(status.walkFinished ? 1 : 0, status.walkFinished ? status.total : 0);
        m_progress->SetValue(status.scanned);
        m_progress->SetText(ShellText(IDS_COMPILING_LIST, status.scanned, status.total));
    }
    if (m_search.IsRunning()) {
        if (cancelled) {
            m_search.StopSearch();
            End();
        }
        return;
    }
    HandOff();
    End();
}

ICallIndex* CListCompiler::CallIndex()
{
    if (!Singleton<CSettings>::Instance()->GetUseCallIndex())
        return nullptr;
    // Opened once a run; a busy one is tried again at the next list.
    if (!m_index.Get()) {
        std::string notice;
        m_index.Open(notice);
        Tell(notice);
    }
    return m_index.Get();
}

void CListCompiler::Tell(const std::string& text)
{
    if (!text.empty() && m_told.insert(text).second)
        Q_EMIT Notice(QString::fromStdString(text));
}

void CListCompiler::HandOff()
{
    if (!m_search.IndexKeptUp())
        Tell("The call index could not be brought up to date (another program holds it, or the disk is full); "
             "the next list reads these calls from their files again.");
    // Folders the search could not read are named, so that a list is never taken for all there is.
    QStringList unreadable;
    for (const auto& [folder, error] : m_search.GetUnreadableFolders())
        unreadable.push_back(NamedFailure(folder, std::string("cannot be searched: ") + std::strerror(error)));
    // Nothing passed the filters: said so, and no list changes (a list's own search run again
    // does empty it: none of its calls match any more, unless its folders hold no calls at all).
    const QString noneFoundText = QStringLiteral("No recordings found which match your specified criteria.");
    const bool noneFound = m_search.GetStatus().total == 0;
    if (noneFound || (m_into != Into::SameList && m_search.GetResultCount() == 0)) {
        if (unreadable.isEmpty())
            QMessageBox::information(&m_mainWindow, QApplication::applicationDisplayName(), noneFoundText);
        else
            ShowFailures(m_mainWindow, noneFoundText + QStringLiteral("\n\n") + kUnreadableHeading, unreadable);
        return;
    }
    ShowFailures(m_mainWindow, kUnreadableHeading, unreadable);
    CListWindow* list = m_into == Into::ActiveList ? m_activeList() : m_list.data();
    // The play history only ever holds played calls; without a list to take them the calls get one
    // of their own.
    if (!list || m_into == Into::NewList || (m_into == Into::ActiveList && list->IsPlayHistory()))
        list = m_newList();
    const bool hadCalls = m_into != Into::SameList && list->Document().GetCount() > 0;
    m_search.HandOffTo(&list->Document());
    CQorTolvaneView& view = list->View();
    if (m_into == Into::DroppedOn) {
        view.Resort();
        return;
    }
    if (hadCalls) { // calls added to others: a list of its own making now, as an append makes it
        list->Document().SetSearchCompiled(false);
        view.ShowSorted(kListCustom, list->Document().GetFolder());
        return;
    }
    const SearchCriteria criteria = m_search.GetCriteria();
    const bool oneSource = criteria.sources.size() == 1;
    list->Document().SetSearchCompiled(true);
    // In the order the list's headings show, which a refresh keeps.
    view.ShowSorted(oneSource ? kListFolder : kListCustom, oneSource ? criteria.sources.front() : std::string());
}

void CListCompiler::End()
{
    m_timer.stop();
    m_search.Wait(); // stops a worker still reading, and joins one that finished by itself
    if (m_progress)
        m_progress->Finish();
    m_progress.reset();
    Q_EMIT Finished();
}

} // namespace qor
