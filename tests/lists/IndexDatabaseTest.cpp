#include "lists/index/IndexDatabase.h"

#include "support/TestFolders.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using Opened = CIndexDatabase::Opened;

std::string Pragma(sqlite3* database, const std::string& name)
{
    sqlite3_stmt* statement = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(database, ("PRAGMA " + name).c_str(), -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return value;
}

mode_t ModeOf(const std::string& path)
{
    struct stat status { };
    lstat(path.c_str(), &status);
    return status.st_mode & 07777;
}

class IndexDatabase : public ::testing::Test {
protected:
    // A file in the index's place, made by another connection (another program, or an older one).
    void WriteWithSqlite(const std::string& statements)
    {
        fs::remove(db);
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(other, statements.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
    }

    test::CTempFolder temp;
    const std::string folder = temp.File("cache/qortolvane");
    const std::string db = folder + "/calls.db";
    CIndexDatabase index;
    std::string notice;
};

TEST_F(IndexDatabase, IsMadePrivateAndKeptAsItWasLeft)
{
    ASSERT_EQ(index.Open(folder, notice), Opened::Made) << notice;
    EXPECT_EQ(notice, "");
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_EQ(ModeOf(db), 0600u) << "it holds comments and caller IDs";
    EXPECT_EQ(Pragma(index.Handle(), "journal_mode"), "wal");
    EXPECT_EQ(Pragma(index.Handle(), "application_id"), std::to_string(CIndexDatabase::kApplicationId));
    ASSERT_EQ(sqlite3_exec(index.Handle(),
                  "INSERT INTO calls VALUES(x'2f612e716f72', x'2f', 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0,"
                  " '?', '?', '?', '?', '', '?')",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_EQ(ModeOf(db + "-wal"), 0600u);
    index.Close();

    chmod(folder.c_str(), 0755);
    ASSERT_EQ(index.Open(folder, notice), Opened::Existing) << notice;
    EXPECT_EQ(ModeOf(folder), 0700u) << "made private again";
    EXPECT_EQ(Pragma(index.Handle(), "user_version"), std::to_string(CIndexDatabase::kSchemaVersion));
    EXPECT_FALSE(fs::exists(db + ".damaged"));

    // A folder on the way that another user could change: no index is kept there, whether it is
    // shared with the office's group (setgid, as umask 002 leaves it) or belongs to him.
    index.Close();
    ASSERT_EQ(chown(temp.File("cache").c_str(), -1, 100), 0);
    chmod(temp.File("cache").c_str(), 02775);
    EXPECT_EQ(index.Open(folder, notice), Opened::Unavailable);
    chmod(temp.File("cache").c_str(), 0755);
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    ASSERT_EQ(chown(temp.File("cache").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    EXPECT_EQ(index.Open(folder, notice), Opened::Unavailable);
    EXPECT_NE(notice.find("cannot be kept in"), std::string::npos) << notice;
    EXPECT_EQ(index.Handle(), nullptr);
}

// Programs started together (a script listing several folders at once) on a first run: one makes
// the file, and the others must wait for it rather than take its empty start for a foreign file.
TEST_F(IndexDatabase, ProgramsStartingTogetherShareTheFileOneOfThemMakes)
{
    for (int round = 0; round < 8; ++round) {
        const std::string fresh = temp.File("round" + std::to_string(round) + "/qortolvane");
        std::vector<pid_t> children;
        for (int child = 0; child < 6; ++child) {
            const pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                CIndexDatabase own;
                std::string said;
                const Opened opened = own.Open(fresh, said);
                const bool usable = (opened == Opened::Made || opened == Opened::Existing)
                    && sqlite3_exec(own.Handle(), "SELECT count(*) FROM calls", nullptr, nullptr, nullptr) == SQLITE_OK;
                _exit(usable ? 0 : 1);
            }
            children.push_back(pid);
        }
        for (const pid_t pid : children) {
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        EXPECT_FALSE(fs::exists(fs::symlink_status(fresh + "/calls.db.damaged"))) << "round " << round;
    }
}

TEST_F(IndexDatabase, WhatCannotServeIsSetAsideOnceAndMadeAnew)
{
    ASSERT_EQ(index.Open(folder, notice), Opened::Made) << notice;
    ASSERT_EQ(
        sqlite3_exec(index.Handle(),
            "CREATE TABLE filler(x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
            " INSERT INTO filler SELECT randomblob(200) FROM n; PRAGMA wal_checkpoint(TRUNCATE);",
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    index.Close();
    const std::string good = temp.File("good.db");
    fs::copy_file(db, good);

    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const std::string secret = temp.File("secret");
    test::WriteFileText(secret, "kept");
    const std::vector<std::pair<std::string, std::function<void()>>> unusable = {
        { "file is not a database", [&] { test::WriteFileText(db, std::string(8192, '\x5a')); } },
        { "no call index of this program", [&] { WriteWithSqlite("CREATE TABLE t(x)"); } },
        { "made by another version (7)",
            [&] {
                WriteWithSqlite("PRAGMA application_id=" + std::to_string(CIndexDatabase::kApplicationId)
                    + "; PRAGMA user_version=7");
            } },
        { "it is damaged: ",
            [&] {
                fs::copy_file(good, db, fs::copy_options::overwrite_existing);
                const int file = open(db.c_str(), O_WRONLY);
                const std::string garbage(4096 * 8, '\x77');
                ASSERT_EQ(pwrite(file, garbage.data(), garbage.size(), 4096 * 2), static_cast<ssize_t>(garbage.size()));
                close(file);
            } },
        { "not a file of yours alone",
            [&] {
                fs::copy_file(good, db, fs::copy_options::overwrite_existing);
                ASSERT_EQ(chown(db.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
            } },
        { "not a file of yours alone", [&] { fs::create_symlink(secret, db); } },
    };
    for (const auto& [why, make] : unusable) {
        fs::remove(db);
        fs::remove(db + ".damaged");
        make();
        ASSERT_EQ(index.Open(folder, notice), Opened::MadeAnew) << why << ": " << notice;
        EXPECT_NE(notice.find(why), std::string::npos) << notice;
        EXPECT_NE(notice.find("set aside as " + db + ".damaged"), std::string::npos) << notice;
        EXPECT_TRUE(fs::exists(fs::symlink_status(db + ".damaged")));
        EXPECT_EQ(Pragma(index.Handle(), "quick_check"), "ok");
        index.Close();
        EXPECT_EQ(index.Open(folder, notice), Opened::Existing) << "said once: " << notice;
        index.Close();
    }
    EXPECT_EQ(test::ReadFileText(secret), "kept") << "a link in its place is set aside, not followed";

    // Busy in another program's long update: left as it is, and not used this time.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM calls;", nullptr,
                  nullptr, nullptr),
        SQLITE_OK);
    CIndexDatabase second;
    EXPECT_EQ(second.Open(folder, notice), Opened::Unavailable);
    EXPECT_NE(notice.find("busy"), std::string::npos) << notice;
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(second.Open(folder, notice), Opened::Existing) << notice;
}

} // namespace
} // namespace qor
