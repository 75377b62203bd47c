// How the list window tells a user that a command failed on some calls: each call named, with
// why, in words they can act on.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

class QWidget;

namespace qor {

class CFileIdentity;
class CRvRecordFileHdr;

// "<file>: <why>", so that a message names the call it is about.
QString NamedFailure(const std::string& path, const std::string& why);

// Why a call could not be read, with where this program takes the right passphrase.
std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult);

// Changes a call's header in its file (see UpdateRecordingHeader), with the passphrase of the
// settings; the header as written is left in header. Empty when it was written, else the call
// named with why not.
QString ChangeHeaderOrSayWhy(const std::string& path, const std::function<bool(CRvRecordFileHdr&)>& change,
    CRvRecordFileHdr& header, const CFileIdentity* expected = nullptr);

// One box for the calls a command could not handle, each named with why (the first ten, then
// how many more; a line too long for the box shortened in its middle).
void ShowFailures(QWidget& owner, const QString& heading, const QStringList& failures);

} // namespace qor
