// The player's scope on a two-hour GSM call: how long decoding takes and what part of it making
// the waveform summary costs, then the scope repainted 100 times at 1,600 pixels wide, on the
// whole call and zoomed in to ten seconds, as the player's timer repaints it while the call plays.
#include "recording/RecordFile.h"
#include "recording/WaveSummary.h"
#include "samplegen/SampleRecording.h"
#include "shell/player/OutputScope.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace qor;

double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Repaints the scope 100 times, moving the position as playing does (or, with redraw, moving the
// start of a bookmark too, so that the waveform is drawn anew each time); the slowest and the median.
std::pair<double, double> Repaint(COutputScope& scope, std::int32_t from, bool redraw)
{
    std::vector<double> times;
    QPixmap target(scope.size()); // painted as the window's backing store paints it, off-screen
    for (int i = 0; i < 100; ++i) {
        scope.SetPosition(from + i * 1600);
        if (redraw)
            scope.SetBookmark(from + i * 800, from + 200'000);
        QElapsedTimer timer;
        timer.start();
        scope.render(&target);
        times.push_back(Milliseconds(timer));
    }
    std::sort(times.begin(), times.end());
    return { times.back(), times[times.size() / 2] };
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    samplegen::CSampleCall call;
    call.durationSeconds = 2 * 3600;
    call.codecTag = kCodecGsm;
    const std::string path = folder.filePath(QStringLiteral("two-hours.qor")).toStdString();
    if (!samplegen::WriteRecording(path, call)) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        return 1;
    }
    CRvRecordFile recording;
    QElapsedTimer decode;
    decode.start();
    recording.OpenAndWait(path, "");
    const double decoded = Milliseconds(decode); // the summary is made by the decoder, within this
    QElapsedTimer summarise;
    summarise.start();
    const CWaveSummary summary(recording.GetSamples(0, recording.GetSampleCount()));
    const double summarised = Milliseconds(summarise);

    COutputScope scope;
    scope.resize(1600 + 7, 200); // a drawing area 1,600 pixels wide
    scope.show();
    scope.SetRecording(&recording);
    const std::int32_t third = recording.GetSampleCount() / 3;
    Repaint(scope, third, false); // the first paint allocates the off-screen drawing
    const auto [wholeWorst, wholeMedian] = Repaint(scope, third, false);
    const auto [redrawWorst, redrawMedian] = Repaint(scope, third, true);
    while (scope.ViewLength() > 10 * 8000)
        scope.ZoomIn();
    const auto [zoomedWorst, zoomedMedian] = Repaint(scope, third, true);
    std::printf("two-hour GSM call: decoding %.0f ms, of which the summary %.1f ms (%.1f %%)\n", decoded, summarised,
        100.0 * summarised / decoded);
    std::printf(
        "scope 1,600 px, 100 repaints while playing: median %.2f ms, slowest %.2f ms\n", wholeMedian, wholeWorst);
    std::printf("the waveform drawn anew, whole call: median %.2f ms, slowest %.2f ms\n", redrawMedian, redrawWorst);
    std::printf(
        "the waveform drawn anew, ten seconds across: median %.2f ms, slowest %.2f ms\n", zoomedMedian, zoomedWorst);
    return 0;
}
