// Puts back archives that a killed run left half-appended: at the start of either program for
// every journal waiting in the private state folder, and on demand for one archive.
#pragma once

#include <string>
#include <vector>

namespace qor {

struct CZipRepairOutcome {
    std::string archive;
    bool repaired = false; // false: it could not be, and message says why
    std::string message;
};

// Repairs each archive whose journal is waiting, unless a live job holds it; a journal whose
// archive is gone or was replaced is dropped. Creates nothing when there are no journals.
std::vector<CZipRepairOutcome> RepairPendingZipJournals();

// Repairs the archive at path from its journal if one is waiting; one that is still damaged (no
// journal is at hand, as for another user) gets a new directory for the entries it holds whole,
// written after everything it holds. Says what state it is in.
CZipRepairOutcome RepairZipArchive(const std::string& path);

} // namespace qor
