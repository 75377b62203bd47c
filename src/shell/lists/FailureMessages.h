// How the list window tells a user that a command failed on some calls: each call named, with
// why, in words they can act on.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

class QWidget;

namespace qor {

class CRvRecordFileHdr;

// "<file>: <why>", so that a message names the call it is about.
QString NamedFailure(const std::string& path, const std::string& why);

// Why a call could not be read, with where this program takes the right passphrase.
std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult);

// One box for the calls a command could not handle, each named with why (the first ten, then
// how many more).
void ShowFailures(QWidget& owner, const QString& heading, const QStringList& failures);

} // namespace qor
