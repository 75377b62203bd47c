// The keyboard's walk between the main window's panes (F6 and Shift+F6).
#include "shell/app/MainWindow.h"
#include "shell/lists/ListWindow.h"
#include "shell/lists/RecordingListView.h"
#include "shell/lists/RecordingTable.h"
#include "shell/panels/AccessPanel.h"
#include "shell/player/OutputScope.h"
#include "shell/player/PlayerForm.h"
#include "shell/player/PlayerPanel.h"

#include <QApplication>
#include <utility>
#include <vector>

namespace qor {

void CMainFrame::FocusPane(int step)
{
    // The panes in order: the access panel, the list in front, the player panel; each with the
    // control that takes the focus, where the pane's keys work (the player's waveform zooms).
    std::vector<std::pair<QWidget*, QWidget*>> panes;
    if (m_accessPanel->isVisible())
        panes.emplace_back(m_accessPanel->widget(), &m_accessPanel->CurrentTree());
    if (CListWindow* list = ActiveList())
        panes.emplace_back(&list->View().Table(), &list->View().Table());
    if (m_playerPanel->isVisible())
        panes.emplace_back(m_playerPanel->widget(), &m_playerPanel->Form().Scope());
    if (panes.empty())
        return;
    const QWidget* focus = QApplication::focusWidget();
    int current = -1;
    for (std::size_t pane = 0; pane < panes.size(); ++pane)
        if (focus && (panes[pane].first == focus || panes[pane].first->isAncestorOf(focus)))
            current = static_cast<int>(pane);
    const int count = static_cast<int>(panes.size());
    const int next = current < 0 ? (step > 0 ? 0 : count - 1) : ((current + step) % count + count) % count;
    const auto [pane, entry] = panes[static_cast<std::size_t>(next)];
    if (entry && entry->isVisible() && entry->isEnabled()) {
        entry->setFocus(Qt::OtherFocusReason);
        return;
    }
    for (QWidget* child : pane->findChildren<QWidget*>())
        if ((child->focusPolicy() & Qt::TabFocus) && child->isVisible() && child->isEnabled()) {
            child->setFocus(Qt::OtherFocusReason);
            return;
        }
}

} // namespace qor
