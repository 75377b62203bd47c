// The "Search for specific calls" dialog of a recording list: which field to look in, the text to
// look for and which direction of call to keep. The list runs the core's call finder on the answer.
#pragma once

#include "lists/CallFinder.h"

#include <QDialog>
#include <string>

class QComboBox;
class QLineEdit;

namespace qor {

class CFindCallsDialog : public QDialog {
    Q_OBJECT

public:
    explicit CFindCallsDialog(QWidget* parent);

    FindField Field() const;
    std::string Text() const;
    FindDirection Direction() const;

private:
    QComboBox* m_field;
    QLineEdit* m_text;
    QComboBox* m_direction;
};

} // namespace qor
