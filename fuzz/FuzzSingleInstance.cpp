// Feeds arbitrary bytes, in arbitrary pieces, to the running copy's socket as a second start (or
// any program of the user's) would send them. Only a request ("open" lines, then "raise") makes it
// come forward, with exactly the paths it named, and the copy goes on listening whatever it was sent.
#include "FuzzFiles.h"
#include "shell/app/SingleInstance.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <string>
#include <vector>

namespace {

int g_raised = 0;
std::vector<std::string> g_named;
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
    g_running->Listen([](const std::vector<std::string>& named) {
        ++g_raised;
        g_named = named;
    });
    return 0;
}

namespace {

// What the copy must open when it comes forward; nothing when the bytes are no request.
std::optional<std::vector<std::string>> RequestIn(const QByteArray& sent)
{
    std::vector<std::string> named;
    for (qsizetype start = 0, end = sent.indexOf('\n'); end >= 0; start = end + 1, end = sent.indexOf('\n', start)) {
        const QByteArray line = sent.mid(start, end - start);
        if (line == "raise")
            return named;
        if (!line.startsWith("open "))
            return std::nullopt;
        const QByteArray path = QByteArray::fromPercentEncoding(line.mid(5));
        if (path.contains('\0')) // no path holds one
            return std::nullopt;
        named.push_back(path.toStdString());
    }
    return std::nullopt;
}

} // namespace

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
    QCoreApplication::processEvents(); // what was asked is opened once the answer is sent
    const bool raised = g_raised != raisedBefore;
    const auto request = RequestIn(sent);
    if (raised != request.has_value() || (raised && g_named != *request))
        std::abort(); // comes forward for the request, and only for it, with what it named
    return 0;
}
