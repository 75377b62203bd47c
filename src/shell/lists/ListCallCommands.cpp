#include "shell/lists/ListCallCommands.h"

#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "lists/QorTolvaneDoc.h"
#include "platform/Trash.h"
#include "platform/XdgEmailMailer.h"
#include "playback/PlaybackManager.h"
#include "recording/HeaderUpdate.h"
#include "recording/Mail.h"
#include "recording/NativeExport.h"
#include "recording/RecordingToSend.h"
#include "recording/UnreadableReason.h"
#include "recording/WavWriter.h"
#include "shell/common/ShellTexts.h"
#include "shell/dialogs/ProgressDialog.h"
#include "shell/lists/RecordingListModel.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <cstring>
#include <filesystem>

namespace qor {
namespace {

std::string Passphrase()
{
    return Singleton<CSettings>::Instance()->GetPassphrase();
}

// The recording's name without folder and extension.
std::string BaseName(const std::string& path)
{
    return std::filesystem::path(path).stem().string();
}

// Why a call could not be read, with where this program takes the right passphrase.
std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loaded)
{
    return UnreadableReason(path, header, loaded, "(enter it in Settings, Encryption)");
}

// Why a header was not changed, in words a user can act on.
std::string HeaderChangeFailure(
    const std::string& path, CHeaderUpdate result, const CRvRecordFileHdr& header, int loaded, int error)
{
    return result == CHeaderUpdate::Unreadable ? WhyUnreadable(path, header, loaded) : HeaderWriteFailureText(error);
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
    , m_mailer(std::make_unique<CXdgEmailMailer>())
{
}

CListCallCommands::~CListCallCommands() = default;

void CListCallCommands::SetMailer(std::unique_ptr<IMailer> mailer)
{
    m_mailer = std::move(mailer);
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
        int loaded = 0;
        const auto mark = [important](CRvRecordFileHdr& read) {
            read.SetImportant(important ? 1 : 0);
            return true;
        };
        const CHeaderUpdate result = UpdateRecordingHeader(entry->GetPath(), Passphrase(), mark, header, loaded);
        const int error = errno;
        if (result != CHeaderUpdate::Done) {
            failures.append(
                NamedFailure(entry->GetPath(), HeaderChangeFailure(entry->GetPath(), result, header, loaded, error)));
            continue;
        }
        CRvRecordFile& recording = playback->GetRecording();
        if (recording.GetPath() == entry->GetPath())
            recording.GetHeader().SetImportant(important ? 1 : 0);
        entry->SetImportant(important ? 1 : 0);
        m_model.RowChanged(row);
        Q_EMIT CallChanged(important ? 0 : 1, QString::fromStdString(entry->GetPath()));
        if (rows.size() > 1)
            QApplication::processEvents();
    }
    ShowFailures(important ? QStringLiteral("These calls could not be marked important:")
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
        ShowFailures(QStringLiteral("The call cannot be played:"), { reason });
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

QString CListCallCommands::NamedFailure(const std::string& path, const std::string& why)
{
    return QString::fromStdString(path + ": " + why);
}

void CListCallCommands::ShowFailures(const QString& heading, const QStringList& failures)
{
    if (failures.isEmpty())
        return;
    constexpr int kShown = 10;
    QString text = heading + QStringLiteral("\n\n") + failures.mid(0, kShown).join(QLatin1Char('\n'));
    if (failures.size() > kShown)
        text += QStringLiteral("\n... and %1 more").arg(failures.size() - kShown);
    QMessageBox::warning(&m_owner, QApplication::applicationDisplayName(), text);
}

bool CListCallCommands::Delete(const std::vector<int>& rows)
{
    if (rows.empty())
        return false;
    const int count = static_cast<int>(rows.size());
    if (QMessageBox::question(&m_owner, QApplication::applicationDisplayName(), ShellText(IDS_CONFIRM_DELETE, count),
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
    bool failed = false;
    std::string why;
    for (int done = 0; done < count && !failed; ++done) {
        QApplication::processEvents();
        if (progress.IsCancelled())
            break;
        const int row = order[static_cast<std::size_t>(done)];
        const CRvFileListEntry* entry = m_document.GetEntry(row);
        if (!entry || entry->IsEncrypted()) {
            failed = true;
            break;
        }
        const std::string path = entry->GetPath();
        progress.SetText(ShellText(IDS_DELETING_LIST, done + 1, count));
        progress.SetValue(done + 1);
        if (playback->GetRecording().GetPath() == path)
            playback->CloseRecording();
        const bool moved = MoveToTrash(path, &why);
        // Whether moved or not, the call leaves the list; a file that could not go stays on disk.
        m_document.RemoveEntry(row);
        if (moved)
            Q_EMIT CallChanged(2, QString::fromStdString(path)); // the other lists let it go too
        else
            failed = true;
    }
    progress.Finish();
    m_model.Reload();
    if (failed)
        QMessageBox::warning(&m_owner, QApplication::applicationDisplayName(),
            ShellText(IDS_DELETE_FAILED)
                + (why.empty() ? QString() : QStringLiteral("\n\n") + QString::fromStdString(why)));
    return true;
}

void CListCallCommands::Export(const std::vector<int>& rows, Format format)
{
    if (m_busy || rows.empty() || Singleton<CSettings>::Instance()->IsExportBlocked())
        return;
    CBusy busy(m_busy);
    const QString failure = rows.size() == 1 ? ExportOne(rows.front(), format) : ExportMany(rows, format);
    if (!failure.isEmpty())
        ShowFailures(QStringLiteral("The call could not be exported:"), { failure });
}

QString CListCallCommands::ExportTo(const std::string& source, const std::string& target, Format format)
{
    if (format == Format::Native)
        return ExportNativeCopy(source, target)
            ? QString()
            : NamedFailure(target, std::string("cannot be written: ") + std::strerror(errno));
    CRvRecordFile recording;
    const int opened = OpenRecordingToSend(recording, source, Passphrase());
    if (opened == kRefusedLink)
        return NamedFailure(source, kRefusedLinkText);
    if (opened != 1)
        return NamedFailure(source, WhyUnreadable(source, recording.GetHeader(), opened));
    return WriteWav(target, recording, false)
        ? QString()
        : NamedFailure(target, std::string("cannot be written: ") + std::strerror(errno));
}

QString CListCallCommands::ExportOne(int row, Format format)
{
    const CRvFileListEntry* entry = m_document.GetEntry(row);
    if (!entry)
        return QStringLiteral("the call is no longer in the list");
    const bool wav = format == Format::Wav;
    const QString suggested = QString::fromStdString(BaseName(entry->GetPath()) + (wav ? ".wav" : ".qor"));
    const QString path = QFileDialog::getSaveFileName(&m_owner, QString(), suggested,
        wav ? QStringLiteral("WAV files (*.wav)") : QStringLiteral("QOR recordings (*.qor)"), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return {}; // the user changed their mind; nothing failed
    return ExportTo(entry->GetPath(), path.toStdString(), format);
}

QString CListCallCommands::ExportMany(const std::vector<int>& rows, Format format)
{
    const QString folder = QFileDialog::getExistingDirectory(
        &m_owner, ShellText(IDS_SELECT_EXPORT_FOLDER), QString(), QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return {};
    const int count = static_cast<int>(rows.size());
    CProgressDialog progress(&m_owner);
    progress.SetText(ShellText(IDS_EXPORTING_LIST, 1, count));
    progress.SetRange(1, count);
    progress.Begin();
    QString failure;
    for (int done = 0; done < count && failure.isEmpty(); ++done) {
        QApplication::processEvents();
        if (progress.IsCancelled())
            break;
        progress.SetText(ShellText(IDS_EXPORTING_LIST, done + 1, count));
        progress.SetValue(done + 1);
        const CRvFileListEntry* entry = m_document.GetEntry(rows[static_cast<std::size_t>(done)]);
        if (!entry)
            break;
        const std::string target = folder.toStdString() + "/" + BaseName(entry->GetPath());
        failure = ExportTo(entry->GetPath(), target + (format == Format::Native ? ".qor" : ".wav"), format);
    }
    progress.Finish();
    return failure;
}

void CListCallCommands::Mail(const std::vector<int>& rows, Format format)
{
    if (m_busy || rows.empty() || Singleton<CSettings>::Instance()->IsExportBlocked())
        return;
    CBusy busy(m_busy);
    std::vector<std::string> paths;
    for (const int row : rows)
        if (const CRvFileListEntry* entry = m_document.GetEntry(row))
            paths.push_back(entry->GetPath());
    if (paths.empty())
        return;
    if (format == Format::Native && paths.size() > 1) {
        ShowMailResult(MailCalls(*m_mailer, paths));
        return;
    }
    CRvRecordFile recording;
    if (const int opened = OpenRecordingToSend(recording, paths.front(), Passphrase()); opened != 1) {
        if (opened == kRefusedLink)
            QMessageBox::warning(&m_owner, QApplication::applicationDisplayName(),
                QString::fromStdString(paths.front() + ": " + kRefusedLinkText));
        else
            ShowMailResult(CMailResult::kFailed);
        return;
    }
    ShowMailResult(format == Format::Wav ? MailWav(*m_mailer, recording, false)
                                         : MailAsAttachment(*m_mailer, recording.GetHeader(), paths.front()));
}

void CListCallCommands::ShowMailResult(CMailResult result)
{
    const std::string message = MailResultMessage(result);
    if (!message.empty())
        QMessageBox::warning(&m_owner, QApplication::applicationDisplayName(), QString::fromStdString(message));
}

void CListCallCommands::SetCallerId(int row, const QString& callerId)
{
    CRvFileListEntry* entry = m_document.GetEntry(row);
    if (!entry)
        return;
    const std::string path = entry->GetPath();
    const std::string text = callerId.toStdString();
    CRvRecordFileHdr header;
    int loaded = 0;
    const auto setCallerId = [&text](CRvRecordFileHdr& read) {
        read.SetCallerId(text);
        return true;
    };
    const CHeaderUpdate result = UpdateRecordingHeader(path, Passphrase(), setCallerId, header, loaded);
    const int error = errno;
    if (result != CHeaderUpdate::Done) {
        const QString failure = NamedFailure(path, HeaderChangeFailure(path, result, header, loaded, error));
        m_model.RowChanged(row); // the cell shows again what the file holds
        // After the editor has closed: the box must not open inside the table's commit of the edit.
        QMetaObject::invokeMethod(
            this, [this, failure] { ShowFailures(QStringLiteral("The caller ID could not be changed:"), { failure }); },
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

} // namespace qor
