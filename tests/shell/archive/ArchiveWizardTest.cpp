// The archive wizard driven page by page over a list of generated calls: what it archives, what it
// logs, and that originals are only ever deleted once their copies were read back, when the user
// confirms it, and never by a run that was cancelled.
#include "shell/archive/ArchiveWizard.h"

#include "MainWindowFixture.h"
#include "archive/ArchiveLogger.h"
#include "archive/ArchiveTypes.h"
#include "cli/CliRun.h"
#include "lists/EntrySort.h"
#include "shell/archive/WizardStatusPanel.h"
#include "shell/lists/RecordingListView.h"
#include "shell/lists/RecordingTable.h"
#include "support/WidgetTesting.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qor {
namespace {

namespace fs = std::filesystem;
using Wizard = CArchiveWizard;

class ArchiveWizard : public CMainWindowFixture {
protected:
    // Opens the wizard from the list's archive menu and hands it to drive, which ends it.
    void RunWizard(CListWindow& list, int method, const std::function<void(Wizard&)>& drive)
    {
        bool driven = false;
        test::HandleNextDialog([&](QWidget& dialog) {
            drive(dynamic_cast<Wizard&>(dialog));
            driven = true;
            return true;
        });
        Q_EMIT list.View().ArchiveWizardRequested(method);
        EXPECT_TRUE(driven);
    }

    static void Choose(Wizard& wizard, const char* button)
    {
        QAbstractButton* choice = test::FindButton(*wizard.currentPage(), QString::fromLatin1(button));
        ASSERT_NE(choice, nullptr) << button;
        choice->click();
    }

    // Fills the job page, runs the job and waits for it to end.
    static void DefineAndRun(Wizard& wizard, const std::string& target, const char* modification)
    {
        wizard.currentPage()->findChild<QLineEdit*>()->setText(QString::fromStdString(target));
        Choose(wizard, "&Unstructured");
        Choose(wizard, modification);
        wizard.next();
        ASSERT_EQ(wizard.currentId(), Wizard::kProgress);
        EXPECT_TRUE(test::RunEventsUntil([&] { return wizard.currentPage()->isComplete(); }, 60'000));
    }

    static bool ShowsText(QWidget& page, const QString& text)
    {
        for (const QLabel* label : page.findChildren<QLabel*>())
            if (label->text() == text)
                return true;
        return false;
    }

    static QString ArchivedTip(CListWindow& list, int row)
    {
        const QAbstractItemModel& model = *list.View().Table().model();
        return model.data(model.index(row, kColumnArchived), Qt::ToolTipRole).toString();
    }

    std::vector<std::string> Listed(const std::string& zip)
    {
        std::vector<std::string> names;
        std::istringstream lines(test::Shell("unzip -Z1 '" + zip + "'"));
        for (std::string line; std::getline(lines, line);)
            names.push_back(line);
        return names;
    }
};

TEST_F(ArchiveWizard, ZipsTheSelectedCallsKeepsTheOriginalsAndLogsTheJob)
{
    for (const char* name : { "a.qor", "b.qor", "c.qor" })
        Call(name, 5);
    CListWindow& list = Compile(calls.File("calls"));
    list.View().SelectRows({ 0, 2 });
    const std::string zip = calls.File("out/Archive.zip");
    fs::create_directories(calls.File("out"));

    RunWizard(list, kArchiveZip, [&](Wizard& wizard) {
        EXPECT_EQ(wizard.Status().Text(CWizardStatusPanel::kCallCount), QStringLiteral("2"));
        EXPECT_EQ(wizard.Status().Text(CWizardStatusPanel::kWriteMethod), QStringLiteral("ZIP"));
        test::SaveScreenshot(wizard, QStringLiteral("archive-wizard-1-calls"));
        wizard.next();
        ASSERT_EQ(wizard.currentId(), Wizard::kDefineJob);
        // Each missing choice is named, in order, and the page stays.
        QString said;
        for (const char* expected : { "Archive path must be specified.", "Calls modification must be specified.",
                 "Archive structure must be specified." }) {
            test::AnswerNextMessageBox(QMessageBox::Ok, &said);
            wizard.next();
            EXPECT_EQ(said, QString::fromLatin1(expected));
            EXPECT_EQ(wizard.currentId(), Wizard::kDefineJob);
            if (said.startsWith(QStringLiteral("Archive path")))
                wizard.currentPage()->findChild<QLineEdit*>()->setText(QString::fromStdString(zip));
            else if (said.startsWith(QStringLiteral("Calls")))
                Choose(wizard, "Don't modif&y");
        }
        Choose(wizard, "&Unstructured");
        test::SaveScreenshot(wizard, QStringLiteral("archive-wizard-2-job"));
        wizard.next();
        ASSERT_EQ(wizard.currentId(), Wizard::kProgress);
        ASSERT_TRUE(test::RunEventsUntil([&] { return wizard.currentPage()->isComplete(); }, 60'000));
        test::SaveScreenshot(wizard, QStringLiteral("archive-wizard-3-progress"));
        wizard.next();
        EXPECT_EQ(wizard.currentId(), Wizard::kComplete) << "nothing to confirm when the originals stay";
        EXPECT_TRUE(ShowsText(*wizard.currentPage(), QStringLiteral("No calls were modified.")));
        EXPECT_TRUE(ShowsText(*wizard.currentPage(),
            QStringLiteral("2 of 2 calls were archived to %1.").arg(QString::fromStdString(zip))));
        test::SaveScreenshot(wizard, QStringLiteral("archive-wizard-5-complete"));
        wizard.button(QWizard::FinishButton)->click();
    });

    EXPECT_EQ(Listed(zip), (std::vector<std::string>{ "a.qor", "c.qor" }));
    for (const char* name : { "a.qor", "b.qor", "c.qor" })
        EXPECT_TRUE(fs::exists(calls.File(std::string("calls/") + name)));
    const auto log = Singleton<CArchiveLogger>::Instance();
    ASSERT_TRUE(log->Load(true));
    ASSERT_EQ(log->Entries().size(), 1u);
    EXPECT_EQ(log->Entries()[0]->Calls().size(), 2u);
    EXPECT_TRUE(ArchivedTip(list, 0).contains(QStringLiteral(" - ZIP - ") + QString::fromStdString(zip)));
    EXPECT_EQ(ArchivedTip(list, 1), QStringLiteral("Not archived yet"));
}

TEST_F(ArchiveWizard, DeletesOnlyConfirmedOriginalsThatStillMatchTheirCopies)
{
    for (const char* name : { "a.qor", "b.qor", "c.qor", "d.qor" })
        Call(name, 5);
    CListWindow& list = Compile(calls.File("calls"));
    CListWindow& other = Compile(calls.File("calls"));
    const std::string zip = calls.File("out/Deleted.zip");
    fs::create_directories(calls.File("out"));

    RunWizard(list, kArchiveZip, [&](Wizard& wizard) {
        Choose(wizard, "&All calls in the Call List");
        EXPECT_EQ(wizard.Status().Text(CWizardStatusPanel::kCallCount), QStringLiteral("4"));
        wizard.next();
        DefineAndRun(wizard, zip, "&Delete original calls");
        // Changed after its copy was read back: it is not the call the archive holds.
        std::ofstream(calls.File("calls/b.qor"), std::ios::app) << "changed";
        wizard.next();
        ASSERT_EQ(wizard.currentId(), Wizard::kConfirm);
        EXPECT_TRUE(test::FindButton(*wizard.currentPage(), QStringLiteral("&Cancel Delete"))->isChecked());
        test::SaveScreenshot(wizard, QStringLiteral("archive-wizard-4-confirm"));
        Choose(wizard, "&Start Delete");
        wizard.next();
        ASSERT_TRUE(test::RunEventsUntil([&] { return wizard.currentId() == Wizard::kComplete; }, 30'000));
        EXPECT_TRUE(ShowsText(*wizard.currentPage(), QStringLiteral("3 archived original files were deleted.")));
        EXPECT_TRUE(wizard.currentPage()->findChild<QPlainTextEdit*>()->toPlainText().contains(
            QString::fromStdString(calls.File("calls/b.qor")) + QStringLiteral(": kept: ")));
        wizard.button(QWizard::FinishButton)->click();
    });

    EXPECT_EQ(Listed(zip).size(), 4u);
    for (const char* name : { "a.qor", "c.qor", "d.qor" })
        EXPECT_FALSE(fs::exists(calls.File(std::string("calls/") + name))) << name;
    EXPECT_TRUE(fs::exists(calls.File("calls/b.qor")));
    for (CListWindow* open : { &list, &other }) {
        ASSERT_EQ(open->Document().GetCount(), 1) << "every open list shows the deleted calls gone";
        EXPECT_EQ(open->Document().GetEntry(0)->GetPath(), calls.File("calls/b.qor"));
    }
}

TEST_F(ArchiveWizard, ACancelledOrPartlyFailedRunLogsWhatItsArchiveHoldsAndDeletesNothing)
{
    // Forty copies of a ten-minute call: long enough to be stopped at its start.
    const std::string first = Call("call-00.qor", 600);
    for (int copy = 1; copy < 40; ++copy)
        fs::copy_file(first, calls.File("calls/call-" + std::to_string(copy) + ".qor"));
    CListWindow& list = Compile(calls.File("calls"));
    const std::string zip = calls.File("out/Cancelled.zip");
    fs::create_directories(calls.File("out"));
    const auto logged = [] {
        auto log = Singleton<CArchiveLogger>::Instance();
        log->Load(true);
        std::vector<std::string> paths;
        for (const CJobArchListEntry* job : log->Entries())
            for (const CRvFileListEntry& call : job->Calls())
                paths.push_back(fs::path(call.GetPath()).filename().string());
        return paths;
    };

    RunWizard(list, kArchiveZip, [&](Wizard& wizard) {
        Choose(wizard, "&All calls in the Call List");
        wizard.next();
        wizard.currentPage()->findChild<QLineEdit*>()->setText(QString::fromStdString(zip));
        Choose(wizard, "&Unstructured");
        Choose(wizard, "&Delete original calls");
        wizard.next();
        ASSERT_EQ(wizard.currentId(), Wizard::kProgress);
        test::FindButton(*wizard.currentPage(), QStringLiteral("&Cancel Archiving"))->click();
        ASSERT_TRUE(test::RunEventsUntil([&] { return wizard.currentPage()->isComplete(); }, 60'000));
        wizard.next();
        ASSERT_EQ(wizard.currentId(), Wizard::kComplete) << "nothing to confirm after a cancelled run";
        QWizardPage& summary = *wizard.currentPage();
        EXPECT_TRUE(ShowsText(summary, QStringLiteral("No calls were modified.")));
        EXPECT_TRUE(ShowsText(summary, QStringLiteral("Your archive job was cancelled")));
        EXPECT_FALSE(ShowsText(summary, QStringLiteral("Your archive job is now complete")));
        EXPECT_NE(summary.findChild<QPlainTextEdit*>()->toPlainText(), QStringLiteral("Nothing failed."));
        // A comment is kept in the job's log entry; without one it could be kept nowhere.
        EXPECT_EQ(test::FindButton(summary, QStringLiteral("Co&mment..."))->isEnabled(), !logged().empty());
        wizard.button(QWizard::FinishButton)->click();
    });
    std::size_t left = 0;
    for ([[maybe_unused]] const auto& file : fs::directory_iterator(calls.File("calls")))
        ++left;
    EXPECT_EQ(left, 40u);
    // What the archive holds is what the log names: those calls are archived, and not twice.
    std::vector<std::string> held = fs::exists(zip) ? Listed(zip) : std::vector<std::string>();
    std::vector<std::string> named = logged();
    std::sort(held.begin(), held.end());
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, held);

    // A listed call that vanished before the run: the others are archived and logged, and the
    // summary says so.
    fs::remove(calls.File("calls/call-39.qor"));
    const std::string partly = calls.File("out/Partly.zip");
    RunWizard(list, kArchiveZip, [&](Wizard& wizard) {
        Choose(wizard, "&All calls in the Call List");
        wizard.next();
        DefineAndRun(wizard, partly, "Don't modif&y");
        wizard.next();
        ASSERT_EQ(wizard.currentId(), Wizard::kComplete);
        EXPECT_TRUE(ShowsText(*wizard.currentPage(),
            QStringLiteral("39 of 40 calls were archived to %1; no call was modified.")
                .arg(QString::fromStdString(partly))));
        wizard.button(QWizard::FinishButton)->click();
    });
    EXPECT_EQ(Listed(partly).size(), 39u);
    EXPECT_EQ(logged().size(), named.size() + 39);
}

} // namespace
} // namespace qor
