// Reading a ".reclist" into a list: the headers are read on a worker thread while the event loop
// runs on and a progress window counts them, so a list of a hundred thousand calls never freezes
// the program. The calls join the list on the window's thread once all are read.
#pragma once

#include "foundation/XmlReader.h"

#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace qor {

class CQorTolvaneDoc;

enum class ListReadOutcome {
    Read,
    Malformed, // what came before the fault was added; error says where it is
    Cancelled, // the list is as it was
};

// notCalls gets the paths the file names that are no calls, which were left out.
ListReadOutcome ReadListInto(QWidget& owner, CQorTolvaneDoc& document, const QString& path, CXmlError& error,
    std::vector<std::string>& notCalls);

// Says what was wrong with a list file that was read: where it is malformed, and what it names
// that is no call. Also on standard error, where a list named when the program started is reported.
void ShowListProblems(QWidget& owner, const QString& path, ListReadOutcome outcome, const CXmlError& error,
    const std::vector<std::string>& notCalls);

} // namespace qor
