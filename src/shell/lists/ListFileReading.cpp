#include "shell/lists/ListFileReading.h"

#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/TerminalText.h"
#include "lists/QorTolvaneDoc.h"
#include "shell/common/CallPath.h"
#include "shell/dialogs/ProgressDialog.h"
#include "shell/lists/FailureMessages.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <thread>

namespace qor {
namespace {

// A short list is read before a progress window could be seen; it would only flash up.
constexpr int kShowProgressAfterMs = 300;
constexpr int kProgressUpdateMs = 100;

} // namespace

ListReadOutcome ReadListInto(
    QWidget& owner, CQorTolvaneDoc& document, const QString& path, CXmlError& error, std::vector<std::string>& notCalls)
{
    const std::string file = QFile::encodeName(path).toStdString();
    const std::string passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    EntryLoadProgress progress;
    CQorTolvaneDoc::ListFile read;
    QEventLoop loop;
    std::thread reader([&, listed = document.ListedPaths()] {
        read = CQorTolvaneDoc::ReadListFile(file, passphrase, listed, &progress);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    CProgressDialog window(&owner);
    window.SetText(QStringLiteral("Opening %1...").arg(QFileInfo(path).fileName()));
    window.SetRange(0, 0);
    QTimer::singleShot(kShowProgressAfterMs, &window, &CProgressDialog::Begin);
    QTimer update;
    QObject::connect(&update, &QTimer::timeout, &window, [&] {
        if (window.IsCancelled())
            progress.stop = true;
        if (const auto total = static_cast<int>(progress.total); total > 0) {
            window.SetRange(0, total);
            window.SetValue(static_cast<int>(progress.read));
        }
    });
    update.start(kProgressUpdateMs);
    loop.exec();
    reader.join();
    update.stop();
    window.Finish();

    if (progress.stop || window.IsCancelled())
        return ListReadOutcome::Cancelled;
    return document.Adopt(std::move(read), &error, &notCalls) ? ListReadOutcome::Read : ListReadOutcome::Malformed;
}

void ShowListProblems(QWidget& owner, const QString& path, ListReadOutcome outcome, const CXmlError& error,
    const std::vector<std::string>& notCalls)
{
    const std::string file = QFile::encodeName(path).toStdString();
    if (outcome == ListReadOutcome::Malformed) {
        std::fprintf(stderr, "qortolvane: %s: line %d, column %d: %s. %s\n", TerminalText(file).c_str(), error.line,
            error.column, CXmlReader::ErrorText(error.code), TerminalText(error.message).c_str());
        QMessageBox::warning(&owner, QApplication::applicationDisplayName(),
            QString::fromStdString(CQorTolvaneDoc::ParseErrorMessage(file, error)));
    }
    if (notCalls.empty())
        return;
    QStringList named;
    for (const std::string& notCall : notCalls) {
        std::fprintf(stderr, "qortolvane: %s names %s, which is not a call: left out\n", TerminalText(file).c_str(),
            TerminalText(notCall).c_str());
        named.push_back(PathToQString(notCall));
    }
    ShowFailures(
        owner, QStringLiteral("The list %1 names files that are not calls. They were left out:").arg(path), named);
}

} // namespace qor
