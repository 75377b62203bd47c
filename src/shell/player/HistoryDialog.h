// "History": the calls played since the program started, each once, in the order of their first
// play. Play starts the one selected; Remove and Clear take calls off the list, which the panel
// keeps only when the dialog ends with Play or Close.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace qor {

class CHistoryDialog : public QDialog {
    Q_OBJECT

public:
    CHistoryDialog(std::vector<std::string> played, QWidget* parent = nullptr);

    const std::vector<std::string>& Played() const { return m_played; }
    // The call Play chose, or empty.
    const std::string& ToPlay() const { return m_toPlay; }
    QListWidget& List() { return *m_list; }

private:
    void UpdateButtons();
    void PlaySelected();
    void RemoveSelected();
    void ClearAll();

    std::vector<std::string> m_played;
    std::string m_toPlay;
    QListWidget* m_list;
    QPushButton* m_play;
    QPushButton* m_remove;
    QPushButton* m_clear;
};

} // namespace qor
