#include "shell/lists/CallExport.h"

#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "platform/XdgEmailMailer.h"
#include "recording/BookmarkRecordFile.h"
#include "recording/GsmEncoder.h"
#include "recording/Mail.h"
#include "recording/NativeExport.h"
#include "recording/RecordingToSend.h"
#include "recording/WavWriter.h"
#include "shell/common/ShellTexts.h"
#include "shell/dialogs/ProgressDialog.h"
#include "shell/lists/FailureMessages.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace qor {
namespace {

const QString kGsmFilter = QStringLiteral("Wav GSM Compressed (*.wav)");
const QString kPcmFilter = QStringLiteral("Wav Uncompressed (*.wav)");
const QString kNativeFilter = QStringLiteral("Qor Files (*.qor)");

// The folder exported to last in this run, for every list.
QString& LastFolder()
{
    static QString folder;
    return folder;
}

std::string Passphrase()
{
    return Singleton<CSettings>::Instance()->GetPassphrase();
}

// The recording's name without folder and extension.
std::string BaseName(const std::string& path)
{
    return std::filesystem::path(path).stem().string();
}

QString WriteFailure(const std::string& target)
{
    return NamedFailure(target, std::string("cannot be written: ") + std::strerror(errno));
}

void ShowMailResult(QWidget& owner, CMailResult result)
{
    const std::string message = MailResultMessage(result);
    if (!message.empty())
        QMessageBox::warning(&owner, QApplication::applicationDisplayName(), QString::fromStdString(message));
}

} // namespace

CCallExport::CCallExport(QWidget& owner)
    : QObject(&owner)
    , m_owner(owner)
    , m_mailer(std::make_unique<CXdgEmailMailer>())
{
}

CCallExport::~CCallExport() = default;

void CCallExport::SetMailer(std::unique_ptr<IMailer> mailer)
{
    m_mailer = std::move(mailer);
}

QString CCallExport::StartFolder()
{
    if (!LastFolder().isEmpty() && QFileInfo(LastFolder()).isDir())
        return LastFolder();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void CCallExport::Export(const std::vector<std::string>& paths, Format format, Part part)
{
    if (paths.empty())
        return;
    const QString failure = paths.size() == 1 || part == Part::Bookmark ? ExportOne(paths.front(), format, part)
                                                                        : ExportMany(paths, format);
    if (!failure.isEmpty())
        ShowFailures(m_owner, QStringLiteral("The call could not be exported:"), { failure });
}

QString CCallExport::AskTarget(const std::string& source, Format format, bool* forcePcm)
{
    const bool wav = format == Format::Wav;
    const bool gsm = IsGsmCodecAvailable();
    QFileDialog dialog(&m_owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(wav ? QStringLiteral("Export to WAV") : QStringLiteral("Export to QOR"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(StartFolder());
    dialog.setNameFilters(
        wav ? (gsm ? QStringList{ kGsmFilter, kPcmFilter } : QStringList{ kPcmFilter }) : QStringList{ kNativeFilter });
    dialog.setDefaultSuffix(wav ? QStringLiteral("wav") : QStringLiteral("qor"));
    dialog.selectFile(QString::fromStdString(BaseName(source)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString target = dialog.selectedFiles().front();
    // A name with another dot in it gets no default suffix from the dialog.
    const QString extension = wav ? QStringLiteral(".wav") : QStringLiteral(".qor");
    if (!target.endsWith(extension, Qt::CaseInsensitive))
        target += extension;
    *forcePcm = wav && (!gsm || dialog.selectedNameFilter() == kPcmFilter);
    LastFolder() = QFileInfo(target).absolutePath();
    return target;
}

QString CCallExport::OpenToSend(CRvRecordFile& recording, const std::string& source)
{
    const int opened = OpenRecordingToSend(recording, source, Passphrase());
    if (opened == kRefusedLink)
        return NamedFailure(source, kRefusedLinkText);
    if (opened != 1)
        return NamedFailure(source, WhyUnreadable(source, recording.GetHeader(), opened));
    return {};
}

QString CCallExport::ExportOne(const std::string& source, Format format, Part part)
{
    bool forcePcm = false;
    const QString chosen = AskTarget(source, format, &forcePcm);
    if (chosen.isEmpty())
        return {}; // the user changed their mind; nothing failed
    const std::string target = chosen.toStdString();
    // Written over the recording itself, a cut or a conversion would take the call with it.
    if (std::error_code error; std::filesystem::equivalent(source, target, error))
        return NamedFailure(target, "is the recording itself; choose another name");
    if (part == Part::Whole && format == Format::Native)
        return ExportNativeCopy(source, target) ? QString() : WriteFailure(target);
    CRvRecordFile recording;
    if (const QString failure = OpenToSend(recording, source); !failure.isEmpty())
        return failure;
    std::unique_ptr<CBookmarkRecordFile> cut;
    CRvRecordFile* written = &recording;
    if (part == Part::Bookmark) {
        cut = std::make_unique<CBookmarkRecordFile>(recording, Passphrase());
        cut->CropToBookmark();
        written = cut.get();
    }
    const bool done = format == Format::Wav ? WriteWav(target, *written, forcePcm) : WriteNative(target, *written);
    return done ? QString() : WriteFailure(target);
}

QString CCallExport::ExportMany(const std::vector<std::string>& sources, Format format)
{
    const QString folder = QFileDialog::getExistingDirectory(
        &m_owner, ShellText(IDS_SELECT_EXPORT_FOLDER), StartFolder(), QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return {};
    LastFolder() = folder;
    const int count = static_cast<int>(sources.size());
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
        const std::string& source = sources[static_cast<std::size_t>(done)];
        const std::string target = folder.toStdString() + "/" + BaseName(source);
        failure = ExportTo(source, target + (format == Format::Native ? ".qor" : ".wav"), format);
    }
    progress.Finish();
    return failure;
}

QString CCallExport::ExportTo(const std::string& source, const std::string& target, Format format)
{
    if (format == Format::Native)
        return ExportNativeCopy(source, target) ? QString() : WriteFailure(target);
    CRvRecordFile recording;
    if (const QString failure = OpenToSend(recording, source); !failure.isEmpty())
        return failure;
    return WriteWav(target, recording, false) ? QString() : WriteFailure(target);
}

void CCallExport::Mail(const std::vector<std::string>& paths, Format format, Part part)
{
    if (paths.empty())
        return;
    if (format == Format::Native && paths.size() > 1 && part == Part::Whole) {
        ShowMailResult(m_owner, MailCalls(*m_mailer, paths));
        return;
    }
    if (const QString failure = MailOne(paths.front(), format, part); !failure.isEmpty())
        ShowFailures(m_owner, QStringLiteral("The call could not be mailed:"), { failure });
}

QString CCallExport::MailOne(const std::string& source, Format format, Part part)
{
    CRvRecordFile recording;
    if (const QString failure = OpenToSend(recording, source); !failure.isEmpty())
        return failure;
    if (part == Part::Whole) {
        ShowMailResult(m_owner,
            format == Format::Wav ? MailWav(*m_mailer, recording, false)
                                  : MailAsAttachment(*m_mailer, recording.GetHeader(), source));
        return {};
    }
    CBookmarkRecordFile cut(recording, Passphrase());
    cut.CropToBookmark();
    if (format == Format::Wav) {
        ShowMailResult(m_owner, MailWav(*m_mailer, cut, false));
        return {};
    }
    const std::string partPath = cut.MakeTempPath(".qor");
    if (partPath.empty() || !WriteNative(partPath, cut))
        return WriteFailure(partPath);
    ShowMailResult(m_owner, MailAsAttachment(*m_mailer, cut.GetHeader(), partPath));
    std::filesystem::remove(partPath); // the message has a copy of its own
    return {};
}

} // namespace qor
