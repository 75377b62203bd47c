#include "shell/app/SingleInstance.h"
#include "support/TestFolders.h"

#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {
namespace {

// Runs the real program twice in one sandbox (its own runtime folder, so a copy the developer has
// open is left alone).
class SecondStart : public ::testing::Test {
protected:
    SecondStart()
        : m_savedRuntime(qgetenv("XDG_RUNTIME_DIR"))
    {
        const std::string runtime = sandbox.Root() + "/runtime";
        mkdir(runtime.c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    }
    ~SecondStart() override
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

TEST_F(SecondStart, RaisesTheRunningCopyAndEndsWithZero)
{
    first.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor(Listening, 20'000)) << first.readAllStandardError().toStdString();

    second.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    ASSERT_TRUE(second.waitForFinished(20'000)) << "the second copy kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy goes on";

    first.kill();
    first.waitForFinished();
    second.start(QStringLiteral(QOR_PROGRAM_PATH), {});
    EXPECT_FALSE(second.waitForFinished(3'000)) << "a name left behind by a killed copy is taken over";
    EXPECT_TRUE(Listening());
}

} // namespace
} // namespace qor
