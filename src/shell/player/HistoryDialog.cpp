#include "shell/player/HistoryDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qor {

CHistoryDialog::CHistoryDialog(std::vector<std::string> played, QWidget* parent)
    : QDialog(parent)
    , m_played(std::move(played))
    , m_list(new QListWidget(this))
    , m_play(new QPushButton(QStringLiteral("&Play"), this))
    , m_remove(new QPushButton(QStringLiteral("&Remove"), this))
    , m_clear(new QPushButton(QStringLiteral("C&lear"), this))
{
    setWindowTitle(QStringLiteral("History"));
    setObjectName(QStringLiteral("HistoryDialog"));
    m_list->setAccessibleName(QStringLiteral("Calls played"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const std::string& path : m_played) {
        const QFileInfo file(QString::fromStdString(path));
        auto* item = new QListWidgetItem(QStringLiteral("%1.qor").arg(file.completeBaseName()), m_list);
        item->setToolTip(file.filePath()); // two calls of one name in different folders stay apart
    }
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : { m_play, m_remove, m_clear, close })
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(420, 300);

    connect(m_list, &QListWidget::itemSelectionChanged, this, &CHistoryDialog::UpdateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CHistoryDialog::PlaySelected);
    connect(m_play, &QPushButton::clicked, this, &CHistoryDialog::PlaySelected);
    connect(m_remove, &QPushButton::clicked, this, &CHistoryDialog::RemoveSelected);
    connect(m_clear, &QPushButton::clicked, this, &CHistoryDialog::ClearAll);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    UpdateButtons();
}

void CHistoryDialog::UpdateButtons()
{
    const auto selected = m_list->selectedItems().size();
    m_play->setEnabled(selected == 1);
    m_remove->setEnabled(selected >= 1);
    m_clear->setEnabled(m_list->count() > 0);
}

void CHistoryDialog::PlaySelected()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.size() != 1)
        return;
    m_toPlay = m_played[static_cast<std::size_t>(m_list->row(selected.front()))];
    accept();
}

void CHistoryDialog::RemoveSelected()
{
    std::vector<int> rows;
    for (QListWidgetItem* item : m_list->selectedItems())
        rows.push_back(m_list->row(item));
    std::sort(rows.rbegin(), rows.rend()); // last first, so the rows still to go keep their places
    for (const int row : rows) {
        delete m_list->takeItem(row);
        m_played.erase(m_played.begin() + row);
    }
    m_list->clearSelection();
    UpdateButtons();
}

void CHistoryDialog::ClearAll()
{
    m_list->clear();
    m_played.clear();
    UpdateButtons();
}

} // namespace qor
