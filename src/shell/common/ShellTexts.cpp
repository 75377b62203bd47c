#include "shell/common/ShellTexts.h"

#include "foundation/ResourceStrings.h"

namespace qor {

QString ShellText(int id)
{
    return QString::fromStdString(LoadResourceString(id));
}

QString ShellText(int id, int number)
{
    return QString::fromStdString(FormatResourceString(id, number));
}

QString ShellText(int id, int number, int second)
{
    return QString::fromStdString(FormatResourceString(id, number, second));
}

} // namespace qor
