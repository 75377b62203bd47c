// "My Calls for Review" holding 10,000 links (ten groups of a thousand) in the real main window:
// opening the window, showing the page, expanding every group, scrolling through them, one edit
// (saved at once) and taking in another program's save, each with the longest event-loop stall.
// Runs in a throw-away home folder of its own.
#include "StallMeter.h"
#include "foundation/DataFolders.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Singleton.h"
#include "review/HotLists.h"
#include "shell/app/MainWindow.h"
#include "shell/app/RecentFiles.h"
#include "shell/common/ShellIcons.h"
#include "shell/panels/AccessPanel.h"
#include "shell/panels/StoreTreeView.h"
#include "shell/panels/TreeStoreModel.h"
#include "shell/panels/review/CallsForReviewPage.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBox>
#include <cstdio>
#include <string>

namespace {

constexpr int kGroups = 10;
constexpr int kLinksPerGroup = 1000;

void WriteTenThousandLinks()
{
    auto store = qor::Singleton<qor::CHotLists>::Instance();
    store->Load();
    std::int32_t id = store->NewId();
    for (int group = 0; group < kGroups; ++group) {
        const std::int32_t groupId = id++;
        store->Add({ groupId, 0, "Group " + std::to_string(group), "", true });
        for (int link = 0; link < kLinksPerGroup; ++link) {
            const std::string target = "/calls/" + std::to_string(group) + "/call-" + std::to_string(link) + ".qor";
            store->Add({ id++, groupId, qor::LinkNameForFile(target), target, false });
        }
    }
    store->Save();
}

void Report(const char* step, qint64 stall)
{
    std::printf("%-32s longest stall %4lld ms\n", step, static_cast<long long>(stall));
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    for (const char* variable : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "QOR_MACHINE_DATA_DIR" })
        qputenv(variable, (home.path() + QLatin1Char('/') + QString::fromLatin1(variable)).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QOR_AUDIO", "virtual");
    QApplication application(argc, argv);
    qor::SetUpIconTheme();
    qor::SetDataFolderNames(
        qor::LoadResourceString(qor::IDS_COMPANY_NAME), qor::LoadResourceString(qor::IDS_PRODUCT_NAME));
    WriteTenThousandLinks();
    CStallMeter stalls;

    stalls.Reset();
    qor::CRecentFiles recentFiles;
    qor::CMainFrame frame(recentFiles);
    frame.resize(1280, 900);
    frame.show();
    Report("open the main window:", stalls.Longest());

    qor::CCallsForReviewPage& page = frame.AccessPanel().CallsForReview();
    qor::CStoreTreeView& tree = page.Tree();
    qor::CTreeStoreModel& model = page.Model();
    stalls.Reset();
    frame.AccessPanel().Pages().setCurrentWidget(&page);
    Report("show My Calls for Review:", stalls.Longest());

    qint64 expandStall = 0;
    const QModelIndex top = model.index(0, 0);
    for (int row = 0; row < model.rowCount(top); ++row) {
        stalls.Reset();
        tree.expand(model.index(row, 0, top));
        expandStall = std::max(expandStall, stalls.Longest());
    }
    Report("expand a group of 1,000 links:", expandStall);

    stalls.Reset();
    QScrollBar& scroll = *tree.verticalScrollBar();
    for (int value = 0; value <= scroll.maximum(); value += scroll.pageStep()) {
        scroll.setValue(value);
        QApplication::processEvents();
    }
    Report("scroll through 10,000 links:", stalls.Longest());
    const int groups = model.rowCount(top) - 4;
    const auto links = static_cast<int>(model.Store().Entries().size()) - model.rowCount(top) - 1;

    stalls.Reset();
    tree.MarkOnly(model.index(0, 0, model.index(model.rowCount(top) - 1, 0, top)));
    tree.RemoveMarked();
    Report("delete a link (saved at once):", stalls.Longest());

    qor::CHotLists other;
    other.Load();
    other.Add({ other.NewId(), 0, "from another program", "", true });
    other.Save();
    stalls.Reset();
    frame.AccessPanel().PickUpSavedChanges();
    Report("take in another program's save:", stalls.Longest());
    std::printf("%d links in %d groups\n", links, groups);
    return 0;
}
