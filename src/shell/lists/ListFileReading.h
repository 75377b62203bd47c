// Reading a ".reclist" into a list: the headers are read on a worker thread while the event loop
// runs on and a progress window counts them, so a list of a hundred thousand calls never freezes
// the program. The calls join the list on the window's thread once all are read.
#pragma once

#include "foundation/XmlReader.h"

#include <QString>

class QWidget;

namespace qor {

class CQorTolvaneDoc;

enum class ListReadOutcome {
    Read,
    Malformed, // what came before the fault was added; error says where it is
    Cancelled, // the list is as it was
};

ListReadOutcome ReadListInto(QWidget& owner, CQorTolvaneDoc& document, const QString& path, CXmlError& error);

} // namespace qor
