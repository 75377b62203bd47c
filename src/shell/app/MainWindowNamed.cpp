// What the user named when starting the program (or a second start handed over): the way a file
// manager's "Open With" and a shell's arguments reach the window.
#include "foundation/TerminalText.h"
#include "lists/NamedSources.h"
#include "shell/app/MainWindow.h"
#include "shell/common/CallPath.h"
#include "shell/player/PlayerForm.h"
#include "shell/player/PlayerPanel.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace qor {
namespace {

QStringList PathsToQStrings(const std::vector<std::string>& paths)
{
    QStringList texts;
    for (const std::string& path : paths)
        texts.push_back(PathToQString(path));
    return texts;
}

} // namespace

void CMainFrame::OpenNamed(const CNamedSources& named)
{
    CompileFolders(PathsToQStrings(named.folders), false);
    for (const std::string& list : named.lists)
        OpenList(PathToQString(list));
    if (named.calls.size() == 1)
        m_playerPanel->Form().PlayPath(named.calls.front()); // the panel says why one cannot play
    else if (named.calls.size() > 1)
        PlayInNewList(PathsToQStrings(named.calls));
    if (named.problems.empty())
        return;
    // Every one on standard error; the box names the first few, which is what a person reads.
    constexpr std::size_t kProblemsShown = 20;
    QStringList problems;
    for (const std::string& problem : named.problems) {
        std::fprintf(stderr, "qortolvane: %s\n", TerminalText(problem).c_str());
        if (problems.size() < static_cast<qsizetype>(kProblemsShown))
            problems.push_back(PathToQString(problem));
    }
    if (named.problems.size() > kProblemsShown)
        problems.push_back(QStringLiteral("\u2026 and %1 more").arg(named.problems.size() - kProblemsShown));
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
        QStringLiteral("These could not be opened:"), QMessageBox::Ok, this);
    box.setInformativeText(problems.join(QLatin1Char('\n')));
    box.exec();
}

} // namespace qor
