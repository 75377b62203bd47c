// The player's scope: the waveform of the loaded call on black, with a line at every minute, the
// bookmark area in blue and the play position in red. A click or a drag seeks; the wheel and the
// + and - keys zoom around the play position, down to one second across, and the view follows
// the position while the call plays. Stretches that skipping silence cuts short are shaded. The waveform is read from
// the call's summary, so a repaint costs the same for a two-hour call as for a short one.
#pragma once

#include "playback/QuietStretches.h"

#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace qor {

class CRvRecordFile;

class COutputScope : public QWidget {
    Q_OBJECT

public:
    static constexpr std::int32_t kSamplesPerMinute = 480'000;
    static constexpr std::int32_t kLeastVisible = 8000; // one second across, at the closest

    explicit COutputScope(QWidget* parent = nullptr);

    // The call to draw (null: none). The scope reads its samples only once decoding is over.
    void SetRecording(const CRvRecordFile* recording);
    void SetPosition(std::int32_t sample);
    // The bookmark area in samples; -1 for an unset end (an area without an end runs to the
    // position).
    void SetBookmark(std::int32_t start, std::int32_t end);
    // The stretches played cut short (none: nothing is skipped).
    void SetSkipped(const std::vector<CCallStretch>& stretches);
    const std::vector<CCallStretch>& Skipped() const { return m_skipped; }
    // How many times closer than the whole call the view is (1: the whole call).
    void ZoomIn();
    void ZoomOut();
    double Zoom() const { return m_zoom; }
    // The first sample shown and how many are shown.
    std::int32_t ViewStart() const { return m_viewStart; }
    std::int32_t ViewLength() const;

Q_SIGNALS:
    void SeekRequested(std::int32_t sample);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect DrawingArea() const;
    std::int32_t Total() const;
    std::int32_t SampleAt(int x) const;
    int XOf(std::int64_t sample) const;
    void SetZoom(double zoom);
    void FollowPosition();
    void PaintScope(QPainter& painter);
    void PaintGrid(QPainter& painter, const QRect& area);
    void PaintSkipped(QPainter& painter, const QRect& area);
    void PaintWaveform(QPainter& painter, const QRect& area);

    // What the drawn waveform shows: when none of it changed, the drawing is reused.
    struct CDrawn {
        const void* summary = nullptr;
        std::int32_t samples = 0;
        std::int32_t viewStart = 0;
        std::int32_t viewLength = 0;
        QSize size;
        std::int32_t bookmarkStart = -1;
        std::int32_t bookmarkEnd = -1;
        int skippedVersion = 0;
        bool operator==(const CDrawn&) const = default;
    };

    const CRvRecordFile* m_recording = nullptr;
    std::int32_t m_position = 0;
    std::int32_t m_bookmarkStart = -1;
    std::int32_t m_bookmarkEnd = -1;
    std::vector<CCallStretch> m_skipped;
    int m_skippedVersion = 0;
    double m_zoom = 1.0;
    std::int32_t m_viewStart = 0;
    QPixmap m_waveform; // the background, the grid and the waveform, drawn off-screen
    CDrawn m_drawn;
};

} // namespace qor
