// Feeds arbitrary bytes, in arbitrary pieces, to the running copy's socket as a second start (or
// any program of the user's) would send them. Only a request to come forward makes it come
// forward, and the copy goes on listening whatever it was sent.
#include "FuzzFiles.h"
#include "shell/app/SingleInstance.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

int g_raised = 0;
// Kept until the process ends, never destroyed: the fuzzing driver's arguments are gone by then.
int g_argumentCount = 1;
char g_programName[] = "fuzz-instance";
char* g_arguments[] = { g_programName, nullptr };
QCoreApplication* g_application = nullptr;
qor::CSingleInstance* g_running = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qor::fuzz::UsePrivateDataFolders();
    g_application = new QCoreApplication(g_argumentCount, g_arguments);
    g_running = new qor::CSingleInstance;
    if (!g_running->TakeOverStaleName())
        std::abort();
    g_running->Listen([] { ++g_raised; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray sent(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FuzzedDataProvider pieces(data, size);
    QLocalSocket second;
    second.connectToServer(qor::CSingleInstance::ServerName());
    if (!second.waitForConnected(1000))
        std::abort(); // the copy stopped listening
    const int raisedBefore = g_raised;
    for (qsizetype at = 0; at < sent.size();) {
        const qsizetype length = std::min<qsizetype>(pieces.ConsumeIntegralInRange<int>(1, 8), sent.size() - at);
        second.write(sent.mid(at, length));
        second.flush();
        QCoreApplication::processEvents();
        at += length;
    }
    // The copy answers a request and hangs up on anything else; an unfinished line it waits out.
    QEventLoop answered;
    QTimer::singleShot(50, &answered, &QEventLoop::quit);
    QObject::connect(&second, &QLocalSocket::disconnected, &answered, &QEventLoop::quit);
    if (second.state() == QLocalSocket::ConnectedState)
        answered.exec();
    const bool raised = g_raised != raisedBefore;
    if (raised != sent.startsWith("raise\n"))
        std::abort(); // comes forward for the request, and only for it
    return 0;
}
