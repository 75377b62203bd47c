#include "shell/archive/ArchiveProblems.h"

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
        line(path, QStringLiteral(": not archived: its copy was not read back intact; the original is kept"));
    for (const std::string& path : results.leftOut)
        line(path, QStringLiteral(": left out: the archive reached its size limit"));
    for (const auto* kept : { &outcome.changed, &outcome.originals.kept })
        for (const auto& [path, reason] : *kept)
            line(path, QStringLiteral(": kept: ") + QString::fromLatin1(OriginalChangeText(reason)));
    return lines;
}

int CallsFound(const CArchiveManager::Results& results)
{
    return results.acceptedCount + static_cast<int>(results.refused.size() + results.leftOut.size());
}

} // namespace qor
