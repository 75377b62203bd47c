#include "shell/archive/ArchiveProblems.h"

#include "archive/ArchiveLogger.h"
#include "archive/OriginalRemover.h"

namespace qor {

QStringList ArchiveProblems(const std::vector<std::string>& messages, const CArchiveManager::Results& results,
    const CArchiveJobOutcome& outcome)
{
    QStringList lines;
    for (const std::string& message : messages)
        lines << QString::fromStdString(message);
    const auto line
        = [&lines](const std::string& path, const QString& why) { lines << QString::fromStdString(path) + why; };
    for (const std::string& path : results.refused)
        line(path, QStringLiteral(": not archived; the original is kept"));
    for (const std::string& path : outcome.unverified)
        line(path, QStringLiteral(": ") + QString::fromStdString(NotArchivedText(path, results, outcome)));
    for (const std::string& path : results.leftOut)
        line(path, QStringLiteral(": left out: the archive reached its size limit"));
    for (const auto* kept : { &outcome.changed, &outcome.originals.kept })
        for (const auto& [path, reason] : *kept)
            line(path, QStringLiteral(": kept: ") + QString::fromLatin1(OriginalChangeText(reason)));
    for (const auto& [path, copy] : outcome.vanished)
        line(path,
            QStringLiteral(": the original vanished during the job; its copy is in %1")
                .arg(QString::fromStdString(copy)));
    for (const std::string& path : outcome.originals.vanished)
        line(path,
            QStringLiteral(": the original vanished during the job; its copy stays in %1")
                .arg(QString::fromStdString(outcome.target)));
    if (outcome.readBack > 0 && !outcome.logged)
        line(
            CArchiveLogger::FilePath(), QStringLiteral(": the archive log cannot be written; no original was changed"));
    for (const std::string& path : outcome.removed)
        line(path, QStringLiteral(": removed again: the archive log could not name it"));
    return lines;
}

int CallsFound(const CArchiveManager::Results& results)
{
    return results.acceptedCount + static_cast<int>(results.refused.size() + results.leftOut.size());
}

} // namespace qor
