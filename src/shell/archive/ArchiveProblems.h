// Each call an archive run did not archive, or whose original it kept, with the reason: the lines
// the wizard's summary and the scheduled run's message show.
#pragma once

#include "archive/ArchiveJobFinisher.h"
#include "archive/ArchiveManager.h"

#include <QStringList>
#include <string>
#include <vector>

namespace qor {

QStringList ArchiveProblems(const std::vector<std::string>& messages, const CArchiveManager::Results& results,
    const CArchiveJobOutcome& outcome);

// How many calls the run found to archive: handed over, refused or left out at the size limit.
int CallsFound(const CArchiveManager::Results& results);

} // namespace qor
