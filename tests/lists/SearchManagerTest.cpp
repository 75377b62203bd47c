#include "lists/SearchManager.h"

#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "lists/CandidateReader.h"
#include "lists/QorTolvaneDoc.h"
#include "lists/RecordingWalk.h"
#include "lists/index/CallIndex.h"
#include "lists/index/IndexDatabase.h"
#include "recording/HeaderUpdate.h"
#include "samplegen/SampleRecording.h"
#include "support/ChildProcess.h"
#include "support/RecordingFolder.h"
#include "support/Unprivileged.h"

#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <tuple>

namespace qor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using samplegen::CSampleCall;

class SearchManager : public ::testing::Test {
protected:
    // Runs a whole search the way the main window does and hands the result to the document.
    CSearchManager::Status Compile(const SearchCriteria& criteria, CQorTolvaneDoc& document, bool replace = false)
    {
        manager.Prepare(criteria);
        const CSearchManager::Status counted = manager.GetStatus();
        if (counted.sourceMissing)
            return counted;
        manager.SetReplaceList(replace);
        EXPECT_TRUE(manager.StartSearch());
        while (manager.IsRunning())
            std::this_thread::sleep_for(1ms);
        manager.HandOffTo(&document);
        return manager.GetStatus();
    }

    SearchCriteria AllOf(std::vector<std::string> sources, bool subFolders = true) const
    {
        SearchCriteria criteria;
        criteria.sources = std::move(sources);
        criteria.includeSubFolders = subFolders;
        criteria.dateRange = kDateRangeAll;
        return criteria;
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
    CSearchManager manager;
};

TEST_F(SearchManager, FindsRecordingsInFoldersAndSortsThemNewestFirst)
{
    CSampleCall call;
    call.startTime = 1'500'000'000;
    folder.Write("calls/notes.QOR", call);
    call.startTime = 1'600'000'000;
    folder.Write("calls/xqor", call);
    call.startTime = 1'700'000'000;
    folder.Write("calls/2016/deep/Alice-20160129-134525.qor", call);
    test::WriteFileText(folder.File("calls/readme.txt"), "not a call");

    CQorTolvaneDoc flat;
    EXPECT_EQ(Compile(AllOf({ folder.File("calls") }, false), flat).total, 2);
    EXPECT_EQ(flat.GetCount(), 2);

    CQorTolvaneDoc deep;
    const auto status = Compile(AllOf({ folder.File("calls") }), deep);
    EXPECT_EQ(status.total, 3);
    EXPECT_EQ(status.scanned, 3);
    ASSERT_EQ(deep.GetCount(), 3);
    EXPECT_EQ(deep.GetEntry(0)->GetDisplayTime(), 1'700'000'000);
    EXPECT_EQ(deep.GetEntry(2)->GetDisplayTime(), 1'500'000'000);
    EXPECT_TRUE(deep.GetEntry(0)->IsLoaded());
    EXPECT_EQ(deep.GetCriteria().sources, std::vector<std::string>{ folder.File("calls") });
}

TEST_F(SearchManager, ASingleRecordingIsASourceOfItsOwn)
{
    const std::string path = folder.Write("one/call.qor");
    folder.Write("one/other.qor");
    CQorTolvaneDoc document;
    EXPECT_EQ(Compile(AllOf({ path }), document).total, 1);
    ASSERT_EQ(document.GetCount(), 1);
    EXPECT_EQ(document.GetEntry(0)->GetPath(), path);
}

TEST_F(SearchManager, AMissingSourceStopsTheSearchBeforeItStarts)
{
    folder.Write("calls/a.qor");
    for (const std::string& missing : { folder.File("nowhere"), std::string() }) {
        manager.Prepare(AllOf({ folder.File("calls"), missing }));
        const auto status = manager.GetStatus();
        EXPECT_TRUE(status.sourceMissing);
        EXPECT_EQ(status.total, 0) << "nothing is walked before the start";
        EXPECT_FALSE(manager.StartSearch());
        EXPECT_FALSE(manager.IsRunning());
    }
}

TEST_F(SearchManager, FiltersApplyInTheirOrder)
{
    CSampleCall call;
    call.callerId = ">0123456";
    call.durationSeconds = 70;
    call.codecTag = kCodecALaw;
    folder.Write("f/Alice-1.qor", call);
    call.callerId = "<1234";
    call.durationSeconds = 30;
    folder.Write("f/Bruno-1.qor", call);
    call.callerId = "<999";
    folder.Write("f/Alice-2.qor", call);

    SearchCriteria criteria = AllOf({ folder.File("f") });
    criteria.fileNamePattern = "alice";
    CQorTolvaneDoc byName;
    Compile(criteria, byName);
    EXPECT_EQ(byName.GetCount(), 2);

    criteria.fileNamePattern = "*";
    criteria.callerIdPattern = "123";
    CQorTolvaneDoc byCaller;
    Compile(criteria, byCaller);
    EXPECT_EQ(byCaller.GetCount(), 2);

    criteria.lengthLimit = true;
    criteria.minimumMinutes = 0;
    CQorTolvaneDoc byLength;
    const auto status = Compile(criteria, byLength);
    ASSERT_EQ(byLength.GetCount(), 1);
    EXPECT_EQ(byLength.GetEntry(0)->GetCallerIdText(), ">0123456");
    EXPECT_EQ(status.scanned, 3) << "rejected files count as scanned";
}

// A copy, restore or unzip gives a file new times; the call's date is the start in its header. A
// file last written before the range holds no call of it and is not even read; a header that
// cannot be read leaves the file's time to decide.
TEST_F(SearchManager, CallsAreDatedByTheStartInTheirHeader)
{
    CSampleCall call;
    call.startTime = 1'450'000'000; // December 2015
    folder.Write("d/old-call-new-file.qor", call);
    call.startTime = static_cast<std::int32_t>(std::time(nullptr)) - 3600;
    folder.Write("d/recent.qor", call);
    const std::string touchedBack = folder.Write("d/recent-but-file-older.qor", call);
    const timespec longAgo[2] = { { 1'400'000'000, 0 }, { 1'400'000'000, 0 } };
    ASSERT_EQ(utimensat(AT_FDCWD, touchedBack.c_str(), longAgo, 0), 0);
    call.startTime = 1'450'000'000;
    call.version = 5;
    call.passphrase = "not given";
    folder.Write("d/encrypted.qor", call);

    SearchCriteria criteria = AllOf({ folder.File("d") });
    criteria.dateRange = kDateRangeWithin30Days;
    CQorTolvaneDoc recent;
    Compile(criteria, recent);
    std::set<std::string> names;
    for (const auto& entry : recent.Entries())
        names.insert(std::filesystem::path(entry->GetPath()).filename().string());
    EXPECT_EQ(names, (std::set<std::string>{ "recent.qor", "encrypted.qor" }));

    criteria.dateRange = kDateRangeSpecific;
    criteria.rangeStart = 1'449'000'000;
    criteria.rangeEnd = 1'451'000'000;
    CQorTolvaneDoc december;
    Compile(criteria, december);
    ASSERT_EQ(december.GetCount(), 1);
    EXPECT_TRUE(december.GetEntry(0)->GetPath().ends_with("old-call-new-file.qor"));
}

TEST_F(SearchManager, UnreadableAndEncryptedFilesAreListedWithTheirTexts)
{
    test::WriteFileText(folder.File("m/broken.qor"), std::string(100, '\x07'));
    CSampleCall call;
    call.version = 5;
    call.passphrase = "demo";
    call.callerId = ">42";
    folder.Write("m/secret.qor", call);
    Singleton<CSettings>::Instance()->SetPassphrase("demo");

    CQorTolvaneDoc document;
    Compile(AllOf({ folder.File("m") }), document);
    ASSERT_EQ(document.GetCount(), 2);
    std::set<std::string> callers;
    for (const auto& entry : document.Entries())
        callers.insert(entry->GetCallerIdText());
    EXPECT_EQ(callers, (std::set<std::string>{ "", ">42" })) << "an unknown header version reads as empty details";
}

TEST_F(SearchManager, CancellingLeavesTheResultsUnsortedAndUnhanded)
{
    CSampleCall call;
    call.durationSeconds = 0;
    for (int i = 0; i < 3000; ++i) {
        call.startTime = 1'000'000 + i; // later names are newer: sorting would reverse the walk order
        char name[32];
        std::snprintf(name, sizeof name, "many/%04d.qor", i);
        folder.Write(name, call);
    }
    manager.Prepare(AllOf({ folder.File("many") }));
    manager.SetReaderCount(8);
    ASSERT_TRUE(manager.StartSearch());
    const auto cancelled = std::chrono::steady_clock::now();
    manager.StopSearch();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 100ms) << "Cancel stops the readers at once";
    EXPECT_FALSE(manager.IsRunning());
    const auto status = manager.GetStatus();
    ASSERT_LT(status.scanned, 3000) << "the worker finished before it could be stopped";
    const auto paths = manager.GetResultPaths();
    EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end())) << "still in the order of the walk";
    EXPECT_EQ(paths.size(), static_cast<std::size_t>(status.scanned));
}

TEST_F(SearchManager, ACancelStopsTheWalkBetweenFoldersThatHoldNoCalls)
{
    for (int i = 0; i < 50; ++i)
        test::WriteFileText(folder.File("tree/" + std::to_string(100 + i) + "/notes.txt"), "no call here");
    folder.Write("tree/999/last.qor");
    int asked = 0;
    CWalkRules rules;
    rules.keepGoing = [&] { return ++asked < 10; };
    std::vector<std::string> found;
    EXPECT_FALSE(WalkRecordings(
        folder.File("tree"), true, [&](const std::string& path) { return found.push_back(path), true; }, rules));
    EXPECT_EQ(asked, 10) << "asked before each folder, and no folder read after the no";
    EXPECT_TRUE(found.empty());
}

TEST_F(SearchManager, ReRunReplacesAndADropAdds)
{
    folder.Write("r/a.qor");
    folder.Write("r/b.qor");
    CQorTolvaneDoc document;
    Compile(AllOf({ folder.File("r") }), document);
    ASSERT_EQ(document.GetCount(), 2);

    fs::remove(folder.File("r/a.qor"));
    folder.Write("r/c.qor");
    Compile(AllOf({ folder.File("r") }), document, true);
    EXPECT_EQ(document.GetCount(), 2) << "a re-run replaces the list";
    EXPECT_FALSE(document.Contains(folder.File("r/a.qor")));
    EXPECT_FALSE(manager.GetReplaceList());

    folder.Write("dropped/d.qor");
    Compile(AllOf({ folder.File("r"), folder.File("dropped") }), document, false);
    EXPECT_EQ(document.GetCount(), 3) << "a drop adds, skipping calls already listed";
}

TEST_F(SearchManager, OverlappingSourcesListEachCallOnceAndTheListKnowsItsCalls)
{
    folder.Write("o/a.qor");
    folder.Write("o/deep/b.qor");
    CQorTolvaneDoc document;
    Compile(AllOf({ folder.File("o"), folder.File("o/a.qor"), folder.File("o/deep"), folder.File("o") }), document);
    ASSERT_EQ(document.GetCount(), 2);
    EXPECT_TRUE(document.Contains(folder.File("o/deep/b.qor")));
    EXPECT_FALSE(document.Contains(folder.File("o/c.qor")));
    auto again = std::make_unique<CRvFileListEntry>();
    again->SetPath(folder.File("o/a.qor"));
    EXPECT_FALSE(document.AddFoundEntry(std::move(again))) << "a call listed already is refused";
    // Through links too, and a ".." after a link climbs from where the link leads.
    fs::create_directory_symlink(folder.File("o/deep"), folder.File("deepLink"));
    fs::create_directories(folder.File("x/y"));
    fs::create_directory_symlink(folder.File("o/deep"), folder.File("x/y/L"));
    CQorTolvaneDoc linked;
    Compile(AllOf({ folder.File("o/deep"), folder.File("deepLink") }), linked);
    EXPECT_EQ(linked.GetCount(), 1);
    CQorTolvaneDoc climbed;
    Compile(AllOf({ folder.File("x/y/L/..") }), climbed);
    EXPECT_EQ(climbed.GetCount(), 2) << "x/y/L/.. is the folder o, not x/y";

    const std::string removed = document.GetEntry(0)->GetPath();
    document.RemoveEntry(0);
    EXPECT_FALSE(document.Contains(removed));
    EXPECT_TRUE(document.Contains(document.GetEntry(0)->GetPath()));
}

TEST_F(SearchManager, LinkedFoldersFifosAndVanishedFilesAreHandledAsAUserExpects)
{
    folder.Write("w/a.qor");
    folder.Write("shared/b.qor");
    folder.Write("w/gone.qor");
    fs::create_directory_symlink("../shared", folder.File("w/link"));
    fs::create_directory_symlink(".", folder.File("w/loop"));
    fs::create_symlink("nothing.qor", folder.File("w/dangling.qor"));
    ASSERT_EQ(mkfifo(folder.File("w/pipe.qor").c_str(), 0644), 0);

    CQorTolvaneDoc before;
    EXPECT_EQ(Compile(AllOf({ folder.File("w") }), before).total, 3) << "a, gone and b through the link, each once";
    // An archive job deletes a call between the walk and its read: no call to list, no error row.
    fs::remove(folder.File("w/gone.qor"));
    EXPECT_EQ(CCandidateFilters(AllOf({}), 0).Read(folder.File("w/gone.qor"), ""), nullptr);
    CQorTolvaneDoc document;
    Compile(AllOf({ folder.File("w") }), document);
    ASSERT_EQ(document.GetCount(), 2);
    std::set<std::string> paths;
    for (const auto& entry : document.Entries()) {
        paths.insert(entry->GetPath());
        EXPECT_NE(entry->GetCallerIdText(), "File error!");
    }
    EXPECT_EQ(paths, (std::set<std::string>{ folder.File("w/a.qor"), folder.File("w/link/b.qor") }));
}

TEST_F(SearchManager, ARelativeSourceGivesFullPaths)
{
    folder.Write("rel/a.qor");
    const fs::path before = fs::current_path();
    fs::current_path(folder.Path());
    CQorTolvaneDoc document;
    Compile(AllOf({ "rel" }), document);
    fs::current_path(before);
    ASSERT_EQ(document.GetCount(), 1);
    EXPECT_EQ(document.GetEntry(0)->GetPath(), folder.File("rel/a.qor"));
}

TEST_F(SearchManager, OneReaderAndManyGiveTheSameList)
{
    CSampleCall call;
    for (int i = 0; i < 300; ++i) {
        call.startTime = 1'000'000 + i % 40 * 600; // calls of the same minute tie in the sort
        call.durationSeconds = i % 3;
        call.important = i % 7 == 0;
        folder.Write("odd/" + std::to_string(i % 5) + "/" + std::to_string(i) + ".qor", call);
    }
    folder.Write("odd/locked/hidden.qor", call);
    folder.Write("elsewhere/linked.qor", call);
    fs::create_directory_symlink(folder.File("elsewhere"), folder.File("odd/link"));
    fs::create_symlink("gone.qor", folder.File("odd/dangling.qor"));
    ASSERT_EQ(mkfifo(folder.File("odd/pipe.qor").c_str(), 0644), 0);
    for (const auto& item : fs::recursive_directory_iterator(folder.Path()))
        if (item.is_directory() && !item.is_symlink())
            fs::permissions(item.path(), fs::perms(0755));
    fs::permissions(folder.Path(), fs::perms(0755));
    fs::permissions(folder.File("odd/locked"), fs::perms::none); // unreadable for an ordinary user

    // As an ordinary user, so the locked folder really is unreadable.
    const int result = test::RunUnprivileged([&] {
        const auto compile = [&](int readers) {
            CSearchManager search;
            search.SetReaderCount(readers);
            search.Prepare(AllOf({ folder.File("odd") }));
            search.StartSearch();
            while (search.IsRunning())
                std::this_thread::sleep_for(1ms);
            CQorTolvaneDoc document;
            search.HandOffTo(&document);
            std::vector<std::string> paths;
            for (const auto& entry : document.Entries())
                paths.push_back(entry->GetPath());
            return std::make_tuple(
                paths, document.GetImportantCount(), document.GetTotalDuration(), search.GetUnreadableFolders());
        };
        const auto one = compile(1);
        const auto many = compile(8);
        const auto unreadable = std::get<3>(one);
        const bool named = unreadable.size() == 1 && unreadable.front().first == folder.File("odd/locked")
            && unreadable.front().second == EACCES;
        return (one == many ? 1 : 0) | (std::get<0>(one).size() == 301 ? 2 : 0) | (named ? 4 : 0);
    });
    EXPECT_EQ(result, 7) << "1: the same list, order and totals; 2: the 300 calls and the linked one; "
                            "4: the locked folder named as unreadable";
}

// What a list shows, in its order: each entry's path, details and date text.
using Shown = std::vector<std::tuple<std::string, CEntryDetails, std::string>>;

Shown CompileShown(const SearchCriteria& criteria, ICallIndex* index)
{
    CSearchManager search;
    search.SetCallIndex(index);
    search.Prepare(criteria);
    EXPECT_TRUE(search.StartSearch());
    while (search.IsRunning())
        std::this_thread::sleep_for(1ms);
    CQorTolvaneDoc document;
    search.HandOffTo(&document);
    Shown shown;
    for (const auto& entry : document.Entries())
        shown.emplace_back(entry->GetPath(), entry->Details(), entry->GetDateTimeText());
    return shown;
}

TEST_F(SearchManager, AListThroughTheIndexIsTheListOfEveryFileReadAfterAnyChange)
{
    Singleton<CSettings>::Instance()->SetPassphrase("demo");
    test::CTempFolder cache;
    CIndexDatabase database;
    std::string notice;
    ASSERT_NE(database.Open(cache.File("qortolvane"), notice), CIndexDatabase::Opened::Unavailable) << notice;
    CSqliteCallIndex index(database);
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
        const std::string root = folder.File("seed" + std::to_string(seed));
        std::vector<std::string> calls;
        for (int i = 0; i < 40; ++i) {
            CSampleCall call;
            call.startTime += pick(100'000);
            call.durationSeconds = 1 + pick(3);
            call.important = pick(4) == 0;
            call.comment = pick(3) == 0 ? std::string("Kunde M\xfcller \xe2\x80\x94 ") + std::to_string(i) : "";
            call.callerId = pick(2) == 0 ? ">555" + std::to_string(pick(1000)) : "<" + std::to_string(pick(1000));
            if (pick(8) == 0) {
                call.version = 5;
                call.passphrase = "demo";
            }
            calls.push_back(folder.Write("seed" + std::to_string(seed) + "/" + std::to_string(pick(3)) + "/Line"
                    + std::to_string(i) + "-2016.qor",
                call));
        }
        for (const char* sub : { "/0", "/1", "/2" })
            fs::create_directories(root + sub);
        test::WriteFileText(root + "/0/damaged.qor", "no call at all");
        std::this_thread::sleep_for(1100ms); // older than a tick of the file system's clock: kept
        const SearchCriteria criteria = AllOf({ root });
        EXPECT_EQ(CompileShown(criteria, &index), CompileShown(criteria, nullptr)) << "seed " << seed;
        EXPECT_GT(index.Under(root).size(), 30u) << "the calls were kept";

        // Changed between lists by another program, in every way a file can change.
        for (int round = 0; round < 3; ++round) {
            for (int change = 0; change < 8; ++change) {
                const std::string& call = calls[static_cast<std::size_t>(pick(static_cast<int>(calls.size())))];
                if (!fs::exists(call))
                    continue;
                CRvRecordFileHdr header;
                int loaded = 0;
                const std::string other
                    = root + "/" + std::to_string(pick(3)) + "/X" + std::to_string(round * 8 + change);
                switch (change) {
                case 0: // a comment written in place: same size, same inode
                    UpdateRecordingHeader(
                        call, "demo",
                        [&](CRvRecordFileHdr& h) {
                            h.SetComment("changed " + std::to_string(round));
                            return true;
                        },
                        header, loaded);
                    break;
                case 1: { // replaced by another call
                    const auto source = std::find_if(calls.begin(), calls.end(),
                        [&](const std::string& candidate) { return candidate != call && fs::exists(candidate); });
                    if (source != calls.end()) {
                        fs::copy_file(*source, other + ".tmp");
                        fs::rename(other + ".tmp", call);
                    }
                    break;
                }
                case 2:
                    fs::rename(call, other + "-2016.qor");
                    break;
                case 3:
                    fs::remove(call);
                    break;
                case 4: { // touched
                    const timespec times[2] = { { 0, UTIME_NOW }, { 1'500'000'000, 0 } };
                    utimensat(AT_FDCWD, call.c_str(), times, 0);
                    break;
                }
                case 5:
                    fs::resize_file(call, 1000);
                    break;
                case 6:
                    fs::create_hard_link(call, other + "-hard.qor");
                    break;
                case 7:
                    fs::create_symlink(call, other + "-link.qor");
                    break;
                }
            }
            EXPECT_EQ(CompileShown(criteria, &index), CompileShown(criteria, nullptr))
                << "seed " << seed << " round " << round;
            std::vector<std::string> kept;
            for (const CKeptCall& call : index.Under(root))
                if (!fs::exists(call.path))
                    kept.push_back(call.path);
            EXPECT_TRUE(kept.empty()) << "gone from disk, gone from the index: " << kept.front();
        }
    }
}

// Leaving a group takes the right to read a call without changing its file: the index must then
// show no more of it than the file would.
TEST_F(SearchManager, AKeptCallShowsNoMoreThanItsFileWouldAfterTheRightToReadItIsGone)
{
    CSampleCall call;
    call.comment = "for the group only";
    const std::string path = folder.Write("shared/a.qor", call);
    constexpr gid_t kGroup = 100;
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(chown(path.c_str(), 0, kGroup), 0);
    chmod(path.c_str(), 0640);
    chmod(folder.Path().c_str(), 0755);
    chmod(folder.File("shared").c_str(), 0755);
    test::CTempFolder cache;
    chmod(cache.Path().c_str(), 0755);
    fs::create_directory(cache.File("qortolvane"));
    ASSERT_EQ(chown(cache.File("qortolvane").c_str(), kNobody, kNobody), 0);
    std::this_thread::sleep_for(1100ms); // settled: kept by the first list
    const auto listAs = [&](bool inGroup) {
        return test::RunInChild(
            [&] {
                const gid_t groups[] = { kGroup };
                return setgroups(inGroup ? 1 : 0, groups) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
            },
            [&] {
                CIndexDatabase database;
                std::string notice;
                if (database.Open(cache.File("qortolvane"), notice) == CIndexDatabase::Opened::Unavailable)
                    return 9;
                CSqliteCallIndex index(database);
                const SearchCriteria criteria = AllOf({ folder.File("shared") });
                const Shown through = CompileShown(criteria, &index);
                if (through != CompileShown(criteria, nullptr))
                    return 1;
                return through.size() == 1 && !std::get<1>(through.front()).readFailed ? 2 : 3;
            });
    };
    ASSERT_EQ(listAs(true), 2) << "read, and kept";
    ASSERT_EQ(listAs(true), 2);
    EXPECT_EQ(listAs(false), 3) << "1: the index showed what the file no longer shows";
}

} // namespace
} // namespace qor
