#include "shell/lists/ListFileReading.h"

#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "lists/QorTolvaneDoc.h"
#include "shell/dialogs/ProgressDialog.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <thread>

namespace qor {
namespace {

// A short list is read before a progress window could be seen; it would only flash up.
constexpr int kShowProgressAfterMs = 300;
constexpr int kProgressUpdateMs = 100;

} // namespace

ListReadOutcome ReadListInto(QWidget& owner, CQorTolvaneDoc& document, const QString& path, CXmlError& error)
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
    return document.Adopt(std::move(read), &error) ? ListReadOutcome::Read : ListReadOutcome::Malformed;
}

} // namespace qor
