// The list window's order: sorting by a heading with the selection kept, the heading's arrow,
// and showing the rows again after the calls changed.
#include "archive/ArchiveLogs.h"
#include "foundation/Singleton.h"
#include "lists/EntrySort.h"
#include "lists/QorTolvaneDoc.h"
#include "shell/lists/RecordingListModel.h"
#include "shell/lists/RecordingListView.h"
#include "shell/lists/RecordingTable.h"

#include <QHeaderView>
#include <algorithm>
#include <unordered_map>

namespace qor {

void CQorTolvaneView::SortBy(int column, bool naturalOrder)
{
    m_sortColumn = column;
    m_naturalOrder = naturalOrder;
    // The same calls stay selected, so the one loaded keeps playing.
    std::vector<const CRvFileListEntry*> selected;
    for (const int row : SelectedRows())
        selected.push_back(m_document.GetEntry(row));
    SortDocument();
    ShowRowsSelecting(selected);
    ShowSortIndicator();
}

void CQorTolvaneView::ShowRowsSelecting(const std::vector<const CRvFileListEntry*>& entries)
{
    m_reloading = true;
    m_model->Reload();
    std::unordered_map<const CRvFileListEntry*, int> rowOf;
    for (int row = 0; row < m_document.GetCount(); ++row)
        rowOf.emplace(m_document.GetEntry(row), row);
    std::vector<int> rows;
    for (const CRvFileListEntry* entry : entries)
        if (const auto found = rowOf.find(entry); found != rowOf.end())
            rows.push_back(found->second);
    std::sort(rows.begin(), rows.end());
    SelectRows(rows);
    m_reloading = false;
    if (!rows.empty())
        m_table->scrollTo(m_model->index(rows.front(), 0));
    OnSelectionChanged();
}

void CQorTolvaneView::Resort()
{
    ShowSorted(m_kind, m_folder);
}

void CQorTolvaneView::ShowSorted(int kind, const std::string& folder)
{
    SortDocument();
    ShowList(kind, folder);
}

void CQorTolvaneView::SortDocument()
{
    m_document.SortBy(m_sortColumn, m_naturalOrder, Singleton<CArchiveLogs>::Instance().get());
}

void CQorTolvaneView::ShowUnsorted()
{
    m_sortColumn = -1;
    ShowSortIndicator();
}

void CQorTolvaneView::ShowSortIndicator()
{
    QHeaderView& header = *m_table->horizontalHeader();
    if (m_sortColumn < 0) {
        header.setSortIndicator(-1, Qt::AscendingOrder);
        return;
    }
    // The arrow points up when the smallest value is at the top, in every column.
    const bool ascending = m_naturalOrder == NaturalOrderAscends(m_sortColumn);
    header.setSortIndicator(m_sortColumn, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    // The heading and its arrow both stay readable in a narrow column.
    header.resizeSection(
        m_sortColumn, std::max(header.sectionSize(m_sortColumn), header.sectionSizeHint(m_sortColumn)));
}

void CQorTolvaneView::OnHeaderClicked(int column)
{
    if (column == m_headerSortColumn) {
        m_headerNatural = !m_headerNatural;
    } else {
        m_headerSortColumn = column;
        m_headerNatural = false;
    }
    SortBy(column, m_headerNatural);
}

} // namespace qor
