// The main window shown on the offscreen platform with a virtual sound device that plays fifty
// times faster than real time, over a sandboxed data folder and a folder of generated calls.
#pragma once

#include "foundation/Singleton.h"
#include "platform/VirtualWaveOut.h"
#include "playback/PlaybackManager.h"
#include "review/HotLists.h"
#include "review/ShortCuts.h"
#include "samplegen/SampleRecording.h"
#include "shell/app/ListCompiler.h"
#include "shell/app/MainWindow.h"
#include "shell/app/RecentFiles.h"
#include "shell/lists/ListWindow.h"
#include "support/EventLoop.h"
#include "support/RecordingFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace qor {

class CMainWindowFixture : public ::testing::Test {
protected:
    CMainWindowFixture()
    {
        Singleton<CPlaybackManager>::Instance()->SetWaveOut(std::make_unique<CVirtualWaveOut>(50.0));
        // As the program starts: the trees read from this test's own folder, not an earlier test's.
        Singleton<CShortCuts>::Instance()->Load();
        Singleton<CHotLists>::Instance()->Load();
        frame = std::make_unique<CMainFrame>(recentFiles);
        frame->resize(1200, 800);
        frame->show();
    }

    ~CMainWindowFixture() override
    {
        Singleton<CPlaybackManager>::Instance()->CloseRecording();
        for (CListWindow* list : frame->Lists())
            list->Document().SetModifiedFlag(false);
        frame.reset();
    }

    std::string Call(const std::string& name, int seconds, const char* caller = ">5551234")
    {
        samplegen::CSampleCall call;
        call.durationSeconds = seconds;
        call.callerId = caller;
        return calls.Write("calls/" + name, call);
    }

    CListWindow& Compile(const std::string& source)
    {
        frame->CompileFolders({ QString::fromStdString(source) }, false);
        EXPECT_TRUE(test::RunEventsUntil([&] { return !frame->Compiler().IsRunning(); }, 10'000));
        return *frame->ActiveList();
    }

    std::vector<int> Durations(CListWindow& list)
    {
        std::vector<int> seconds;
        for (const auto& entry : list.Document().Entries())
            seconds.push_back(entry->GetDurationSeconds());
        return seconds;
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder calls;
    CRecentFiles recentFiles;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace qor
