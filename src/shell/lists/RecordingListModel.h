// The calls of one recording list as the table shows them: nine columns read straight from the
// list document by row, with their icons and tooltips. The model keeps no copy of the list; the
// window tells it when the document changed.
#pragma once

#include <QAbstractTableModel>

namespace qor {

class CQorTolvaneDoc;
class CArchiveLogs;

class CRecordingListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // archive: where the "Archived" column looks (may be null: nothing is archived then).
    CRecordingListModel(CQorTolvaneDoc& document, CArchiveLogs* archive, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Dragged calls are the recordings themselves, for a file manager or another list.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // The whole list changed (loaded, sorted, entries added or removed).
    void Reload();
    // One call's row changed (marked, annotated, bookmarked).
    void RowChanged(int row);
    // The archive log changed: every row's "Archived" cell.
    void ArchiveChanged();

Q_SIGNALS:
    // The caller ID of a row was edited in place.
    void CallerIdEdited(int row, const QString& callerId);

private:
    QVariant Text(int row, int column) const;
    QVariant Icon(int row, int column) const;
    QVariant ToolTip(int row, int column) const;

    CQorTolvaneDoc& m_document;
    CArchiveLogs* m_archive;
};

} // namespace qor
