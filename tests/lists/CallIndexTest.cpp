#include "lists/index/CallIndex.h"

#include "lists/index/IndexDatabase.h"
#include "support/RecordingFolder.h"
#include "support/SmallFileSystem.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using samplegen::CSampleCall;

CIndexStamp StampOf(const std::string& path)
{
    struct stat status { };
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return { status.st_dev, status.st_ino, static_cast<std::uint64_t>(status.st_size),
        status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec,
        status.st_ctim.tv_sec * 1'000'000'000LL + status.st_ctim.tv_nsec };
}

class CallIndex : public ::testing::Test {
protected:
    CallIndex()
    {
        std::string notice;
        EXPECT_NE(database.Open(cache.File("qortolvane"), notice), CIndexDatabase::Opened::Unavailable) << notice;
        index = std::make_unique<CSqliteCallIndex>(database);
    }

    std::unique_ptr<CRvFileListEntry> Loaded(const std::string& path, const std::string& passphrase = "")
    {
        auto entry = std::make_unique<CRvFileListEntry>();
        entry->SetPath(path);
        entry->LoadDetails(passphrase);
        return entry;
    }

    test::CTempFolder cache;
    test::CRecordingFolder calls;
    CIndexDatabase database;
    std::unique_ptr<CSqliteCallIndex> index;
};

TEST_F(CallIndex, GivesBackWhatTheListShowedWhileTheFileIsAsItWas)
{
    CSampleCall marked;
    marked.important = true;
    marked.comment = "Bookmark at:  00:00:01\r\nQuote for M\xfcller, caf\xc3\xa9";
    marked.bookmarkStart = 1;
    marked.bookmarkEnd = 2;
    CSampleCall secret;
    secret.version = 5;
    secret.passphrase = "demo";
    secret.comment = "the account number is 4711";
    const std::vector<std::string> paths = { calls.Write("Line1-20160129-134525.qor", marked),
        calls.Write("odd \xff name\r.qor"), calls.Write("secret.qor", secret) };
    test::WriteFileText(calls.File("damaged.qor"), "not a call");
    std::vector<std::unique_ptr<CRvFileListEntry>> entries;
    for (const std::string& path : paths)
        entries.push_back(Loaded(path, "demo"));
    entries.push_back(Loaded(calls.File("damaged.qor")));
    std::vector<const CRvFileListEntry*> kept;
    std::vector<CIndexStamp> stamps;
    for (const auto& entry : entries) {
        kept.push_back(entry.get());
        stamps.push_back(StampOf(entry->GetPath()));
    }
    ASSERT_TRUE(index->Keep(kept, stamps));

    for (std::size_t at = 0; at < entries.size(); ++at) {
        const auto recalled = index->Recall(entries[at]->GetPath(), stamps[at]);
        if (entries[at]->IsEncrypted()) {
            EXPECT_EQ(recalled, nullptr) << "read again with the passphrase";
            continue;
        }
        ASSERT_NE(recalled, nullptr) << entries[at]->GetPath();
        EXPECT_EQ(recalled->GetPath(), entries[at]->GetPath());
        EXPECT_EQ(recalled->Details(), entries[at]->Details());
        EXPECT_EQ(recalled->GetDateTimeText(), entries[at]->GetDateTimeText());
        EXPECT_EQ(recalled->ReadFailed(), entries[at]->ReadFailed());
        EXPECT_TRUE(recalled->IsLoaded());
    }
    // Another file at the path, or the same one changed, is read again.
    CIndexStamp changed = stamps[0];
    ++changed.changedNs;
    EXPECT_EQ(index->Recall(paths[0], changed), nullptr);
    changed = stamps[0];
    ++changed.inode;
    EXPECT_EQ(index->Recall(paths[0], changed), nullptr);

    const std::vector<CKeptCall> inFolder = index->InFolder(calls.Path());
    ASSERT_EQ(inFolder.size(), 4u);
    EXPECT_TRUE(index->InFolder(calls.Path() + "/sub").empty());
    ASSERT_TRUE(index->Forget({ paths[0], paths[1] }));
    EXPECT_EQ(index->InFolder(calls.Path()).size(), 2u);
    EXPECT_EQ(index->Recall(paths[1], stamps[1]), nullptr);

    // What the encrypted call keeps encrypted is nowhere in the index's files.
    database.Close();
    for (const char* file : { "calls.db", "calls.db-wal" }) {
        const std::string path = cache.File(std::string("qortolvane/") + file);
        if (fs::exists(path)) {
            EXPECT_EQ(test::ReadFileText(path).find("4711"), std::string::npos) << file;
        }
    }
}

// As many entries as asked, each a loaded call under folder, all with the details of one file.
std::vector<std::unique_ptr<CRvFileListEntry>> Copies(const std::string& call, const std::string& folder, int count)
{
    std::vector<std::unique_ptr<CRvFileListEntry>> entries;
    for (int at = 0; at < count; ++at) {
        auto entry = std::make_unique<CRvFileListEntry>();
        entry->SetPath(call);
        entry->LoadDetails("");
        auto copy = std::make_unique<CRvFileListEntry>();
        copy->SetPath(folder + "/" + std::to_string(at) + ".qor");
        copy->TakeDetails(entry->Details());
        entries.push_back(std::move(copy));
    }
    return entries;
}

// Keeps the entries in batches of kBatch, each its own transaction, under folder "/b<n>".
constexpr int kBatch = 200;
bool KeepBatch(ICallIndex& index, const std::string& call, int batch)
{
    const auto entries = Copies(call, "/b" + std::to_string(batch), kBatch);
    std::vector<const CRvFileListEntry*> kept;
    for (const auto& entry : entries)
        kept.push_back(entry.get());
    return index.Keep(kept, std::vector<CIndexStamp>(kept.size(), StampOf(call)));
}

// Every batch is there whole or not at all, and the file is sound.
void ExpectWholeBatches(const std::string& folder, int batches)
{
    CIndexDatabase database;
    std::string notice;
    ASSERT_EQ(database.Open(folder, notice), CIndexDatabase::Opened::Existing) << notice;
    CSqliteCallIndex index(database);
    for (int batch = 0; batch < batches; ++batch) {
        const std::size_t count = index.InFolder("/b" + std::to_string(batch)).size();
        EXPECT_TRUE(count == 0 || count == kBatch) << "batch " << batch << ": " << count;
    }
}

TEST_F(CallIndex, FindsCallsByTheBeginningsOfTheirWordsButNeverAnEncryptedOnesOrAForgottenOnes)
{
    CSampleCall mueller;
    mueller.comment = "R\xc3\xbc" "ckruf Herr M\xc3\xbcller wegen Angebot";
    mueller.callerId = ">0301234";
    mueller.userId = "Anna";
    CSampleCall other;
    other.comment = "Angebot angenommen";
    other.userId = "Bruno";
    CSampleCall secret = mueller;
    secret.version = 5;
    secret.passphrase = "demo";
    const std::string first = calls.Write("Kunde-Alpha.qor", mueller);
    const std::string second = calls.Write("Kunde-Beta.qor", other);
    const std::string hidden = calls.Write("secret.qor", secret);
    const auto keep = [&](const std::vector<std::string>& paths) {
        std::vector<std::unique_ptr<CRvFileListEntry>> entries;
        std::vector<const CRvFileListEntry*> kept;
        std::vector<CIndexStamp> stamps;
        for (const std::string& path : paths) {
            entries.push_back(Loaded(path, "demo"));
            kept.push_back(entries.back().get());
            stamps.push_back(StampOf(path));
        }
        return index->Keep(kept, stamps);
    };
    ASSERT_TRUE(keep({ first, second, hidden }));
    using Paths = std::vector<std::string>;
    EXPECT_EQ(index->Find("mueller"), Paths{}) << "a word begins where it begins";
    EXPECT_EQ(index->Find("MULL"), Paths{ first }) << "any case, without its accent";
    EXPECT_EQ(index->Find("r\xc3\xbc" "ckruf anna 030"), Paths{ first }) << "every word, in any field";
    EXPECT_EQ(index->Find("alpha"), Paths{ first }) << "the file's name";
    EXPECT_EQ(index->Find("bruno angebot"), Paths{ second });
    EXPECT_EQ(index->Find("angebot").size(), 2u) << "the encrypted call keeps no words";
    for (const char* hostile : { "\"", "AND", "NEAR(", "*", "angebot OR anna", "a:b", "\xff\xfe", "", "   " })
        EXPECT_NO_THROW(index->Find(hostile)) << hostile;
    EXPECT_EQ(index->Find("angebot OR zzz"), Paths{}) << "OR is a word here, not an operator";

    // Changed and kept again: its old words go with it; forgotten: all of them.
    other.comment = "Termin verschoben";
    calls.Write("Kunde-Beta.qor", other);
    ASSERT_TRUE(keep({ second }));
    EXPECT_EQ(index->Find("angebot"), Paths{ first });
    EXPECT_EQ(index->Find("termin"), Paths{ second });
    ASSERT_TRUE(index->Forget({ first }));
    EXPECT_EQ(index->Find("angebot"), Paths{});
    ASSERT_TRUE(index->ForgetAll());
    EXPECT_EQ(index->Find("termin"), Paths{});
}

TEST_F(CallIndex, AKillAtAnyMomentAFullDiskOrASecondWriterLeavesItWhole)
{
    const std::string call = calls.Write("call.qor");
    index.reset();
    database.Close();
    // Killed while it keeps one batch after another: no half batch, no damaged file.
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            CIndexDatabase own;
            std::string notice;
            if (own.Open(cache.File("qortolvane"), notice) == CIndexDatabase::Opened::Unavailable)
                _exit(1);
            CSqliteCallIndex writing(own);
            for (int batch = 0;; batch = (batch + 1) % 40)
                KeepBatch(writing, call, batch);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        ExpectWholeBatches(cache.File("qortolvane"), 40);
    }

    // A second writer holding it: a Keep gives up after a while rather than waiting for ever.
    CIndexDatabase first, second;
    std::string notice;
    ASSERT_NE(first.Open(cache.File("qortolvane"), notice), CIndexDatabase::Opened::Unavailable);
    ASSERT_NE(second.Open(cache.File("qortolvane"), notice), CIndexDatabase::Opened::Unavailable);
    CSqliteCallIndex other(second);
    ASSERT_EQ(sqlite3_exec(first.Handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(KeepBatch(other, call, 41));
    sqlite3_exec(first.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_TRUE(KeepBatch(other, call, 41));

    // A disk that fills up: the batch that no longer fits is not kept, and nothing else is lost.
    test::CSmallFileSystem small(4 << 20);
    if (!small.Mounted())
        GTEST_SKIP() << "no small file system to fill (not root)";
    chmod(small.Path().c_str(), 0700); // a home's cache, not a folder everybody may write
    CIndexDatabase full;
    ASSERT_EQ(full.Open(small.File("qortolvane"), notice), CIndexDatabase::Opened::Made) << notice;
    CSqliteCallIndex filling(full);
    ASSERT_TRUE(KeepBatch(filling, call, 0));
    std::error_code missing;
    const auto logBefore = fs::file_size(small.File("qortolvane/calls.db-wal"), missing);
    small.FillLeaving(64 << 10);
    int batch = 1;
    while (batch < 40 && KeepBatch(filling, call, batch))
        ++batch;
    EXPECT_LT(batch, 40) << "the disk never filled";
    EXPECT_EQ(fs::file_size(small.File("qortolvane/calls.db-wal"), missing), logBefore)
        << "the index leaves the disk's last room to its other users";
    full.Close();
    ExpectWholeBatches(small.File("qortolvane"), 40);
}

} // namespace
} // namespace qor
