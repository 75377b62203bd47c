#include "shell/panels/TreeStoreModel.h"

#include "shell/common/CallPath.h"
#include "shell/lists/CallClipboard.h"

#include <QMimeData>
#include <algorithm>
#include <unordered_set>

namespace qor {
namespace {

// Items dragged inside a tree: the store's file, then the ids. A drop into another store's tree
// takes the targets only.
const QString kEntriesMime = QStringLiteral("application/x-qortolvane-tree-entries");

quintptr InternalIdOf(std::int32_t id)
{
    return static_cast<quintptr>(static_cast<std::uint32_t>(id));
}

std::int32_t EntryIdOf(quintptr internalId)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(internalId));
}

} // namespace

CTreeStoreModel::CTreeStoreModel(CTreeStore& store, CLook look, QObject* parent)
    : QAbstractItemModel(parent)
    , m_store(store)
    , m_look(std::move(look))
{
    Index();
}

void CTreeStoreModel::Index()
{
    m_children.clear();
    m_positionOfId.clear();
    m_rowOfId.clear();
    // A copy: views ask about the old tree while a change that has already happened is laid out.
    m_shown = m_store.Entries();
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> childrenOf;
    for (std::size_t position = 0; position < m_shown.size(); ++position) {
        m_positionOfId.emplace(m_shown[position].id, position);
        childrenOf[m_shown[position].parentId].push_back(m_shown[position].id);
    }
    // Only what hangs from the top is shown: an entry in a loop of parents (a hand-made file) or
    // below a missing group would have no way up.
    std::vector<std::int32_t> pending{ CTreeStore::kNoParent };
    while (!pending.empty()) {
        const std::int32_t parentId = pending.back();
        pending.pop_back();
        const auto children = childrenOf.find(parentId);
        if (children == childrenOf.end())
            continue;
        std::vector<std::int32_t>& shown = m_children[parentId];
        for (const std::int32_t id : children->second) {
            if (!m_rowOfId.emplace(id, static_cast<int>(shown.size())).second)
                continue;
            shown.push_back(id);
            if (EntryOf(id)->isGroup)
                pending.push_back(id);
        }
    }
}

const CTreeStoreEntry* CTreeStoreModel::EntryOf(std::int32_t id) const
{
    const auto found = m_positionOfId.find(id);
    return found == m_positionOfId.end() ? nullptr : &m_shown[found->second];
}

QModelIndex CTreeStoreModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    const auto siblings = m_children.find(parent.isValid() ? IdOf(parent) : CTreeStore::kNoParent);
    if (siblings == m_children.end() || row >= static_cast<int>(siblings->second.size()))
        return {};
    return createIndex(row, column, InternalIdOf(siblings->second[static_cast<std::size_t>(row)]));
}

QModelIndex CTreeStoreModel::parent(const QModelIndex& child) const
{
    const CTreeStoreEntry* entry = child.isValid() ? EntryOf(IdOf(child)) : nullptr;
    if (!entry || entry->parentId == CTreeStore::kNoParent)
        return {};
    return IndexOf(entry->parentId);
}

int CTreeStoreModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const auto siblings = m_children.find(parent.isValid() ? IdOf(parent) : CTreeStore::kNoParent);
    return siblings == m_children.end() ? 0 : static_cast<int>(siblings->second.size());
}

int CTreeStoreModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CTreeStoreModel::data(const QModelIndex& index, int role) const
{
    const CTreeStoreEntry* entry = index.isValid() ? EntryOf(IdOf(index)) : nullptr;
    if (!entry)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(entry->name);
    case Qt::DecorationRole:
        return entry->isGroup ? m_look.group : m_look.item;
    case Qt::ToolTipRole:
        return entry->isGroup ? QVariant() : QString::fromStdString(entry->target);
    case kEntryIdRole:
        return entry->id;
    case kTargetRole:
        return PathToQString(entry->target);
    case kIsGroupRole:
        return entry->isGroup;
    default:
        return {};
    }
}

bool CTreeStoreModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const QString name = value.toString();
    // An emptied caption keeps the old name.
    if (role != Qt::EditRole || !index.isValid() || name.trimmed().isEmpty())
        return false;
    const std::int32_t id = IdOf(index);
    return Change([&](CTreeStore& store) { return store.Rename(id, name.toStdString()); });
}

QVariant CTreeStoreModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_look.title;
    return {};
}

Qt::ItemFlags CTreeStoreModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDropEnabled;
    if (!IsFirstTopLevel(index))
        flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
    return flags;
}

QStringList CTreeStoreModel::mimeTypes() const
{
    return { kEntriesMime, QStringLiteral("text/uri-list") };
}

QMimeData* CTreeStoreModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<std::int32_t> ids;
    QStringList idTexts;
    for (const QModelIndex& index : indexes)
        if (EntryOf(IdOf(index))) {
            ids.push_back(IdOf(index));
            idTexts << QString::number(IdOf(index));
        }
    QMimeData* data = MakeCallsMimeData(TargetsOf(ids));
    data->setData(kEntriesMime,
        (QString::fromStdString(m_store.FilePath()) + QLatin1Char('\n') + idTexts.join(QLatin1Char(','))).toUtf8());
    return data;
}

QStringList CTreeStoreModel::TargetsOf(const std::vector<std::int32_t>& ids) const
{
    QStringList targets;
    std::unordered_set<std::string> seen;
    for (const std::int32_t id : ids) {
        const CTreeStoreEntry* entry = EntryOf(id);
        if (!entry)
            continue;
        const std::vector<std::string> below
            = entry->isGroup ? m_store.LinksBelow(entry->id) : std::vector<std::string>{ entry->target };
        for (const std::string& target : below)
            if (!target.empty() && seen.insert(target).second)
                targets << PathToQString(target);
    }
    return targets;
}

Qt::DropActions CTreeStoreModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions CTreeStoreModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool CTreeStoreModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex& parent) const
{
    if (!data || !parent.isValid())
        return false;
    const QStringList own = QString::fromUtf8(data->data(kEntriesMime)).split(QLatin1Char('\n'));
    if (own.size() == 2 && own.front().toStdString() == m_store.FilePath())
        return true;
    return m_fileDrop && !PathsFromMimeData(*data).isEmpty();
}

bool CTreeStoreModel::dropMimeData(
    const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const QStringList own = QString::fromUtf8(data->data(kEntriesMime)).split(QLatin1Char('\n'));
    if (own.size() == 2 && own.front().toStdString() == m_store.FilePath()) {
        std::vector<std::int32_t> ids;
        for (const QString& id : own.back().split(QLatin1Char(','), Qt::SkipEmptyParts))
            ids.push_back(id.toInt());
        MoveEntries(ids, parent);
        // The view never takes the dragged rows away itself: the move is done.
        return false;
    }
    return m_fileDrop(PathsFromMimeData(*data), GroupFor(parent));
}

bool CTreeStoreModel::MoveEntries(const std::vector<std::int32_t>& ids, const QModelIndex& target)
{
    const std::int32_t groupId = GroupFor(target);
    const std::unordered_set<std::int32_t> moving(ids.begin(), ids.end());
    const auto movesWithItsGroup = [&](std::int32_t id) {
        for (const CTreeStoreEntry* entry = EntryOf(id); entry && entry->parentId != CTreeStore::kNoParent;
             entry = EntryOf(entry->parentId))
            if (moving.contains(entry->parentId))
                return true;
        return false;
    };
    std::vector<std::int32_t> toMove;
    for (std::int32_t id : ids) {
        const CTreeStoreEntry* entry = EntryOf(id);
        if (entry && entry->parentId != groupId && !IsFirstTopLevel(IndexOf(id)) && !movesWithItsGroup(id))
            toMove.push_back(id);
    }
    return Change([&](CTreeStore& store) {
        bool moved = false;
        for (std::int32_t id : toMove)
            moved = store.Move(id, groupId) || moved;
        return moved;
    });
}

QModelIndex CTreeStoreModel::IndexOf(std::int32_t id) const
{
    return IndexOf(id, 0);
}

QModelIndex CTreeStoreModel::IndexOf(std::int32_t id, int column) const
{
    const auto row = m_rowOfId.find(id);
    if (row == m_rowOfId.end())
        return {};
    return createIndex(row->second, column, InternalIdOf(id));
}

std::int32_t CTreeStoreModel::IdOf(const QModelIndex& index) const
{
    return index.isValid() ? EntryIdOf(index.internalId()) : CTreeStore::kNoParent;
}

std::optional<CTreeStoreEntry> CTreeStoreModel::EntryAt(const QModelIndex& index) const
{
    const CTreeStoreEntry* entry = index.isValid() ? EntryOf(IdOf(index)) : nullptr;
    return entry ? std::optional<CTreeStoreEntry>(*entry) : std::nullopt;
}

bool CTreeStoreModel::IsFirstTopLevel(const QModelIndex& index) const
{
    return index.isValid() && !index.parent().isValid() && index.row() == 0;
}

std::int32_t CTreeStoreModel::GroupFor(const QModelIndex& index) const
{
    const CTreeStoreEntry* entry = index.isValid() ? EntryOf(IdOf(index)) : nullptr;
    if (!entry)
        return CTreeStore::kNoParent;
    return entry->isGroup ? entry->id : entry->parentId;
}

std::vector<std::int32_t> CTreeStoreModel::IdsInDisplayOrder() const
{
    std::vector<std::int32_t> order;
    order.reserve(m_rowOfId.size());
    std::vector<std::int32_t> pending;
    const auto pushChildren = [&](std::int32_t parentId) {
        const auto children = m_children.find(parentId);
        if (children != m_children.end())
            pending.insert(pending.end(), children->second.rbegin(), children->second.rend());
    };
    pushChildren(CTreeStore::kNoParent);
    while (!pending.empty()) {
        const std::int32_t id = pending.back();
        pending.pop_back();
        order.push_back(id);
        pushChildren(id);
    }
    return order;
}

bool CTreeStoreModel::Change(const std::function<bool(CTreeStore&)>& change)
{
    const bool changed = change(m_store);
    if (changed) {
        // A save that fails (another program holding the file too long) is tried again with the
        // next change, and at the latest when the program ends.
        m_store.Save();
        Rebuild();
    }
    return changed;
}

void CTreeStoreModel::Rebuild()
{
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<std::int32_t> ids;
    ids.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before)
        ids.push_back(IdOf(index));
    Index();
    QModelIndexList after;
    after.reserve(before.size());
    for (std::size_t at = 0; at < ids.size(); ++at)
        after.push_back(IndexOf(ids[at], before[static_cast<qsizetype>(at)].column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}

bool CTreeStoreModel::PickUpSavedChanges()
{
    if (!m_store.PickUpSavedChanges())
        return false;
    Rebuild();
    return true;
}

} // namespace qor
