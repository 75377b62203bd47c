// A calls-for-review or shortcut store as a tree model. Items are known by their entry's id, so a
// view keeps its expanded groups and its selection when the store changes under it, also when
// another program's save is taken in. Every change made through the model is saved at once.
#pragma once

#include "review/TreeStore.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace qor {

class CTreeStoreModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Role { kEntryIdRole = Qt::UserRole + 1, kTargetRole, kIsGroupRole };

    struct CLook {
        QString title; // the tree's heading
        QIcon group;
        QIcon item;
    };
    // Paths dropped from outside onto a group; true when the store changed.
    using FileDrop = std::function<bool(const QStringList& paths, std::int32_t groupId)>;

    // One model per store: every view of it (a picker showing its groups too) goes through it, so
    // none is left with places in the store that a change has moved.
    CTreeStoreModel(CTreeStore& store, CLook look, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(
        const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) const override;
    bool dropMimeData(
        const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;

    CTreeStore& Store() { return m_store; }
    QModelIndex IndexOf(std::int32_t id) const;
    std::int32_t IdOf(const QModelIndex& index) const;
    std::optional<CTreeStoreEntry> EntryAt(const QModelIndex& index) const;
    // The first top-level group holds the tree: it is never renamed, moved or removed.
    bool IsFirstTopLevel(const QModelIndex& index) const;
    // The group an item stands for as a place to put things: a group itself, a link's group.
    std::int32_t GroupFor(const QModelIndex& index) const;
    // The targets of the items and of the links below the groups among them, each once.
    QStringList TargetsOf(const std::vector<std::int32_t>& ids) const;
    // Every item in the order a fully expanded tree shows them.
    std::vector<std::int32_t> IdsInDisplayOrder() const;

    // Runs a change on the store, saves it and shows the result; returns what the change returned.
    bool Change(const std::function<bool(CTreeStore&)>& change);
    // Shows again what the store holds, keeping the views' expanded items and selections.
    void Rebuild();
    // Takes in another program's save of the store; true when something changed.
    bool PickUpSavedChanges();
    void SetFileDrop(FileDrop fileDrop) { m_fileDrop = std::move(fileDrop); }
    // Moves the items under a group (a link's group when one is the target): nothing goes into
    // itself or below itself, nor onto where it is; an item whose group moves with it stays put.
    bool MoveEntries(const std::vector<std::int32_t>& ids, const QModelIndex& target);

private:
    void Index();
    const CTreeStoreEntry* EntryOf(std::int32_t id) const;
    QModelIndex IndexOf(std::int32_t id, int column) const;

    CTreeStore& m_store;
    CLook m_look;
    FileDrop m_fileDrop;
    // Built from the store in one pass: the entries shown, each item's children, and its place.
    std::vector<CTreeStoreEntry> m_shown;
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> m_children;
    std::unordered_map<std::int32_t, std::size_t> m_positionOfId; // in m_shown
    std::unordered_map<std::int32_t, int> m_rowOfId;
};

} // namespace qor
