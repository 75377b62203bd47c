#include "shell/player/OutputScope.h"

#include "recording/RecordFile.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <vector>

namespace qor {
namespace {

const QColor kBackground(0, 0, 0);
const QColor kGrid(0, 128, 0);
const QColor kWave(0, 255, 0);
const QColor kBookmark(0, 0, 255);
const QColor kPosition(255, 0, 0);
const QColor kNotice(255, 0, 0);
const QColor kSkipped(110, 110, 110);

} // namespace

COutputScope::COutputScope(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Scope"));
    setAccessibleName(QStringLiteral("Waveform"));
    setAccessibleDescription(QStringLiteral("Click or drag to move the play position; the wheel, + and - zoom"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    // Everything is painted, black included: Qt's backing store draws it off-screen first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 60);
}

void COutputScope::SetRecording(const CRvRecordFile* recording)
{
    m_recording = recording;
    m_drawn = {}; // another call in the same recording object may have the same length
    m_position = 0;
    m_bookmarkStart = m_bookmarkEnd = -1;
    m_skipped.clear();
    m_zoom = 1.0;
    m_viewStart = 0;
    update();
}

void COutputScope::SetPosition(std::int32_t sample)
{
    m_position = std::clamp(sample, 0, Total());
    FollowPosition();
    update();
}

void COutputScope::SetBookmark(std::int32_t start, std::int32_t end)
{
    m_bookmarkStart = start;
    m_bookmarkEnd = end;
    update();
}

void COutputScope::SetSkipped(const std::vector<CCallStretch>& stretches)
{
    if (stretches == m_skipped)
        return;
    m_skipped = stretches;
    ++m_skippedVersion;
    update();
}

void COutputScope::ZoomIn()
{
    SetZoom(m_zoom * 2);
}

void COutputScope::ZoomOut()
{
    SetZoom(m_zoom / 2);
}

std::int32_t COutputScope::ViewLength() const
{
    const std::int32_t total = Total();
    if (total <= kLeastVisible)
        return total;
    return std::max(kLeastVisible, static_cast<std::int32_t>(total / m_zoom));
}

void COutputScope::SetZoom(double zoom)
{
    const std::int32_t total = Total();
    const double closest = total > kLeastVisible ? static_cast<double>(total) / kLeastVisible : 1.0;
    m_zoom = std::clamp(zoom, 1.0, closest);
    // Around the play position: what the user listens to stays in sight.
    const std::int32_t length = ViewLength();
    m_viewStart = std::clamp(m_position - length / 2, 0, std::max(0, total - length));
    update();
}

void COutputScope::FollowPosition()
{
    const std::int32_t length = ViewLength();
    if (m_position >= m_viewStart && m_position < m_viewStart + length)
        return;
    // A page on, with a little of what was just heard still in sight.
    m_viewStart = std::clamp(m_position - length / 8, 0, std::max(0, Total() - length));
}

QRect COutputScope::DrawingArea() const
{
    return rect().adjusted(3, 2, -4, -3);
}

std::int32_t COutputScope::Total() const
{
    return m_recording ? m_recording->GetSampleCount() : 0;
}

std::int32_t COutputScope::SampleAt(int x) const
{
    const QRect area = DrawingArea();
    if (area.width() <= 0)
        return -1;
    const std::int64_t offset = static_cast<std::int64_t>(x - area.left()) * ViewLength() / area.width();
    return static_cast<std::int32_t>(m_viewStart + std::max<std::int64_t>(offset, 0));
}

int COutputScope::XOf(std::int64_t sample) const
{
    const QRect area = DrawingArea();
    const std::int32_t length = std::max(ViewLength(), 1);
    return area.left() + static_cast<int>((sample - m_viewStart) * area.width() / length);
}

void COutputScope::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintScope(painter);
    if (hasFocus()) {
        // Where + and - zoom: the keyboard's place shows, in the desktop's own highlight.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void COutputScope::PaintScope(QPainter& painter)
{
    painter.fillRect(rect(), kBackground);
    const QRect area = DrawingArea();
    if (!m_recording || Total() == 0 || area.width() <= 0)
        return;
    if (m_recording->IsDecoding()) {
        painter.setPen(kNotice);
        const bool ready = m_recording->GetDecodedCount() > CRvRecordFile::kReadySamples;
        painter.drawText(area, Qt::AlignCenter,
            ready ? QStringLiteral("Decompressing") : QStringLiteral("Decompressing - Please wait"));
        return;
    }
    // The waveform is drawn again only when what it shows changed; while a call plays, only the
    // position moves, and a repaint is a copy of the drawing and one line.
    const std::int32_t areaEnd = m_bookmarkStart >= 0 && m_bookmarkEnd < 0 ? m_position : m_bookmarkEnd;
    const CDrawn drawn{ m_recording->GetSummary(), m_recording->GetSampleCount(), m_viewStart, ViewLength(), size(),
        m_bookmarkStart, areaEnd, m_skippedVersion };
    if (!(drawn == m_drawn) || m_waveform.size() != size()) {
        m_waveform = QPixmap(size());
        m_waveform.fill(kBackground);
        QPainter offScreen(&m_waveform);
        PaintSkipped(offScreen, area);
        PaintGrid(offScreen, area);
        PaintWaveform(offScreen, area);
        m_drawn = drawn;
    }
    painter.drawPixmap(0, 0, m_waveform);
    // The position, three pixels wide, kept inside the drawing area.
    const int x = std::clamp(XOf(m_position), area.left() + 1, area.right() - 1);
    painter.fillRect(QRect(x - 1, area.top(), 3, area.height()), kPosition);
}

void COutputScope::PaintGrid(QPainter& painter, const QRect& area)
{
    QPen grid(kGrid);
    grid.setStyle(Qt::DotLine);
    painter.setPen(grid);
    const std::int32_t length = ViewLength();
    for (std::int64_t minute = (m_viewStart / kSamplesPerMinute + 1) * std::int64_t{ kSamplesPerMinute };
         minute < m_viewStart + length; minute += kSamplesPerMinute)
        painter.drawLine(XOf(minute), area.top(), XOf(minute), area.bottom());
    const int centre = area.center().y();
    painter.drawLine(area.left(), centre, area.right(), centre);
}

void COutputScope::PaintSkipped(QPainter& painter, const QRect& area)
{
    const QBrush hatch(kSkipped, Qt::BDiagPattern);
    for (const CCallStretch& stretch : m_skipped) {
        if (stretch.end <= m_viewStart || stretch.first >= m_viewStart + ViewLength())
            continue;
        const int left = std::max(XOf(stretch.first), area.left());
        const int right = std::min(XOf(stretch.end), area.right());
        painter.fillRect(QRect(QPoint(left, area.top()), QPoint(right, area.bottom())), hatch);
    }
}

void COutputScope::PaintWaveform(QPainter& painter, const QRect& area)
{
    const CWaveSummary* summary = m_recording->GetSummary();
    if (!summary || summary->SampleCount() == 0)
        return;
    const int width = area.width();
    const std::int32_t length = ViewLength();
    const auto columns
        = summary->Columns(static_cast<std::size_t>(m_viewStart), static_cast<std::size_t>(length), width);
    const int centre = area.center().y();
    const double scale = area.height() / 65535.0;
    const std::int32_t areaEnd = m_bookmarkEnd >= 0 ? m_bookmarkEnd : m_position;
    // One batch of lines per colour: a pen change per column would cost more than the drawing.
    std::vector<QLine> wave, bookmarked;
    wave.reserve(static_cast<std::size_t>(width));
    int previousTop = centre, previousBottom = centre;
    for (int column = 0; column < width; ++column) {
        const std::int64_t first = m_viewStart + static_cast<std::int64_t>(column) * length / width;
        const bool inBookmark = m_bookmarkStart >= 0 && first >= m_bookmarkStart && first <= areaEnd;
        const auto& range = columns[static_cast<std::size_t>(column)];
        const int top = centre - static_cast<int>(range.greatest * scale);
        const int bottom = centre - static_cast<int>(range.least * scale);
        const int x = area.left() + column;
        // Joined to the column before, so that a steep slope stays one line.
        (inBookmark ? bookmarked : wave)
            .emplace_back(x, std::min(top, previousBottom), x, std::max(bottom, previousTop));
        previousTop = top;
        previousBottom = bottom;
    }
    painter.setPen(kWave);
    painter.drawLines(wave.data(), static_cast<int>(wave.size()));
    painter.setPen(kBookmark);
    painter.drawLines(bookmarked.data(), static_cast<int>(bookmarked.size()));
}

void COutputScope::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || Total() == 0)
        return;
    const std::int32_t sample = SampleAt(event->position().toPoint().x());
    if (sample >= 0 && sample < Total())
        Q_EMIT SeekRequested(sample);
}

void COutputScope::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || Total() == 0)
        return;
    const std::int32_t sample = std::clamp(SampleAt(event->position().toPoint().x()), 0, Total() - 1);
    Q_EMIT SeekRequested(sample);
}

void COutputScope::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() > 0)
        ZoomIn();
    else if (event->angleDelta().y() < 0)
        ZoomOut();
    event->accept();
}

void COutputScope::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal)
        ZoomIn();
    else if (event->key() == Qt::Key_Minus)
        ZoomOut();
    else
        QWidget::keyPressEvent(event);
}

} // namespace qor
