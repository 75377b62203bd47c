#include "shell/app/Application.h"

#include "archive/zip/ZipRepair.h"
#include "foundation/DataFolders.h"
#include "foundation/EarlierFiles.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/TerminalText.h"
#include "lists/NamedSources.h"
#include "platform/VirtualWaveOut.h"
#include "platform/WaveOutFactory.h"
#include "playback/PlaybackManager.h"
#include "review/CallHistory.h"
#include "review/HotLists.h"
#include "review/ShortCuts.h"
#include "shell/app/Branding.h"
#include "shell/app/EndOnSignal.h"
#include "shell/app/MainWindow.h"
#include "shell/app/RecentFiles.h"
#include "shell/app/SingleInstance.h"
#include "shell/app/StartArguments.h"
#include "shell/common/CallPath.h"
#include "shell/common/ShellIcons.h"
#include "shell/common/ShellTexts.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qor {
namespace {

// A display to open on, or Qt's own choice of one (-platform before any "--").
bool HasDisplay(const std::vector<char*>& forQt)
{
    for (const char* variable : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        if (const char* value = std::getenv(variable); value && *value)
            return true;
    return std::any_of(forQt.begin(), forQt.end(), [](const char* argument) {
        return argument && (std::strcmp(argument, "-platform") == 0 || std::strcmp(argument, "--platform") == 0);
    });
}

void LoadStores()
{
    Singleton<CSettings>::Instance()->Load();
    TakeOverEarlierFiles();
    Singleton<CCallHistory>::Instance()->Load();
    Singleton<CShortCuts>::Instance()->Load();
    Singleton<CHotLists>::Instance()->Load();
}

void SaveStores()
{
    Singleton<CSettings>::Instance()->Save();
    Singleton<CCallHistory>::Instance()->Save();
    Singleton<CShortCuts>::Instance()->Save();
    Singleton<CHotLists>::Instance()->Save();
}

void RaiseWindow(QWidget& window)
{
    if (window.isMinimized())
        window.showMaximized();
    // An open dialog comes forward with its window.
    QWidget* front = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : &window;
    front->raise();
    front->activateWindow();
}

} // namespace

int CQorTolvaneApp::Run(int argc, char** argv)
{
    if (const std::optional<int> answered = AnswerHelpOrVersion(argc, argv))
        return *answered;
    CStartArguments arguments = SplitAtDashes(argc, argv);
    if (!HasDisplay(arguments.forQt)) {
        std::fprintf(stderr,
            "qortolvane: no display to open its window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
            "Run it on a desktop, or without one under a virtual display: xvfb-run -a qortolvane\n");
        return 1;
    }
    int qtArgc = static_cast<int>(arguments.forQt.size()) - 1;
    QApplication application(qtArgc, arguments.forQt.data());
    QApplication::setApplicationVersion(QStringLiteral(QOR_VERSION));
    SetUpIconTheme();
    if (!UseBranding())
        return 1; // nothing was loaded, so nothing is saved over the user's files
    LoadStores();

    CRecentFiles recentFiles;
    recentFiles.Load();
    CMainFrame frame(recentFiles);
    CSingleInstance instance;
    if (QString why; CSingleInstance::ServerName(&why).isEmpty()) {
        // Another user's folder could answer for a running copy, or listen for ours.
        const QString text = QStringLiteral("%1 cannot start safely: %2. Set XDG_RUNTIME_DIR to a "
                                            "folder of yours that only you may enter.")
                                 .arg(ShellText(IDS_PRODUCT_NAME), why);
        std::fprintf(stderr, "qortolvane: %s\n", text.toLocal8Bit().constData());
        if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
            QMessageBox::critical(nullptr, ShellText(IDS_PRODUCT_NAME), text);
        return 1;
    }
    std::error_code noWorkingFolder;
    const std::vector<std::string> named = NamedPaths(
        qtArgc, arguments.forQt.data(), arguments.afterDashes, std::filesystem::current_path(noWorkingFolder).string());
    // The running copy came forward (or is busy): this one ends and saves nothing over its files.
    // A request it refused (too large) is a failure of this start.
    using Answer = CSingleInstance::Answer;
    const auto handOver = [&instance, &named] {
        const Answer answer = instance.HandOverToRunningCopy(named);
        if (answer == Answer::Busy)
            std::fprintf(stderr, "qortolvane: a copy of the program is already running (busy just now)\n");
        if (answer == Answer::Refused)
            std::fprintf(stderr, "qortolvane: the running copy refused to open what was named (too much at once)\n");
        // The running copy names them in its window; whoever started this one reads them here.
        if (answer == Answer::Raised)
            for (const std::string& problem : SortNamedSources(named, std::string()).problems)
                std::fprintf(stderr, "qortolvane: %s\n", TerminalText(problem).c_str());
        return answer;
    };
    if (const Answer answer = handOver(); answer != Answer::NoCopy)
        return answer == Answer::Refused ? 1 : 0;
    const auto raise = [&frame](const std::vector<std::string>& othersNamed) {
        RaiseWindow(frame);
        frame.OpenNamed(SortNamedSources(othersNamed, std::string()));
    };
    if (!instance.Listen(raise)) {
        if (const Answer answer = handOver(); answer != Answer::NoCopy)
            return answer == Answer::Refused ? 1 : 0;
        if (!instance.TakeOverStaleName()) {
            // Without its name a second copy would run beside this one, saving over its files.
            const QString text
                = QStringLiteral("%1 cannot start: it cannot listen at %2 for later starts (%3).")
                      .arg(ShellText(IDS_PRODUCT_NAME), CSingleInstance::ServerName(), instance.ListenError());
            std::fprintf(stderr, "qortolvane: %s\n", text.toLocal8Bit().constData());
            if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
                QMessageBox::critical(nullptr, ShellText(IDS_PRODUCT_NAME), text);
            return 1;
        }
    }

    auto playback = Singleton<CPlaybackManager>::Instance();
    auto device = MakeWaveOut();
    const bool silent = dynamic_cast<CVirtualWaveOut*>(device.get()) != nullptr;
    playback->SetWaveOut(std::move(device));
    playback->SetErrorReporter([&frame](const std::string& message) {
        QMessageBox::warning(&frame, QApplication::applicationDisplayName(), QString::fromStdString(message));
    });
    frame.showMaximized();
    if (silent)
        frame.ShowStatus(QStringLiteral("No sound server answers: calls play on a silent device."));
    // An archive that a killed run left half-written is put back before anything else can use it.
    for (const CZipRepairOutcome& repair : RepairPendingZipJournals())
        frame.ShowStatus(QStringLiteral("%1: %2").arg(
            QString::fromStdString(repair.archive), QString::fromStdString(repair.message)));
    if (const std::string exposed = Singleton<CSettings>::Instance()->TakeExposureWarning(); !exposed.empty())
        QMessageBox::warning(&frame, QApplication::applicationDisplayName(), QString::fromStdString(exposed));
    if (Singleton<CSettings>::Instance()->GetShowHistory())
        frame.ShowPlayHistory();
    if (const char* folder = std::getenv("QOR_START_FOLDER"); folder && *folder)
        frame.CompileFolders({ PathToQString(folder) }, false);
    // Opened in the event loop, where the end of the session can also end the questions it asks.
    QTimer::singleShot(0, &frame, [&frame, &named] { frame.OpenNamed(SortNamedSources(named, std::string())); });
    const CEndOnSignal endOnSignal;

    const int result = QApplication::exec();
    playback->CloseRecording();
    SaveStores();
    recentFiles.Save();
    return result;
}

} // namespace qor
