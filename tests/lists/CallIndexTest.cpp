#include "lists/index/CallIndex.h"

#include "lists/index/IndexDatabase.h"
#include "support/RecordingFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

} // namespace
} // namespace qor
