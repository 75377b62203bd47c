// The table of calls: full-row selection of many rows, sorting by header click, a caller ID that
// can be edited in place (with the characters a caller ID may hold), dragging calls out as files,
// taking recordings and folders dropped from a file manager, and a note when the list is empty.
#pragma once

#include <QTableView>

namespace qor {

class CRecordingTable : public QTableView {
    Q_OBJECT

public:
    explicit CRecordingTable(QWidget* parent = nullptr);

Q_SIGNALS:
    // Local paths dropped on the table: recordings and folders, as the file manager gave them.
    void PathsDropped(const QStringList& paths);
    // Enter: play the selected call; Space: pause it or go on.
    void PlayPressed();
    void PausePressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace qor
