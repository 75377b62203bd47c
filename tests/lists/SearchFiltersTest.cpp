#include "lists/SearchFilters.h"

#include "foundation/CallTime.h"
#include "lists/ArchiveLookup.h"
#include "lists/EntrySort.h"
#include "samplegen/SampleRecording.h"
#include "support/Locales.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>
#include <map>

namespace qor {
namespace {

constexpr std::int64_t kDay = 86'400;
constexpr std::int64_t kLastMidnight = 1'700'006'400; // a UTC midnight
constexpr std::int64_t kNow = kLastMidnight + 5 * 3600;

TEST(SearchFilters, RecordingPathsEndInQorInAnyCase)
{
    EXPECT_TRUE(IsRecordingPath("/calls/notes.QOR"));
    EXPECT_TRUE(IsRecordingPath("/calls/xqor"));
    EXPECT_FALSE(IsRecordingPath("/calls/a.qo"));
    EXPECT_FALSE(IsRecordingPath("or"));
}

TEST(SearchFilters, NamePatternMatchesAnywhereInTheNameWithoutCase)
{
    EXPECT_TRUE(PassesNameFilter("*", "/x/anything.qor"));
    EXPECT_TRUE(PassesNameFilter("", "/x/anything.qor"));
    EXPECT_TRUE(PassesNameFilter("lice-2016", "/x/Alice-20160129-134525.qor"));
    EXPECT_TRUE(PassesNameFilter("a?ice*", "/x/Alice-20160129.qor"));
    EXPECT_FALSE(PassesNameFilter("qor", "/x/Alice.qor")) << "the extension is not part of the name";
    EXPECT_FALSE(PassesNameFilter("calls", "/calls/Alice.qor")) << "nor is the folder";
    EXPECT_TRUE(PassesNameFilter("M\u00DCLLER", "/x/m\u00FCller-2016.qor")) << "case folding in any script";
    EXPECT_TRUE(PassesNameFilter("\u0431\u0443\u0445", "/x/\u0411\u0423\u0425-1.qor"));
    EXPECT_TRUE(PassesNameFilter("m\u00FCller", "/x/M\xDCLLER.qor")) << "a Windows-1252 name as shown";
}

// Day ranges are the user's calendar days: in New York, "yesterday" starts at local midnight, five
// hours after the UTC one, and a specific range ends with the last second of its last local day.
TEST(SearchFilters, DateRangesCountFromLocalMidnight)
{
    test::CTimeZone zone("America/New_York");
    const std::int64_t localMidnight = kLastMidnight + 5 * 3600; // 2023-11-15 00:00 EST
    const std::int64_t now = localMidnight + 9 * 3600;
    SearchCriteria criteria;
    criteria.dateRange = kDateRangeWithin30Days;
    const std::int64_t summerMidnight = localMidnight - 30 * kDay - 3600; // 2023-10-16 00:00 EDT
    EXPECT_TRUE(PassesDateFilter(criteria, summerMidnight, now));
    EXPECT_FALSE(PassesDateFilter(criteria, summerMidnight - 1, now));
    EXPECT_TRUE(PassesDateFilter(criteria, std::nullopt, now)) << "an unknown time passes";
    criteria.dateRange = kDateRangeYesterdayAndToday;
    EXPECT_TRUE(PassesDateFilter(criteria, localMidnight - kDay, now));
    EXPECT_FALSE(PassesDateFilter(criteria, localMidnight - kDay - 1, now));
    EXPECT_EQ(EarliestCallTime(criteria, now), localMidnight - kDay);
    criteria.dateRange = kDateRangeWithin7Days;
    EXPECT_FALSE(PassesDateFilter(criteria, localMidnight - 7 * kDay - 1, now));
    criteria.dateRange = kDateRangeAll;
    EXPECT_TRUE(PassesDateFilter(criteria, 0, now));

    criteria.dateRange = kDateRangeSpecific;
    criteria.rangeStart = static_cast<std::int32_t>(localMidnight);
    criteria.rangeEnd = static_cast<std::int32_t>(localMidnight + kDay - 1);
    EXPECT_FALSE(PassesDateFilter(criteria, criteria.rangeStart - 1, now));
    EXPECT_TRUE(PassesDateFilter(criteria, criteria.rangeStart, now));
    EXPECT_TRUE(PassesDateFilter(criteria, criteria.rangeEnd, now));
    EXPECT_FALSE(PassesDateFilter(criteria, criteria.rangeEnd + 1, now));
    criteria.rangeEnd = criteria.rangeStart;
    EXPECT_TRUE(PassesDateFilter(criteria, 0, now)) << "an empty range filters nothing";
}

TEST(SearchFilters, IsoTimesCarryTheZonesOffsetInHoursAndMinutes)
{
    const std::int64_t wallClock = kLastMidnight + 9 * 3600 + 33 * 60 + 26; // 09:33:26 on the recorder
    const std::map<std::string, std::string> expected = { { "America/St_Johns", "2023-11-15T09:33:26-03:30" },
        { "Asia/Kolkata", "2023-11-15T09:33:26+05:30" }, { "UTC", "2023-11-15T09:33:26+00:00" } };
    for (const auto& [zoneName, text] : expected) {
        test::CTimeZone zone(zoneName);
        EXPECT_EQ(IsoWallClock(wallClock), text) << zoneName;
        EXPECT_EQ(IsoLocalTime(UnixTimeOfWallClock(wallClock)), text) << zoneName;
    }
}

TEST(SearchFilters, LengthAndCallerIdLoadTheDetails)
{
    test::CTempFolder folder;
    samplegen::CSampleCall call;
    call.callerId = ">0123456";
    call.durationSeconds = 59;
    call.codecTag = kCodecALaw;
    ASSERT_TRUE(samplegen::WriteRecording(folder.File("a.qor"), call));
    call.callerId = "<1234";
    call.durationSeconds = 60;
    ASSERT_TRUE(samplegen::WriteRecording(folder.File("b.qor"), call));
    CRvFileListEntry shortCall, minuteCall;
    shortCall.SetPath(folder.File("a.qor"));
    minuteCall.SetPath(folder.File("b.qor"));

    SearchCriteria criteria;
    EXPECT_TRUE(PassesLengthFilter(criteria, shortCall, ""));
    EXPECT_FALSE(shortCall.IsLoaded()) << "no limit, no reading";
    criteria.lengthLimit = true;
    criteria.minimumMinutes = 0;
    EXPECT_FALSE(PassesLengthFilter(criteria, shortCall, ""));
    EXPECT_TRUE(PassesLengthFilter(criteria, minuteCall, ""));
    criteria.minimumMinutes = 1;
    EXPECT_FALSE(PassesLengthFilter(criteria, minuteCall, "")) << "longer than, not as long as";

    criteria.callerIdPattern = "123";
    EXPECT_TRUE(PassesCallerIdFilter(criteria, shortCall, ""));
    EXPECT_TRUE(PassesCallerIdFilter(criteria, minuteCall, ""));
    criteria.callerIdPattern = "1235";
    EXPECT_FALSE(PassesCallerIdFilter(criteria, minuteCall, ""));
}

class CMapArchive : public IArchiveLookup {
public:
    std::map<std::string, std::int64_t> times;
    std::optional<std::int64_t> ArchivedTime(const CRvFileListEntry& entry) override
    {
        const auto found = times.find(entry.GetPath());
        return found == times.end() ? std::nullopt : std::optional(found->second);
    }
};

TEST(EntrySort, ColumnsHaveTheirNaturalOrders)
{
    test::CTempFolder folder;
    std::vector<std::unique_ptr<CRvFileListEntry>> entries;
    const std::tuple<const char*, int, std::int32_t, bool> calls[]
        = { { "b", 30, 1'700'000'000, false }, { "a", 90, 1'600'000'000, true }, { "c", 60, 1'800'000'000, false } };
    for (const auto& [user, seconds, start, important] : calls) {
        samplegen::CSampleCall call;
        call.userId = user;
        call.durationSeconds = seconds;
        call.startTime = start;
        call.important = important;
        call.codecTag = kCodecALaw;
        const std::string path = folder.File(std::string(user) + ".qor");
        ASSERT_TRUE(samplegen::WriteRecording(path, call));
        entries.push_back(std::make_unique<CRvFileListEntry>());
        entries.back()->SetPath(path);
        entries.back()->LoadDetails("");
    }
    auto users = [&] {
        std::string order;
        for (const auto& entry : entries)
            order += entry->GetUserIdText();
        return order;
    };
    SortEntries(entries, kColumnDateTime, true, nullptr);
    EXPECT_EQ(users(), "cba") << "newest first";
    SortEntries(entries, kColumnDuration, true, nullptr);
    EXPECT_EQ(users(), "acb") << "longest first";
    SortEntries(entries, kColumnDuration, false, nullptr);
    EXPECT_EQ(users(), "bca");
    SortEntries(entries, kColumnUserId, true, nullptr);
    EXPECT_EQ(users(), "abc");
    SortEntries(entries, kColumnImportant, true, nullptr);
    EXPECT_EQ(users(), "acb") << "the important call first, the others newest first";
    for (const bool natural : { true, false }) {
        SortEntries(entries, kColumnBookmark, natural, nullptr);
        EXPECT_EQ(users(), "cba") << "equal in the column: newest first, whichever way";
        SortEntries(entries, kColumnEncrypted, natural, nullptr);
        EXPECT_EQ(users(), "cba");
    }

    CMapArchive archive;
    archive.times[folder.File("b.qor")] = 100;
    archive.times[folder.File("c.qor")] = 200;
    SortEntries(entries, kColumnArchived, true, &archive);
    EXPECT_EQ(users(), "cba") << "latest archive first, never archived last";
    SortEntries(entries, kColumnArchived, false, &archive);
    EXPECT_EQ(users(), "abc");
}

} // namespace
TEST(EntrySort, CallsEqualInTheColumnGoByPathWhateverTheirOrderBefore)
{
    // Entries not read yet are equal in every column: their paths alone decide, in both directions.
    const auto sorted = [](const std::vector<const char*>& paths, int column, bool natural) {
        std::vector<std::unique_ptr<CRvFileListEntry>> entries;
        for (const char* path : paths) {
            entries.push_back(std::make_unique<CRvFileListEntry>());
            entries.back()->SetPath(path);
        }
        SortEntries(entries, column, natural, nullptr);
        std::string names;
        for (const auto& entry : entries)
            names += entry->GetPath().back();
        return names;
    };
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        { { "/x/a", "/x/b", "/x/c", "/x/d" }, "abcd" }, // in path order already, as a walk gives them
        { { "/x/d", "/x/b", "/x/a", "/x/c" }, "abcd" },
        { { "/x/a", "/x/b", "/x/d", "/x-/c" }, "cabd" }, // a walk's order that is not the paths' order
    };
    for (const auto& [paths, expected] : cases)
        for (const int column : { kColumnDateTime, kColumnDuration, kColumnArchived, kColumnUserId })
            for (const bool natural : { true, false })
                EXPECT_EQ(sorted(paths, column, natural), expected)
                    << "column " << column << (natural ? "" : " reversed");
}

} // namespace qor
