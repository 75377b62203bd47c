// One of the player's four state icons (important, comment, bookmark, encrypted): the picture in
// colour when the state is on, greyed when off, and a name a screen reader speaks with the state.
#pragma once

#include <QLabel>

namespace qor {

class CStateIcon : public QLabel {
public:
    CStateIcon(const QString& objectName, const QString& caption, const QString& image, QWidget* parent);
    void Show(bool on);

private:
    QString m_caption;
    QString m_image;
};

} // namespace qor
