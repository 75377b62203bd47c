// The user manual that comes with the program, an HTML page shown in the desktop's web browser.
#pragma once

#include <QString>

class QWidget;

namespace qor {

// The manual's file: beside the installed program (share/doc under its prefix), where it was
// installed to, or in the source tree the program was built from; empty when none is there.
QString FindUserManual();

// Opens the manual at a section ("archiving"; empty for the start) in the desktop's browser and
// gives its path, or tells the user why it cannot and gives nothing.
QString OpenUserManual(QWidget* parent, const QString& section = QString());

} // namespace qor
