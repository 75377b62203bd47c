// The program's numbered texts as the windows show them.
#pragma once

#include <QString>

namespace qor {

QString ShellText(int id);
QString ShellText(int id, int number);
QString ShellText(int id, int number, int second);

} // namespace qor
