// A recording list window: its document and its view, the file it was read from or saved to, and
// its title with the "modified" marker. Closing a changed list asks whether to save it first.
#pragma once

#include "lists/QorTolvaneDoc.h"

#include <QWidget>
#include <memory>

namespace qor {

class CArchiveLogs;
class CQorTolvaneView;

class CListWindow : public QWidget {
    Q_OBJECT

public:
    explicit CListWindow(CArchiveLogs* archive, QWidget* parent = nullptr);
    ~CListWindow() override;

    CQorTolvaneDoc& Document() { return *m_document; }
    CQorTolvaneView& View() { return *m_view; }
    const QString& FilePath() const { return m_filePath; }

    // Reads a ".reclist" into this list; false (with the parse error box shown) when it could not
    // be read whole; what was read before an error stays.
    bool Open(const QString& path);
    // Saves to the list's file, or asks for one; false when it was not saved.
    bool Save();
    bool SaveAs();
    // Before closing: true when the window may close (saved, not wanted, or nothing to save).
    bool SaveModified();
    // The list's name as the list itself gives it (several open lists may share it).
    QString Name() const;
    // The title: the name, " (n)" for the n-th open list of that name, and "*" while a list other
    // than the play history has changes.
    QString Title() const;
    void RefreshTitle();
    // Tells apart lists that share a name; 1 for the first (or only) one, which shows no number.
    void SetTwinNumber(int number);
    int TwinNumber() const { return m_twinNumber; }
    bool IsPlayHistory() const { return m_document->GetKind() == kListPlayHistory; }

Q_SIGNALS:
    void TitleChanged(const QString& title);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool SaveTo(const QString& path);

    std::unique_ptr<CQorTolvaneDoc> m_document;
    CQorTolvaneView* m_view;
    QString m_filePath;
    int m_twinNumber = 1;
};

} // namespace qor
