#include "archive/zip/ZipArchiver.h"
#include "foundation/DataFolders.h"
#include "foundation/Settings.h"
#include "lists/FileListEntry.h"
#include "lists/QorTolvaneDoc.h"
#include "shell/app/SingleInstance.h"
#include "support/ChildProcess.h"
#include "support/OtherUser.h"
#include "support/RecordingFolder.h"
#include "support/TestFolders.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {
namespace {

// Runs the real program twice in one sandbox (its own runtime folder, so a copy the developer has
// open is left alone).
class ProgramStart : public ::testing::Test {
protected:
    ProgramStart()
        : m_savedRuntime(qgetenv("XDG_RUNTIME_DIR"))
    {
        const std::string runtime = sandbox.Root() + "/runtime";
        mkdir(runtime.c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    }
    ~ProgramStart() override
    {
        for (QProcess* copy : { &first, &second }) {
            copy->kill();
            copy->waitForFinished();
        }
        qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
    }

    static bool Listening()
    {
        QLocalSocket probe;
        probe.connectToServer(CSingleInstance::ServerName());
        return probe.waitForConnected(100);
    }

    test::CDataFolderSandbox sandbox;
    QProcess first;
    QProcess second;

private:
    QByteArray m_savedRuntime;
};

TEST_F(ProgramStart, ASecondCopyRaisesTheRunningOneAndEndsWithZero)
{
    first.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor(Listening, 20'000)) << first.readAllStandardError().toStdString();

    second.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(second.waitForFinished(20'000)) << "the second copy kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy goes on";
    EXPECT_FALSE(std::filesystem::exists(sandbox.Home() + "/Documents")) << "proposed for archives, not made";

    first.kill();
    first.waitForFinished();
    second.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    EXPECT_FALSE(second.waitForFinished(3'000)) << "a name left behind by a killed copy is taken over";
    EXPECT_TRUE(Listening());
}

TEST_F(ProgramStart, OpensWhatItIsGivenAndASecondStartHandsItsOwnOver)
{
    const test::CRecordingFolder calls;
    // A list of one call in each folder.
    for (const std::string folder : { "mine", "theirs" }) {
        CQorTolvaneDoc list;
        auto entry = std::make_unique<CRvFileListEntry>();
        entry->SetPath(calls.Write(folder + "/call.qor"));
        entry->LoadDetails("");
        list.AddEntry(std::move(entry));
        ASSERT_TRUE(list.Save(calls.File(folder + "/" + folder + ".reclist")));
    }
    // Named relative to each start's own working folder, as a shell passes them.
    first.setWorkingDirectory(QString::fromStdString(calls.File("mine")));
    first.start(QStringLiteral(QOR_PROGRAM_PATH), { QStringLiteral("mine.reclist"), QStringLiteral(".") });
    ASSERT_TRUE(QTest::qWaitFor(Listening, 20'000)) << first.readAllStandardError().toStdString();
    second.setWorkingDirectory(QString::fromStdString(calls.File("theirs")));
    second.start(QStringLiteral(QOR_PROGRAM_PATH), { QStringLiteral("theirs.reclist"), QStringLiteral("gone.qor") });
    ASSERT_TRUE(second.waitForFinished(20'000));
    EXPECT_EQ(second.exitCode(), 0);
    // Both say what is gone: the running window to its user, this start to whoever ran it.
    EXPECT_TRUE(second.readAllStandardError().contains("/theirs/gone.qor: no such file or folder"));
    QByteArray said;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (said += first.readAllStandardError()).contains("/theirs/gone.qor: no such file or folder"); },
        20'000))
        << said.toStdString();

    // As much as a command line holds (here 1.3 MB of names) is handed over whole.
    QStringList many;
    for (int name = 0; name < 5000; ++name)
        many.push_back(QStringLiteral("%1-%2.qor").arg(QString(200, QLatin1Char('n'))).arg(name));
    second.start(QStringLiteral(QOR_PROGRAM_PATH), many);
    ASSERT_TRUE(second.waitForFinished(20'000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(second.readAllStandardError().contains("busy")) << "answered, not given up on";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (said += first.readAllStandardError()).contains("n-4999.qor: no such file or folder"); }, 20'000))
        << said.right(300).toStdString();

    // Its box still open, and the list of its folder never saved, the end of the session ends it
    // without asking: the lists it opened are kept among the recent files.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(20'000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    const std::string recent = test::ReadFileText(sandbox.UserBase() + "/Veltrane/Qor Tolvane.conf");
    EXPECT_NE(recent.find(calls.File("mine/mine.reclist")), std::string::npos) << recent;
    EXPECT_NE(recent.find(calls.File("theirs/theirs.reclist")), std::string::npos) << recent;
}

TEST_F(ProgramStart, AnswersHelpAndVersionAndTakesEveryNameAfterTwoDashes)
{
    // Without a display, as from a terminal or a script.
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    for (const char* variable : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        noDisplay.remove(QString::fromLatin1(variable));
    first.setProcessEnvironment(noDisplay);
    for (const QString& option : { QStringLiteral("--version"), QStringLiteral("--help") }) {
        first.start(QStringLiteral(QOR_PROGRAM_PATH), { option });
        ASSERT_TRUE(first.waitForFinished(20'000));
        EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
        const QByteArray said = first.readAllStandardOutput();
        EXPECT_TRUE(said.startsWith(option == QStringLiteral("--help") ? "Lists, plays" : "qortolvane "))
            << said.toStdString();
    }
    EXPECT_FALSE(Listening());

    // Qt's own choice of display serves as one; after "--" a name is a name, even one that looks
    // like an option (of Qt's too).
    first.start(QStringLiteral(QOR_PROGRAM_PATH), { QStringLiteral("-platform"), QStringLiteral("offscreen") });
    ASSERT_TRUE(QTest::qWaitFor(Listening, 20'000)) << first.readAllStandardError().toStdString();
    second.setWorkingDirectory(QString::fromStdString(sandbox.Root()));
    second.start(QStringLiteral(QOR_PROGRAM_PATH),
        { QStringLiteral("-x"), QStringLiteral("--"), QStringLiteral("-style"), QStringLiteral("--help") });
    ASSERT_TRUE(second.waitForFinished(20'000));
    const QByteArray said = second.readAllStandardError();
    EXPECT_TRUE(said.contains("-x: unknown option")) << said.toStdString();
    for (const char* name : { "/-style: no such file or folder", "/--help: no such file or folder" })
        EXPECT_TRUE(said.contains(QByteArray::fromStdString(sandbox.Root()) + name)) << said.toStdString();

    // No path holds a zero byte: a request naming one would open another file, and is refused.
    QLocalSocket request;
    request.connectToServer(CSingleInstance::ServerName());
    ASSERT_TRUE(request.waitForConnected(5'000));
    request.write("open /calls/a.qor%00.reclist\nraise\n");
    QByteArray answer;
    while (!answer.contains('\n') && request.waitForReadyRead(5'000))
        answer += request.readAll();
    EXPECT_EQ(answer, "refused\n");
}

TEST_F(ProgramStart, ARuntimeFolderItCannotListenInEndsTheStartSayingWhy)
{
    // A socket's path holds at most 107 bytes.
    const std::string runtime = sandbox.Root() + "/" + std::string(110, 'r');
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    first.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(first.waitForFinished(20'000)) << "it ran without a name later starts could find";
    EXPECT_EQ(first.exitCode(), 1);
    EXPECT_TRUE(first.readAllStandardError().contains("cannot start: it cannot listen at " + runtime));
}

TEST_F(ProgramStart, ABrandingBundleThatCannotBeFoundEndsTheStartBeforeAnyFileIsRead)
{
    test::WriteFileText(CSettings::GetSystemConfigFilePath(CSettings::kBrandingFile),
        "<?xml version=\"1.0\"?>\r\n<profile version=\"1\">\r\n<section name=\"settings\">"
        "<ResourceFile>tarn-nowhere</ResourceFile></section>\r\n</profile>\r\n");
    first.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(first.waitForFinished(20'000));
    EXPECT_EQ(first.exitCode(), 1);
    EXPECT_TRUE(first.readAllStandardError().contains("Unable to locate the resources file (tarn-nowhere): not found"));
    EXPECT_FALSE(std::filesystem::exists(sandbox.UserBase() + "/Veltrane/Qor Tolvane/Configuration"));
}

TEST_F(ProgramStart, ACopyThatIsTooBusyToAnswerKeepsItsNameAndTheNewOneEnds)
{
    QLocalServer busy; // takes calls and never answers, as a copy stuck loading a large list does
    ASSERT_TRUE(busy.listen(CSingleInstance::ServerName()));
    second.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(second.waitForFinished(20'000)) << "a second copy runs beside the busy one";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("already running"));
    EXPECT_TRUE(std::filesystem::exists(CSingleInstance::ServerName().toStdString())) << "its name was not taken";
}

TEST_F(ProgramStart, RepairsAnArchiveThatAKilledJobLeftHalfWritten)
{
    const test::CTempFolder calls;
    const std::string target = calls.File("calls.zip");
    const std::string held = calls.File("held.qor");
    test::WriteFileText(held, std::string(100'000, 'h'));
    CZIPArchiver writing(nullptr, nullptr);
    writing.Add(target, held, "", 0);
    ASSERT_EQ(writing.Write(), 1);
    const std::string before = test::ReadFileText(target);
    std::vector<std::string> added;
    for (int call = 0; call < 4; ++call) {
        added.push_back(calls.File("added-" + std::to_string(call) + ".qor"));
        test::WriteFileText(added.back(), std::string(200'000, static_cast<char>('a' + call)));
    }
    // Killed after its third call: the old directory is overwritten, the journal holds it.
    EXPECT_EQ(test::RunInChild([] { return true; },
                  [&] {
                      CZIPArchiver appending(
                          [reported = 0](double) mutable {
                              if (++reported == 3)
                                  raise(SIGKILL);
                          },
                          nullptr);
                      for (const std::string& source : added)
                          appending.Add(target, source, "", 0);
                      appending.Write();
                      return 0;
                  }),
        -1);
    ASSERT_NE(test::ReadFileText(target), before);

    first.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor(Listening, 20'000)) << first.readAllStandardError().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return test::ReadFileText(target) == before; }, 20'000))
        << "put back as it was, with the call it held";
}

TEST_F(ProgramStart, WithoutARuntimeFolderItListensInOneNobodyElseCanMakeFirst)
{
    // Without XDG_RUNTIME_DIR the program uses a folder of its own below the user's state folder;
    // the name under /tmp another user could take first decides nothing.
    const auto other = test::COtherUser::Get();
    if (!other)
        GTEST_SKIP() << "a second user is made only when the tests run as root";
    qunsetenv("XDG_RUNTIME_DIR");
    const std::string planted = "/tmp/qortolvane-" + std::to_string(geteuid());
    std::filesystem::remove_all(planted);
    ASSERT_EQ(
        other->Run([&] { return mkdir(planted.c_str(), 0777) == 0 && chmod(planted.c_str(), 0777) == 0 ? 0 : 1; }), 0);
    first.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(first.waitForStarted());
    EXPECT_TRUE(QTest::qWaitFor(Listening, 20'000)) << first.readAllStandardError().toStdString();
    EXPECT_TRUE(CSingleInstance::ServerName().startsWith(QString::fromStdString(GetPrivateStateFolder("runtime"))));
    std::filesystem::remove_all(planted);
}

} // namespace
} // namespace qor
