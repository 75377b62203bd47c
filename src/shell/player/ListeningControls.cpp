#include "shell/player/ListeningControls.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace qor {

CListeningControls::CListeningControls(QWidget* parent)
    : QWidget(parent)
    , m_speed(new QComboBox(this))
    , m_skipSilence(new QToolButton(this))
{
    m_speed->setObjectName(QStringLiteral("PlaybackSpeed"));
    m_speed->setAccessibleName(QStringLiteral("Playback speed"));
    m_speed->setToolTip(QStringLiteral("How fast the call plays, its pitch kept (< slower, > faster)"));
    m_speed->setFocusPolicy(Qt::StrongFocus); // not the wheel's: scrolling past must not change the speed
    for (const double speed : kSpeeds) {
        // 0.5, 0.75, 1.0, 1.25: two places, less the zero a quarter step does not need.
        QString text = QString::number(speed, 'f', 2);
        if (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        m_speed->addItem(text + QStringLiteral("\u00d7"), speed);
    }
    m_speed->setCurrentIndex(2);
    connect(m_speed, &QComboBox::activated, this, [this] { Q_EMIT SpeedChosen(Speed()); });

    m_skipSilence->setObjectName(QStringLiteral("SkipSilence"));
    m_skipSilence->setAccessibleName(QStringLiteral("Skip silence"));
    m_skipSilence->setText(QStringLiteral("Skip silence"));
    m_skipSilence->setIcon(QIcon(QStringLiteral("icons:skip-silence.svg")));
    m_skipSilence->setIconSize(QSize(20, 20));
    m_skipSilence->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_skipSilence->setToolTip(
        QStringLiteral("Play every quiet stretch longer than a second as 0.3 s; the scope shades them (S)"));
    m_skipSilence->setCheckable(true);
    m_skipSilence->setAutoRaise(true);
    m_skipSilence->setFocusPolicy(Qt::StrongFocus);
    connect(m_skipSilence, &QToolButton::toggled, this, &CListeningControls::SkipSilenceChosen);

    auto* label = new QLabel(QStringLiteral("S&peed:"), this);
    label->setBuddy(m_speed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(label);
    layout->addWidget(m_speed);
    layout->addSpacing(8);
    layout->addWidget(m_skipSilence);
}

double CListeningControls::Speed() const
{
    return m_speed->currentData().toDouble();
}

void CListeningControls::Faster()
{
    if (m_speed->currentIndex() + 1 >= m_speed->count())
        return;
    m_speed->setCurrentIndex(m_speed->currentIndex() + 1);
    Q_EMIT SpeedChosen(Speed());
}

void CListeningControls::Slower()
{
    if (m_speed->currentIndex() <= 0)
        return;
    m_speed->setCurrentIndex(m_speed->currentIndex() - 1);
    Q_EMIT SpeedChosen(Speed());
}

bool CListeningControls::SkipsSilence() const
{
    return m_skipSilence->isChecked();
}

void CListeningControls::ToggleSkipSilence()
{
    m_skipSilence->toggle();
}

} // namespace qor
