#include "shell/lists/ListCallCommands.h"

#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/Utf8Text.h"
#include "lists/QorTolvaneDoc.h"
#include "platform/Trash.h"
#include "playback/PlaybackManager.h"
#include "recording/Bookmark.h"
#include "recording/HeaderUpdate.h"
#include "recording/UnreadableReason.h"
#include "shell/common/CallPath.h"
#include "shell/common/ShellTexts.h"
#include "shell/dialogs/AnnotateDialog.h"
#include "shell/dialogs/ProgressDialog.h"
#include "shell/lists/CallExport.h"
#include "shell/lists/FailureMessages.h"
#include "shell/lists/RecordingListModel.h"

#include <QApplication>
#include <QMessageBox>
#include <cstring>
#include <filesystem>

namespace qor {
namespace {

std::string Passphrase()
{
    return Singleton<CSettings>::Instance()->GetPassphrase();
}

// A second press while a command runs is ignored; the guard clears the flag however it ends.
class CBusy {
public:
    explicit CBusy(bool& busy)
        : m_busy(busy)
    {
        m_busy = true;
    }
    ~CBusy() { m_busy = false; }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;

private:
    bool& m_busy;
};

} // namespace

CListCallCommands::CListCallCommands(QWidget& owner, CQorTolvaneDoc& document, CRecordingListModel& model)
    : QObject(&owner)
    , m_owner(owner)
    , m_document(document)
    , m_model(model)
    , m_export(new CCallExport(owner))
{
}

CListCallCommands::~CListCallCommands() = default;

void CListCallCommands::SetMailer(std::unique_ptr<IMailer> mailer)
{
    m_export->SetMailer(std::move(mailer));
}

void CListCallCommands::MarkImportant(const std::vector<int>& rows, bool important)
{
    auto playback = Singleton<CPlaybackManager>::Instance();
    QStringList failures;
    for (const int row : rows) {
        CRvFileListEntry* entry = m_document.GetEntry(row);
        if (!entry)
            continue;
        // Only the header changes: it is read and written back, the sound is never touched.
        CRvRecordFileHdr header;
        const auto mark = [important](CRvRecordFileHdr& read) {
            read.SetImportant(important ? 1 : 0);
            return true;
        };
        if (const QString failure = ChangeHeaderOrSayWhy(entry->GetPath(), mark, header); !failure.isEmpty()) {
            failures.append(failure);
            continue;
        }
        CRvRecordFile& recording = playback->GetRecording();
        if (recording.GetPath() == entry->GetPath())
            recording.GetHeader().SetImportant(important ? 1 : 0);
        entry->SetImportant(important ? 1 : 0);
        m_model.RowChanged(row);
        Q_EMIT CallChanged(important ? 0 : 1, PathToQString(entry->GetPath()));
        if (rows.size() > 1)
            QApplication::processEvents();
    }
    ShowFailures(m_owner,
        important ? QStringLiteral("These calls could not be marked important:")
                  : QStringLiteral("These calls could not be un-marked:"),
        failures);
}

QString CListCallCommands::UnplayableReason(const std::string& path, bool* encrypted)
{
    CRvRecordFileHdr header;
    const int loaded = header.Load(path, Passphrase());
    const std::string why = WhyUnreadable(path, header, loaded);
    if (encrypted)
        *encrypted = ClassifyUnreadable(path, header, loaded) == Unreadable::WrongPassphrase;
    return NamedFailure(path, why);
}

void CListCallCommands::ExplainUnplayable(const std::string& path)
{
    bool encrypted = false;
    const QString reason = UnplayableReason(path, &encrypted);
    if (!encrypted) {
        ShowFailures(m_owner, QStringLiteral("The call cannot be played:"), { reason });
        return;
    }
    const QString question = QStringLiteral("%1 is encrypted, and the passphrase in Settings, Encryption does not "
                                            "open it.\n\nEnter its passphrase now?")
                                 .arg(QString::fromStdString(path));
    if (QMessageBox::question(&m_owner, QApplication::applicationDisplayName(), question,
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes)
        Q_EMIT PassphraseWanted();
}

bool CListCallCommands::Delete(const std::vector<int>& rows)
{
    if (rows.empty())
        return false;
    const int count = static_cast<int>(rows.size());
    // The question names the calls, so it cannot be answered for calls the user does not see.
    QStringList names;
    for (const int row : rows)
        if (const CRvFileListEntry* entry = m_document.GetEntry(row); entry && names.size() < 10)
            names.append(QString::fromStdString(std::filesystem::path(entry->GetPath()).filename().string()));
    if (count > names.size())
        names.append(QStringLiteral("... and %1 more").arg(count - names.size()));
    if (QMessageBox::question(&m_owner, QApplication::applicationDisplayName(),
            ShellText(IDS_CONFIRM_DELETE, count) + QStringLiteral("\n\n") + names.join(QLatin1Char('\n')),
            QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return false;
    CBusy busy(m_busy);
    CProgressDialog progress(&m_owner);
    if (count > 1) {
        progress.SetText(ShellText(IDS_DELETING_LIST, 1, count));
        progress.SetRange(1, count);
        progress.Begin();
    }
    std::vector<int> order = rows;
    std::sort(order.rbegin(), order.rend()); // from the bottom up, so the other rows keep their numbers
    auto playback = Singleton<CPlaybackManager>::Instance();
    QString failure;
    for (int done = 0; done < count && failure.isEmpty(); ++done) {
        QApplication::processEvents();
        if (progress.IsCancelled())
            break;
        const int row = order[static_cast<std::size_t>(done)];
        const CRvFileListEntry* entry = m_document.GetEntry(row);
        if (!entry)
            break;
        const std::string path = entry->GetPath();
        if (entry->IsEncrypted()) {
            failure = NamedFailure(path, "an encrypted call is not moved to the Trash from a list");
            break;
        }
        progress.SetText(ShellText(IDS_DELETING_LIST, done + 1, count));
        progress.SetValue(done + 1);
        if (playback->GetRecording().GetPath() == path)
            playback->CloseRecording();
        std::string why;
        const bool moved = MoveToTrash(path, &why);
        // Whether moved or not, the call leaves the list; a file that could not go stays on disk.
        m_document.RemoveEntry(row);
        if (moved)
            Q_EMIT CallChanged(2, PathToQString(path)); // the other lists let it go too
        else
            failure = NamedFailure(path, why.empty() ? std::string("it could not be moved to the Trash") : why);
    }
    progress.Finish();
    m_model.Reload();
    if (!failure.isEmpty())
        ShowFailures(m_owner, QStringLiteral("The call could not be deleted:"), { failure });
    return true;
}

void CListCallCommands::Export(const std::vector<int>& rows, Format format, Part part)
{
    if (m_busy || rows.empty() || Singleton<CSettings>::Instance()->IsExportBlocked())
        return;
    CBusy busy(m_busy);
    m_export->Export(PathsOf(rows), format, part);
}

void CListCallCommands::Mail(const std::vector<int>& rows, Format format, Part part)
{
    if (m_busy || rows.empty() || Singleton<CSettings>::Instance()->IsExportBlocked())
        return;
    CBusy busy(m_busy);
    m_export->Mail(PathsOf(rows), format, part);
}

std::vector<std::string> CListCallCommands::PathsOf(const std::vector<int>& rows) const
{
    std::vector<std::string> paths;
    for (const int row : rows)
        if (const CRvFileListEntry* entry = m_document.GetEntry(row))
            paths.push_back(entry->GetPath());
    return paths;
}

void CListCallCommands::SetCallerId(int row, const QString& callerId)
{
    CRvFileListEntry* entry = m_document.GetEntry(row);
    if (!entry)
        return;
    const std::string path = entry->GetPath();
    const std::string text = callerId.toStdString();
    CRvRecordFileHdr header;
    const auto setCallerId = [&text](CRvRecordFileHdr& read) {
        read.SetCallerId(text);
        return true;
    };
    if (const QString failure = ChangeHeaderOrSayWhy(path, setCallerId, header); !failure.isEmpty()) {
        m_model.RowChanged(row); // the cell shows again what the file holds
        // After the editor has closed: the box must not open inside the table's commit of the edit.
        QMetaObject::invokeMethod(
            this,
            [this, failure] {
                ShowFailures(m_owner, QStringLiteral("The caller ID could not be changed:"), { failure });
            },
            Qt::QueuedConnection);
        return;
    }
    entry->SetCallerIdText(text);
    m_document.SetModifiedFlag(true);
    CRvRecordFile& recording = Singleton<CPlaybackManager>::Instance()->GetRecording();
    if (recording.GetPath() == path)
        recording.GetHeader().SetCallerId(text);
    m_model.RowChanged(row);
}

void CListCallCommands::Annotate(int row)
{
    CRvFileListEntry* entry = m_document.GetEntry(row);
    if (!entry)
        return;
    const std::string path = entry->GetPath();
    CRvRecordFileHdr stored;
    if (stored.Load(path, Passphrase()) <= 0) {
        ExplainUnplayable(path);
        return;
    }
    // Only the user's words are shown and replaced; the bookmark in the comment stays as stored.
    CAnnotateDialog dialog(QString::fromStdString(DisplayText(CommentWholeText(stored.Comment()))),
        static_cast<int>(CommentRoom(stored.Comment())), &m_owner);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string words = dialog.Comment().toStdString();
    CRvRecordFileHdr header;
    bool fits = true;
    const auto setComment = [&](CRvRecordFileHdr& read) {
        std::string comment = read.Comment();
        fits = ReplaceCommentWords(comment, words);
        if (fits)
            read.SetComment(comment);
        return fits;
    };
    QString failure = ChangeHeaderOrSayWhy(path, setComment, header);
    if (failure.isEmpty() && !fits)
        failure = NamedFailure(path, "the comment does not fit beside the bookmark set meanwhile; nothing was changed");
    if (!failure.isEmpty()) {
        ShowFailures(m_owner, QStringLiteral("The comment could not be changed:"), { failure });
        return;
    }
    const std::string text = header.Comment();
    CRvRecordFile& recording = Singleton<CPlaybackManager>::Instance()->GetRecording();
    if (recording.GetPath() == path)
        recording.GetHeader().SetComment(text);
    // The comment may carry the bookmark too: every list that shows the call reads it again.
    Q_EMIT CallChanged(3, PathToQString(path));
}

} // namespace qor
