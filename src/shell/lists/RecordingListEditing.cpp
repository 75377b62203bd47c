// The list window's editing of its rows: the clipboard, dropped files and folders, removing,
// cutting and trimming rows with the undo of the last of these, and following changes made to a
// call in another window.
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "lists/QorTolvaneDoc.h"
#include "playback/PlaybackManager.h"
#include "shell/common/CallPath.h"
#include "shell/lists/CallClipboard.h"
#include "shell/lists/RecordingListModel.h"
#include "shell/lists/RecordingListView.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <algorithm>

namespace qor {

void CQorTolvaneView::CopyToClipboard()
{
    if (!SelectedRows().empty())
        QApplication::clipboard()->setMimeData(MakeCallsMimeData(SelectedPaths()));
}

bool CQorTolvaneView::PasteFromClipboard()
{
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    const QStringList paths = clipboard ? PathsFromMimeData(*clipboard) : QStringList();
    if (paths.isEmpty())
        return false;
    AddCalls(paths);
    return true;
}

void CQorTolvaneView::AddCalls(const QStringList& paths)
{
    const std::string passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    for (const QString& path : paths) {
        auto entry = std::make_unique<CRvFileListEntry>();
        entry->SetPath(PathFromQString(path));
        entry->LoadDetails(passphrase);
        m_document.AddEntry(std::move(entry));
    }
    m_document.SetSearchCompiled(false);
    m_document.SetKind(kListCustom);
    m_kind = kListCustom;
    Resort();
}

void CQorTolvaneView::RemoveSelected()
{
    std::vector<int> rows = SelectedRows();
    // One key takes many rows out of the list: asked first (the files themselves stay).
    if (rows.size() > 1
        && QMessageBox::question(this, QApplication::applicationDisplayName(),
               QStringLiteral("Remove %1 calls from the list? The recordings stay where they are.").arg(rows.size()),
               QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;
    TakeRows(rows);
}

void CQorTolvaneView::CutToClipboard()
{
    if (SelectedRows().empty())
        return;
    CopyToClipboard();
    TakeRows(SelectedRows());
}

void CQorTolvaneView::TrimToSelection()
{
    const std::vector<int> kept = SelectedRows();
    if (kept.empty())
        return;
    std::vector<int> rows;
    for (int row = 0; row < m_document.GetCount(); ++row)
        if (!std::binary_search(kept.begin(), kept.end(), row))
            rows.push_back(row);
    TakeRows(rows);
}

void CQorTolvaneView::TakeRows(const std::vector<int>& rows)
{
    if (rows.empty())
        return;
    m_removed.clear();
    m_modifiedBeforeRemoval = m_document.IsModified();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (auto entry = m_document.TakeEntry(*row))
            m_removed.emplace_back(*row, std::move(entry));
    std::reverse(m_removed.begin(), m_removed.end()); // put back from the top, each at its row
    ShowList(m_kind, m_folder);
}

void CQorTolvaneView::UndoRemoval()
{
    if (m_removed.empty())
        return;
    std::vector<const CRvFileListEntry*> restored;
    for (auto& [row, entry] : m_removed) {
        const CRvFileListEntry* back = entry.get();
        if (m_document.InsertEntryAt(row, std::move(entry)))
            restored.push_back(back);
    }
    m_removed.clear();
    m_document.SetModifiedFlag(m_modifiedBeforeRemoval);
    SortDocument(); // the list may have been sorted another way since
    ShowRowsSelecting(restored); // the calls that came back, selected as they were
    UpdateTotals();
    Q_EMIT ListChanged();
}

void CQorTolvaneView::ApplyCallChange(int code, const std::string& path)
{
    for (int row = 0; row < m_document.GetCount(); ++row) {
        CRvFileListEntry* entry = m_document.GetEntry(row);
        if (entry->GetPath() != path)
            continue;
        if (code == 2) {
            m_document.RemoveEntry(row);
            ReloadRows();
            Q_EMIT ListChanged();
            return;
        }
        if (code == 3) { // its bookmark (and so its comment) changed in the file: read it again
            entry->ReloadDetails(Singleton<CSettings>::Instance()->GetPassphrase());
            m_model->RowChanged(row);
            UpdateTotals();
            return;
        }
        entry->SetImportant(code == 0 ? 1 : 0);
        m_model->RowChanged(row);
        UpdateTotals();
        return;
    }
}

void CQorTolvaneView::OnPathsDropped(const QStringList& paths)
{
    Singleton<CPlaybackManager>::Instance()->Play(false, true);
    QStringList folders;
    const std::string passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            folders.append(info.absoluteFilePath());
        } else if (info.isFile() && info.suffix().compare(QStringLiteral("qor"), Qt::CaseInsensitive) == 0) {
            auto entry = std::make_unique<CRvFileListEntry>();
            entry->SetPath(info.absoluteFilePath().toStdString());
            entry->LoadDetails(passphrase);
            m_document.AddEntry(std::move(entry));
        }
    }
    if (!folders.isEmpty())
        Q_EMIT FoldersDropped(folders);
    Resort();
}

} // namespace qor
