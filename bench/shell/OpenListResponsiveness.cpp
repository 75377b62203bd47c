// Opens a long ".reclist" in the real main window, sorts it by "Date + Time" with a click on the
// heading and scrolls through every row, while a 10 ms timer in the same event loop notes the
// longest time it had to wait (a stall the user would feel). Prints the stalls, the times and the
// memory: resident memory grown by opening (the list) and by scrolling through it.
#include "StallMeter.h"
#include "lists/EntrySort.h"
#include "lists/QorTolvaneDoc.h"
#include "shell/app/MainWindow.h"
#include "shell/app/RecentFiles.h"
#include "shell/common/ShellIcons.h"
#include "shell/lists/ListWindow.h"
#include "shell/lists/RecordingListView.h"
#include "shell/lists/RecordingTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

long ResidentKiB()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-open-list LIST.reclist\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qor::SetUpIconTheme();
    qor::CRecentFiles recentFiles;
    qor::CMainFrame frame(recentFiles);
    frame.resize(1280, 900);
    frame.show();
    QTest::qWait(100);
    CStallMeter stalls;
    const long before = ResidentKiB();

    stalls.Reset();
    QElapsedTimer step;
    step.start();
    qor::CListWindow* list = frame.OpenList(QString::fromLocal8Bit(argv[1]));
    const qint64 openMs = step.elapsed();
    const qint64 openStall = stalls.Longest();
    if (!list)
        return 1;
    const long opened = ResidentKiB();

    qor::CRecordingTable& table = list->View().Table();
    QHeaderView& header = *table.horizontalHeader();
    // A click on a heading: the list comes sorted by date, so it is sorted by length first.
    const auto sortBy = [&](int column, qint64& stall) {
        const QPoint heading(header.sectionViewportPosition(column) + 5, header.height() / 2);
        stalls.Reset();
        QElapsedTimer clicked;
        clicked.start();
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, heading);
        const qint64 elapsed = clicked.elapsed();
        stall = stalls.Longest();
        return elapsed;
    };
    qint64 durationStall = 0, sortStall = 0;
    const qint64 durationMs = sortBy(qor::kColumnDuration, durationStall);
    const qint64 sortMs = sortBy(qor::kColumnDateTime, sortStall);

    stalls.Reset();
    step.restart();
    QScrollBar& scroll = *table.verticalScrollBar();
    long peak = ResidentKiB();
    for (int value = 0; value <= scroll.maximum(); value += scroll.pageStep()) {
        scroll.setValue(value);
        QApplication::processEvents();
        peak = std::max(peak, ResidentKiB());
    }
    const qint64 scrollMs = step.elapsed();
    const qint64 scrollStall = stalls.Longest();

    const int calls = list->Document().GetCount();
    std::printf("%d calls\n", calls);
    std::printf("open:                %6lld ms, longest stall %4lld ms\n", static_cast<long long>(openMs),
        static_cast<long long>(openStall));
    std::printf("sort by Duration:    %6lld ms, longest stall %4lld ms\n", static_cast<long long>(durationMs),
        static_cast<long long>(durationStall));
    std::printf("sort by Date + Time: %6lld ms, longest stall %4lld ms\n", static_cast<long long>(sortMs),
        static_cast<long long>(sortStall));
    std::printf("scroll:              %6lld ms, longest stall %4lld ms (%d pages)\n", static_cast<long long>(scrollMs),
        static_cast<long long>(scrollStall), scroll.maximum() / std::max(1, scroll.pageStep()) + 1);
    const double listMiB = static_cast<double>(opened - before) / 1024.0;
    const double peakMiB = static_cast<double>(peak - before) / 1024.0;
    std::printf("memory: the open list %.1f MiB; after scrolling through it %.1f MiB (%.2fx)\n", listMiB, peakMiB,
        listMiB > 0 ? peakMiB / listMiB : 0.0);
    for (qor::CListWindow* open : frame.Lists())
        open->Document().SetModifiedFlag(false);
    return 0;
}
