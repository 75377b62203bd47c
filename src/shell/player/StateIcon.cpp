#include "shell/player/StateIcon.h"

#include <QIcon>

namespace qor {

CStateIcon::CStateIcon(const QString& objectName, const QString& caption, const QString& image, QWidget* parent)
    : QLabel(parent)
    , m_caption(caption)
    , m_image(image)
{
    setObjectName(objectName);
    setFixedSize(18, 18);
    Show(false);
}

void CStateIcon::Show(bool on)
{
    setAccessibleName(m_caption + (on ? QStringLiteral(": yes") : QStringLiteral(": no")));
    setToolTip(accessibleName());
    const QIcon image(QStringLiteral("icons:%1.svg").arg(m_image));
    setPixmap(image.pixmap(QSize(16, 16), on ? QIcon::Normal : QIcon::Disabled));
    setEnabled(on);
}

} // namespace qor
