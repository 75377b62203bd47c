// Compiling a recording list through the search: counting with "Scanning...", reading with the
// count of calls read, Cancel at any time, and the hand-off of the result to a list window. One
// compilation runs at a time; progress is polled once a second, as the search is built for.
#pragma once

#include "lists/SearchCriteria.h"
#include "lists/SearchManager.h"
#include "lists/index/UserCallIndex.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <set>

class QWidget;

namespace qor {

class CListWindow;
class CProgressDialog;

class CListCompiler : public QObject {
    Q_OBJECT

public:
    enum class Into {
        ActiveList, // the list active when reading ends ("Create...")
        NewList, // a new list opened for it (a folder or shortcut)
        SameList, // the given list, emptied first (its own search run again)
        DroppedOn, // the given list, added to (folders dropped on it)
    };

    // activeList and newList give the main window's active list and open a new one.
    CListCompiler(QWidget& mainWindow, std::function<CListWindow*()> activeList, std::function<CListWindow*()> newList);
    ~CListCompiler() override;

    // Starts compiling; false when one is already running or nothing was found (then said so).
    bool Compile(const SearchCriteria& criteria, Into into, CListWindow* list = nullptr);
    bool IsRunning() const { return m_timer.isActive(); }

Q_SIGNALS:
    void Finished();
    // What the user should hear of the call index (set aside, busy, not kept up), each once a run.
    void Notice(const QString& text);

private:
    void Tick();
    void HandOff();
    void End();
    // The call index for the next search, when the settings want one and it can be had.
    ICallIndex* CallIndex();
    void Tell(const std::string& text);

    QWidget& m_mainWindow;
    std::function<CListWindow*()> m_activeList;
    std::function<CListWindow*()> m_newList;
    // Before the search, so that it outlives the search's thread.
    CUserCallIndex m_index;
    std::set<std::string> m_told;
    CSearchManager m_search;
    QTimer m_timer;
    std::unique_ptr<CProgressDialog> m_progress;
    Into m_into = Into::ActiveList;
    QPointer<CListWindow> m_list;
};

} // namespace qor
