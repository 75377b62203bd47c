// What the list window does to the calls the user picked: mark or un-mark them important, move
// them to the Trash, export them or mail them, and take an edited caller ID into the file. Loops
// over many calls show the progress window and let the event loop run between calls, so Cancel
// works.
#pragma once

#include "recording/Mailer.h"
#include "shell/lists/CallExport.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QWidget;

namespace qor {

class CQorTolvaneDoc;
class CRecordingListModel;

class CListCallCommands : public QObject {
    Q_OBJECT

public:
    using Format = CCallExport::Format;
    using Part = CCallExport::Part;

    CListCallCommands(QWidget& owner, CQorTolvaneDoc& document, CRecordingListModel& model);
    ~CListCallCommands() override;

    // The mail program; the desktop's own unless a test supplies one.
    void SetMailer(std::unique_ptr<IMailer> mailer);

    void MarkImportant(const std::vector<int>& rows, bool important);
    // "Annotate the call": the comment of one call, edited in the annotation dialog and written
    // into its file on OK.
    void Annotate(int row);
    // Asks first; true when the list changed.
    bool Delete(const std::vector<int>& rows);
    void Export(const std::vector<int>& rows, Format format, Part part = Part::Whole);
    void Mail(const std::vector<int>& rows, Format format, Part part = Part::Whole);
    void SetCallerId(int row, const QString& callerId);
    // "<file>: <why>" for a call that cannot be opened for playing; encrypted tells whether the
    // reason is a passphrase that does not fit.
    static QString UnplayableReason(const std::string& path, bool* encrypted = nullptr);
    // Tells the user why the call cannot be played; for an encrypted one, offers to enter its
    // passphrase (PassphraseWanted).
    void ExplainUnplayable(const std::string& path);

    bool IsBusy() const { return m_busy; }

Q_SIGNALS:
    // 0: marked important, 1: un-marked, 2: deleted, 3: bookmark changed (the main window tells
    // the other lists).
    void CallChanged(int code, const QString& path);
    // The user wants to enter the passphrase that opens an encrypted call.
    void PassphraseWanted();

private:
    std::vector<std::string> PathsOf(const std::vector<int>& rows) const;

    QWidget& m_owner;
    CQorTolvaneDoc& m_document;
    CRecordingListModel& m_model;
    CCallExport* m_export;
    bool m_busy = false;
};

} // namespace qor
