// The "Access Panel" docked on the left: three pages, "My Shortcuts", "My Calls for Review" and
// "My Explorer". The trees that fill them come with their own windows; until then each page says
// what it will hold.
#pragma once

#include <QDockWidget>

namespace qor {

class CAccessPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit CAccessPanel(QWidget* parent = nullptr);
};

} // namespace qor
