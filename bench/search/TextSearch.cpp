// A search by words over 1,000,000 kept calls: the index is filled once (in build/bench-data, by
// keeping made-up calls in batches, as lists keep what they read), then each search is timed as
// "list --text" asks it, median of eleven.
#include "lists/FileListEntry.h"
#include "lists/index/UserCallIndex.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kCalls = 1'000'000;
constexpr int kBatch = 10'000;

// Comments of a few words from a vocabulary of office calls, with a surname now and then.
const std::vector<std::string> kWords = { "Angebot", "Rückruf", "Termin", "Rechnung", "Lieferung", "Beschwerde",
    "Auftrag", "Zahlung", "Mahnung", "Vertrag", "Kündigung", "Preis", "Frage", "Bestellung", "Reklamation", "quote",
    "invoice", "delivery", "complaint", "callback", "order", "payment", "contract", "meeting", "price" };
const std::vector<std::string> kNames = { "Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner",
    "Becker", "Schulz", "Hoffmann", "Kowalski", "Nowak", "Dubois", "Rossi", "García", "Smith", "Jones" };

void Fill(qor::ICallIndex& index)
{
    std::mt19937 random(1);
    for (int start = 0; start < kCalls; start += kBatch) {
        std::vector<qor::CRvFileListEntry> entries(kBatch);
        std::vector<const qor::CRvFileListEntry*> kept;
        std::vector<qor::CIndexStamp> stamps;
        for (int at = 0; at < kBatch; ++at) {
            const int number = start + at;
            qor::CEntryDetails details;
            details.userId = "Line" + std::to_string(number % 40);
            details.callerId = ">0" + std::to_string(30'000'000 + random() % 70'000'000);
            details.comment = kWords[random() % kWords.size()] + " " + kWords[random() % kWords.size()];
            if (random() % 20 == 0)
                details.comment += " Herr " + kNames[random() % kNames.size()] + std::to_string(random() % 1000);
            details.displayTime = 1'451'606'400 + number * 30;
            details.durationSeconds = 1 + static_cast<int>(random() % 600);
            entries[at].SetPath("/calls/" + details.userId + "/" + std::to_string(number / 1000) + "/call-"
                + std::to_string(number) + ".qor");
            entries[at].TakeDetails(details);
            kept.push_back(&entries[at]);
            stamps.push_back({ 1, static_cast<std::uint64_t>(number), 1440, number, number });
        }
        if (!index.Keep(kept, stamps)) {
            std::fprintf(stderr, "the calls could not be kept\n");
            std::exit(1);
        }
    }
}

} // namespace

int main()
{
    qor::CUserCallIndex index;
    std::string notice;
    if (!index.Open(notice, "build/bench-data/words-1m")) {
        std::fprintf(stderr, "%s\n", notice.c_str());
        return 1;
    }
    if (index.Get()->Summary().calls != kCalls) {
        std::printf("keeping %d made-up calls (once)...\n", kCalls);
        index.Get()->ForgetAll();
        const auto start = std::chrono::steady_clock::now();
        Fill(*index.Get());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("kept in %.1f s\n", took.count());
    }
    std::printf("%d calls kept; each search's median of eleven:\n", kCalls);
    for (const char* words :
        { "kowalski", "müller", "schmi rückruf", "garc", "line7 mahnung", "reklamation", "angebot termin" }) {
        std::vector<double> times;
        std::size_t found = 0;
        for (int run = 0; run < 11; ++run) {
            const auto start = std::chrono::steady_clock::now();
            found = index.Get()->Find(words).size();
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::nth_element(times.begin(), times.begin() + 5, times.end());
        std::printf("  %-18s %8zu calls  %8.1f ms\n", words, found, times[5]);
    }
    return 0;
}
