// The scheduled job and the archive log in the desktop program, next to the command-line companion
// that shares their files: the settings page, the log page, the scheduled run by the desktop's own
// timer (on a clock the test moves on), and the "Archived" column following the log.
#include "MainWindowFixture.h"
#include "archive/ArchiveLogger.h"
#include "archive/ArchiveManager.h"
#include "archive/JobArchScheduler.h"
#include "cli/CliRun.h"
#include "lists/EntrySort.h"
#include "shell/app/MainMenus.h"
#include "shell/archive/ArchiveCommands.h"
#include "shell/archive/ArchiveLogPage.h"
#include "shell/archive/ArchiveSheet.h"
#include "shell/archive/ScheduledRunDialog.h"
#include "shell/lists/RecordingListView.h"
#include "shell/lists/RecordingTable.h"
#include "support/WidgetTesting.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class ScheduleWindows : public CMainWindowFixture {
protected:
    // Opens the sheet from the menu on a page and hands it to act, which closes it.
    void WithSheet(QAction* menuItem, const std::function<void(CArchiveSheet&)>& act)
    {
        bool handled = false;
        test::HandleNextDialog([&](QWidget& dialog) {
            act(dynamic_cast<CArchiveSheet&>(dialog));
            handled = true;
            return true;
        });
        menuItem->trigger();
        EXPECT_TRUE(handled);
    }

    static void Press(CArchiveSheet& sheet, QDialogButtonBox::StandardButton which)
    {
        sheet.findChild<QDialogButtonBox*>()->button(which)->click();
    }

    static Json Cli(const std::vector<std::string>& arguments)
    {
        const test::CRun run = test::RunCli(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        return Json::parse(run.output, nullptr, false);
    }

    static QString ArchivedTip(CListWindow& list, int row)
    {
        const QAbstractItemModel& model = *list.View().Table().model();
        return model.data(model.index(row, kColumnArchived), Qt::ToolTipRole).toString();
    }

    // A job switched off, over the calls folder, set up by the command line.
    void SetUpJobByCli()
    {
        fs::create_directories(calls.File("archives"));
        const test::CRun set = test::RunCli({ "schedule", "set", "--off", "--folder", calls.File("calls"), "--method",
            "disk", "--to", calls.File("archives") });
        ASSERT_EQ(set.exitCode, 0) << set.errors;
    }

    // The settings page switches the job on as a ZIP job every 7 days at 02:30, deleting originals
    // by month, stopping at 650 MB.
    static void FillSettings(CArchiveSheet& sheet)
    {
        QWidget& page = sheet.SettingsPage();
        page.findChild<QCheckBox*>()->click();
        test::FindButton(page, QStringLiteral("&ZIP"))->click();
        test::FindField<QComboBox>(page, QStringLiteral("Schedule &Every:"))->setCurrentText(QStringLiteral("7"));
        test::FindField<QTimeEdit>(page, QStringLiteral("Days,    at this &time:"))->setTime(QTime(2, 30));
        test::FindField<QComboBox>(page, QStringLiteral("&Modify Original Calls:"))->setCurrentIndex(1);
        test::FindField<QComboBox>(page, QStringLiteral("Structure Calls:"))->setCurrentIndex(2);
        test::FindButton(page, QStringLiteral("Abort archive job if image file e&xceeds"))->click();
        page.findChild<QSpinBox*>()->setValue(650);
    }
};

TEST_F(ScheduleWindows, TheSettingsPageShowsAndSavesWhatTheCommandLineReads)
{
    Call("a.qor", 5);
    // Cancel before any job was saved leaves the defaults, not the choices just made.
    WithSheet(frame->Menus().archiveSettings, [&](CArchiveSheet& sheet) {
        sheet.SettingsPage().findChild<QCheckBox*>()->click();
        test::FindButton(sheet.SettingsPage(), QStringLiteral("&ISO"))->click();
        Press(sheet, QDialogButtonBox::Cancel);
    });
    WithSheet(frame->Menus().archiveSettings, [&](CArchiveSheet& sheet) {
        EXPECT_FALSE(sheet.SettingsPage().findChild<QCheckBox*>()->isChecked());
        EXPECT_FALSE(test::FindButton(sheet.SettingsPage(), QStringLiteral("&ISO"))->isChecked());
        Press(sheet, QDialogButtonBox::Cancel);
    });
    SetUpJobByCli();
    WithSheet(frame->Menus().archiveSettings, [&](CArchiveSheet& sheet) {
        QWidget& page = sheet.SettingsPage();
        EXPECT_EQ(page.findChild<QCheckBox*>()->text(), QStringLiteral("&Scheduled Call Archiving Disabled"));
        EXPECT_EQ(page.findChild<QListWidget*>()->item(0)->text(), QString::fromStdString(calls.File("calls")));
        EXPECT_FALSE(test::FindButton(page, QStringLiteral("&Add..."))->isEnabled()) << "off: nothing else to set";
        FillSettings(sheet);
        EXPECT_EQ(page.findChild<QCheckBox*>()->text(), QStringLiteral("&Scheduled Call Archiving Enabled"));
        test::SaveScreenshot(sheet, QStringLiteral("archive-settings-page"));
        Press(sheet, QDialogButtonBox::Ok);
    });
    const Json job = Cli({ "schedule", "show", "--format", "json" });
    EXPECT_EQ(job["enabled"], true);
    EXPECT_EQ(job["method"], "zip");
    EXPECT_EQ(job["everyDays"], 7);
    EXPECT_EQ(job["after"], "delete");
    EXPECT_EQ(job["structure"], "month");
    EXPECT_EQ(job["thresholdMB"], 650);
    EXPECT_EQ(job["stopAtThreshold"], true);
    EXPECT_NE(job["nextRun"].get<std::string>().find("T02:30"), std::string::npos) << job["nextRun"];
    EXPECT_EQ(job["folders"][0], calls.File("calls"));

    // What the command line changes next shows when the sheet opens again; unticking the size
    // limit stores none.
    ASSERT_EQ(test::RunCli({ "schedule", "set", "--every", "30" }).exitCode, 0);
    WithSheet(frame->Menus().archiveSettings, [&](CArchiveSheet& sheet) {
        EXPECT_EQ(test::FindField<QComboBox>(sheet.SettingsPage(), QStringLiteral("Schedule &Every:"))->currentText(),
            QStringLiteral("30"));
        test::FindButton(sheet.SettingsPage(), QStringLiteral("Abort archive job if image file e&xceeds"))->click();
        Press(sheet, QDialogButtonBox::Apply);
        Press(sheet, QDialogButtonBox::Cancel);
    });
    const Json unlimited = Cli({ "schedule", "show", "--format", "json" });
    EXPECT_EQ(unlimited["thresholdMB"], 0);
    EXPECT_EQ(unlimited["stopAtThreshold"], false);
    EXPECT_EQ(unlimited["everyDays"], 30);

    // A screen reader's toggle action does what a click does.
    WithSheet(frame->Menus().archiveSettings, [&](CArchiveSheet& sheet) {
        QAccessibleInterface* check
            = QAccessible::queryAccessibleInterface(sheet.SettingsPage().findChild<QCheckBox*>());
        EXPECT_EQ(check->text(QAccessible::Name), QStringLiteral("Scheduled call archiving"))
            << "named for what it sets, not its state";
        for (const QString& option : { QStringLiteral("&ISO"), QStringLiteral("Only &Un-archived") })
            QAccessible::queryAccessibleInterface(test::FindButton(sheet.SettingsPage(), option))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Apply)->isEnabled());
        Press(sheet, QDialogButtonBox::Ok);
    });
    const Json toggled = Cli({ "schedule", "show", "--format", "json" });
    EXPECT_EQ(toggled["method"], "iso");
    EXPECT_EQ(toggled["select"], "unarchived");

    // A job that could not run is not saved: here its archives would land among its calls.
    ASSERT_EQ(test::RunCli({ "schedule", "set", "--off" }).exitCode, 0);
    WithSheet(frame->Menus().archiveSettings, [&](CArchiveSheet& sheet) {
        sheet.SettingsPage().findChild<QCheckBox*>()->click();
        auto* path = test::FindField<QLineEdit>(sheet.SettingsPage(), QStringLiteral("&Path:"));
        path->setText(QString::fromStdString(calls.File("calls")));
        Q_EMIT path->textEdited(path->text());
        QString said;
        test::AnswerNextMessageBox(QMessageBox::Ok, &said);
        Press(sheet, QDialogButtonBox::Ok);
        EXPECT_TRUE(said.contains(QStringLiteral("would be written into a folder being archived")))
            << said.toStdString();
        EXPECT_TRUE(sheet.isVisible());
        Press(sheet, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(Cli({ "schedule", "show", "--format", "json" })["enabled"], false);
}

TEST_F(ScheduleWindows, TheLogPageEditsDeletesAndReportsJobs)
{
    const std::string a = Call("a.qor", 5);
    const std::string b = Call("b.qor", 5);
    ASSERT_EQ(test::RunCli({ "archive", a, "--zip", calls.File("first.zip"), "--comment", "first" }).exitCode, 0);
    ASSERT_EQ(test::RunCli({ "archive", a, b, "--iso", calls.File("second.iso"), "--comment", "second" }).exitCode, 0);
    WithSheet(frame->Menus().archiveLogs, [&](CArchiveSheet& sheet) {
        auto* jobs = sheet.LogPage().findChild<QListWidget*>();
        ASSERT_EQ(jobs->count(), 2);
        EXPECT_TRUE(jobs->item(0)->text().endsWith(QStringLiteral(" - ZIP - 1 (calls) - first")));
        EXPECT_TRUE(jobs->item(1)->text().endsWith(QStringLiteral(" - ISO - 2 (calls) - second")));
        test::SaveScreenshot(sheet, QStringLiteral("archive-log-page"));

        jobs->setCurrentRow(1);
        const QString report = sheet.LogPage().WriteReport(QString::fromStdString(calls.Path()));
        QFile written(report);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(written.readAll());
        EXPECT_TRUE(text.startsWith(QStringLiteral("Archiver Report\nIssued: ")));
        EXPECT_TRUE(text.contains(
            QStringLiteral("\nArchive Job: ISO\nArchive File: ") + QString::fromStdString(calls.File("second.iso"))));
        EXPECT_TRUE(text.contains(QStringLiteral("\nFiles count: 2\n")));

        test::HandleNextDialog([](QWidget& dialog) {
            dialog.findChild<QLineEdit*>()->setText(QStringLiteral("checked by Ann"));
            QMetaObject::invokeMethod(&dialog, "accept");
            return true;
        });
        test::FindButton(sheet.LogPage(), QStringLiteral("Edit &Comment..."))->click();
        EXPECT_TRUE(jobs->item(1)->text().endsWith(QStringLiteral(" - checked by Ann")));
        jobs->setCurrentRow(0);
        test::FindButton(sheet.LogPage(), QStringLiteral("D&elete"))->click();
        Press(sheet, QDialogButtonBox::Ok);
    });
    const Json log = Cli({ "log", "--format", "json" });
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0]["comment"], "checked by Ann");
    EXPECT_EQ(log[0]["method"], "ISO");
}

// The office job (the administrator's: root here, as by default) is shown with the user's own, and
// nothing in her windows changes it.
TEST_F(ScheduleWindows, TheOfficeJobIsShownWithHerOwnAndNeverChanged)
{
    const std::string a = Call("a.qor", 5);
    Call("b.qor", 5);
    fs::create_directories(sandbox.MachineBase() + "/Veltrane/Qor Tolvane/Configuration");
    fs::create_directories(calls.File("office"));
    CListWindow& list = Compile(calls.File("calls"));
    ASSERT_EQ(test::RunCli({ "schedule", "set", "--office", "--on", "--folder", calls.File("calls"), "--method", "zip",
                               "--to", calls.File("office"), "--name", "nightly" })
                  .exitCode,
        0);
    ASSERT_EQ(test::RunCli({ "schedule", "run", "--office" }).exitCode, 0);
    ASSERT_EQ(test::RunCli({ "archive", a, "--disk", calls.File("office") }).exitCode, 0);
    ASSERT_TRUE(test::RunEventsUntil([&] { return ArchivedTip(list, 0).count(QLatin1Char('\n')) == 1; }, 10'000))
        << "her job and the office's: " << ArchivedTip(list, 0).toStdString();
    EXPECT_NE(ArchivedTip(list, 1), QStringLiteral("Not archived yet")) << "archived by the office job alone";

    WithSheet(frame->Menus().archiveSettings, [&](CArchiveSheet& sheet) {
        const auto* office = sheet.SettingsPage().findChild<QLabel*>(QStringLiteral("OfficeJob"));
        ASSERT_NE(office, nullptr);
        EXPECT_TRUE(office->text().startsWith(
            QStringLiteral("Office job, set by the administrator (on): \"nightly\", ZIP into ")))
            << office->text().toStdString();
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(const_cast<QLabel*>(office))->text(QAccessible::Name), office->text())
            << "a screen reader reads the note itself";
        test::SaveScreenshot(sheet, QStringLiteral("archive-settings-office-job"));
        Press(sheet, QDialogButtonBox::Cancel);
    });
    WithSheet(frame->Menus().archiveLogs, [&](CArchiveSheet& sheet) {
        auto* jobs = sheet.LogPage().findChild<QListWidget*>();
        ASSERT_EQ(jobs->count(), 2);
        EXPECT_TRUE(jobs->item(1)->text().startsWith(QStringLiteral("Office job: ")));
        jobs->selectAll();
        EXPECT_FALSE(test::FindButton(sheet.LogPage(), QStringLiteral("D&elete"))->isEnabled());
        EXPECT_TRUE(test::FindButton(sheet.LogPage(), QStringLiteral("View &Detail"))->isEnabled());
        jobs->setCurrentRow(1);
        EXPECT_FALSE(test::FindButton(sheet.LogPage(), QStringLiteral("Edit &Comment..."))->isEnabled());
        Press(sheet, QDialogButtonBox::Ok);
    });
    const Json log = Cli({ "log", "--format", "json" });
    ASSERT_EQ(log.size(), 2u) << log.dump();

    // The office log taken over by someone else: its run is left out, and the page says why.
    const std::string officeLog = sandbox.MachineBase() + "/Veltrane/Qor Tolvane/Configuration/archive.log";
    ASSERT_EQ(chown(officeLog.c_str(), 65534, 65534), 0);
    WithSheet(frame->Menus().archiveLogs, [&](CArchiveSheet& sheet) {
        EXPECT_EQ(sheet.LogPage().findChild<QListWidget*>()->count(), 1);
        auto* note = sheet.LogPage().findChild<QLabel*>(QStringLiteral("LogsNotShown"));
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(note)->text(QAccessible::Name), note->text());
        EXPECT_EQ(note->text(),
            QStringLiteral("Not shown: %1 is not trusted (it belongs to another user).")
                .arg(QString::fromStdString(officeLog)));
        Press(sheet, QDialogButtonBox::Cancel);
    });
}

TEST_F(ScheduleWindows, RunScheduledNowAsksWhileTheJobIsOff)
{
    QString asked;
    test::AnswerNextMessageBox(QMessageBox::No, &asked);
    frame->Menus().runScheduled->trigger();
    EXPECT_EQ(asked, QStringLiteral("\u2018Scheduler is not Enabled, would you like to Modify Settings now?"));
}

TEST_F(ScheduleWindows, TheArchivedColumnFollowsJobsTheCommandLineLogs)
{
    const std::string a = Call("a.qor", 5);
    Call("b.qor", 5);
    CListWindow& list = Compile(calls.File("calls"));
    EXPECT_EQ(ArchivedTip(list, 0), QStringLiteral("Not archived yet"));
    ASSERT_EQ(test::RunCli({ "archive", a, "--zip", calls.File("a.zip") }).exitCode, 0);
    ASSERT_TRUE(
        test::RunEventsUntil([&] { return ArchivedTip(list, 0) != QStringLiteral("Not archived yet"); }, 10'000));
    fs::create_directories(calls.File("disk"));
    ASSERT_EQ(test::RunCli({ "archive", a, "--disk", calls.File("disk") }).exitCode, 0);
    ASSERT_TRUE(test::RunEventsUntil([&] { return ArchivedTip(list, 0).count(QLatin1Char('\n')) == 1; }, 10'000));
    const QStringList jobs = ArchivedTip(list, 0).split(QLatin1Char('\n'));
    EXPECT_TRUE(jobs[0].endsWith(QStringLiteral(" - ZIP - ") + QString::fromStdString(calls.File("a.zip"))));
    EXPECT_TRUE(jobs[1].endsWith(QStringLiteral(" - DISK - ") + QString::fromStdString(calls.File("disk"))));
    EXPECT_EQ(ArchivedTip(list, 1), QStringLiteral("Not archived yet"));
    const QAbstractItemModel& model = *list.View().Table().model();
    EXPECT_FALSE(model.data(model.index(0, kColumnArchived), Qt::DecorationRole).isNull());
    EXPECT_EQ(model.data(model.index(0, kColumnArchived), Qt::AccessibleTextRole).toString(), ArchivedTip(list, 0))
        << "a screen reader says what the icon shows";
    EXPECT_TRUE(model.data(model.index(1, kColumnArchived), Qt::DecorationRole).isNull());
}

TEST_F(ScheduleWindows, TheDesktopRunsADueJobOnceAndTheTimerOfTheCommandLineFindsItDone)
{
    for (const char* name : { "a.qor", "b.qor", "c.qor" })
        Call(name, 5);
    SetUpJobByCli();
    std::int64_t now = std::time(nullptr);
    frame->Archive().SetClock([&now] { return now; });
    WithSheet(frame->Menus().archiveSettings, [&](CArchiveSheet& sheet) {
        FillSettings(sheet);
        // Only the originals' fate differs from the filled page: they stay.
        test::FindField<QComboBox>(sheet.SettingsPage(), QStringLiteral("&Modify Original Calls:"))->setCurrentIndex(0);
        Press(sheet, QDialogButtonBox::Ok);
    });
    const std::int64_t due = frame->Archive().Scheduler().GetSettings().scheduledTime;
    ASSERT_GT(due, now);
    EXPECT_LE(frame->Archive().SecondsToNextCheck(), CArchiveCommands::kLongestWaitSeconds);

    now = due + 5;
    QString said;
    test::AnswerNextMessageBox(QMessageBox::Ok, &said);
    frame->Archive().CheckSchedule();
    EXPECT_EQ(said, QStringLiteral("Archive Calls finished: 3 (from 3) calls archived."));
    frame->Archive().CheckSchedule(); // the same moment again: nothing to do
    const Json log = Cli({ "log", "--format", "json" });
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0]["callCount"], 3);
    EXPECT_GT(frame->Archive().Scheduler().GetSettings().scheduledTime, now);
    const test::CRun tick = test::RunCli({ "schedule", "run", "--if-due" });
    EXPECT_TRUE(test::Has(tick.output, "not due until")) << tick.output << tick.errors;
    for (const char* name : { "a.qor", "b.qor", "c.qor" })
        EXPECT_TRUE(fs::exists(calls.File(std::string("calls/") + name)));

    // At its next time the archives' folder is gone: said once, and not tried again at that time.
    fs::remove_all(calls.File("archives"));
    now = frame->Archive().Scheduler().GetSettings().scheduledTime + 5;
    QString failed;
    test::AnswerNextMessageBox(QMessageBox::Ok, &failed);
    frame->Archive().CheckSchedule();
    EXPECT_TRUE(failed.startsWith(QStringLiteral("The scheduled archive job was not run: "))) << failed.toStdString();
    QString again;
    test::AnswerNextMessageBox(QMessageBox::Ok, &again);
    frame->Archive().CheckSchedule();
    // The next box to open is this test's own: the check above showed none.
    QMessageBox::information(frame.get(), QStringLiteral("test"), QStringLiteral("no box before this one"));
    EXPECT_EQ(again, QStringLiteral("no box before this one"));
    EXPECT_GT(frame->Archive().SecondsToNextCheck(), CArchiveCommands::kRetrySeconds) << "the next look is a long wait";
}

TEST_F(ScheduleWindows, TheScheduledRunShowsItsProgress)
{
    CScheduledRunDialog dialog(*Singleton<CArchiveManager>::Instance(), frame.get());
    dialog.show();
    EXPECT_FALSE(test::SaveScreenshot(dialog, QStringLiteral("archive-scheduled-run-progress")).isEmpty());
}

} // namespace
} // namespace qor
