// export and mail: calls as 16-bit PCM WAV, GSM WAV or in their own format, whole or only their
// bookmarked part.
#include "archive/NumberedName.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/ProgressBar.h"
#include "cli/RecordingErrors.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "platform/XdgEmailMailer.h"
#include "recording/BookmarkRecordFile.h"
#include "recording/Mail.h"
#include "recording/MailAttachments.h"
#include "recording/NativeExport.h"
#include "recording/RecordFile.h"
#include "recording/RecordingToSend.h"
#include "recording/WavWriter.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/stat.h>

namespace qor::cli {
namespace {

namespace fs = std::filesystem;

std::string WriteFailure(const std::string& destination)
{
    if (errno == EEXIST)
        return destination + " exists already (--force replaces it, --no-clobber skips such calls)";
    return "cannot write " + destination + ": " + std::strerror(errno);
}

struct ExportOptions {
    std::vector<std::string> files;
    std::string to;
    std::string as = "wav";
    bool bookmarkOnly = false;
    bool force = false;
    bool noClobber = false;
};

// What one call becomes: written at destination, or a reason why not.
std::string WriteCall(CRvRecordFile& recording, const std::string& passphrase, const ExportOptions& options,
    const std::string& destination, CExistingFile existing = CExistingFile::Replace)
{
    if (options.bookmarkOnly) {
        int start = 0, end = 0;
        if (!recording.GetBookmark(start, end))
            return "has no bookmark";
        CBookmarkRecordFile part(recording, passphrase);
        part.CropToBookmark();
        const bool written = options.as == "qor" ? WriteNative(destination, part, existing)
                                                 : WriteWav(destination, part, options.as == "wav", existing);
        return written ? std::string() : WriteFailure(destination);
    }
    const bool written = options.as == "qor" ? ExportNativeCopy(recording.GetPath(), destination, existing)
                                             : WriteWav(destination, recording, options.as == "wav", existing);
    return written ? std::string() : WriteFailure(destination);
}

// The name a call is exported under: its own, or a numbered one when another call of this run has
// taken it, so two calls of the same name from different folders both arrive.
std::string FreeDestination(const std::string& folder, const std::string& name, std::set<std::string>& taken)
{
    std::string chosen = name;
    for (int number = 2; taken.contains(chosen); ++number)
        chosen = NumberedName(name, number);
    taken.insert(chosen);
    return (fs::path(folder) / chosen).string();
}

std::string Extension(const ExportOptions& options)
{
    return options.as == "qor" ? ".qor" : ".wav";
}

bool ExportBlocked(CCliContext& context)
{
    if (!Singleton<CSettings>::Instance()->IsExportBlocked())
        return false;
    context.Fail("exporting and mailing calls is blocked by the administrator");
    return true;
}

void RunExport(const ExportOptions& options, CCliContext& context)
{
    if (ExportBlocked(context))
        return;
    std::error_code error;
    if (!fs::is_directory(options.to, error) && !fs::create_directories(options.to, error)) {
        context.Fail(options.to, "cannot make the folder: " + error.message());
        return;
    }
    const std::string& passphrase = context.Passphrase();
    const CExistingFile existing = options.force ? CExistingFile::Replace : CExistingFile::Keep;
    std::set<std::string> taken;
    CProgressBar progress("exporting", options.files.size());
    std::size_t done = 0;
    for (const std::string& path : options.files) {
        progress.Update(done++);
        CRvRecordFile recording;
        const int opened = OpenRecordingToSend(recording, path, passphrase);
        if (opened != 1) {
            progress.Finish();
            context.Fail(
                path, opened == kRefusedLink ? kRefusedLinkText : WhyUnreadable(path, recording.GetHeader(), opened));
            continue;
        }
        const std::string destination
            = FreeDestination(options.to, fs::path(path).stem().string() + Extension(options), taken);
        errno = 0;
        const std::string failure = WriteCall(recording, passphrase, options, destination, existing);
        const bool exists = errno == EEXIST;
        if (failure.empty())
            continue;
        progress.Finish();
        if (options.noClobber && exists)
            context.Note(path + ": skipped: " + destination + " exists already");
        else
            context.Fail(path, failure);
    }
}

void RunMail(const ExportOptions& options, CCliContext& context)
{
    if (ExportBlocked(context))
        return;
    const std::string& passphrase = context.Passphrase();
    // Attachments are copies made for the message, in a private folder of its own, since the mail
    // program reads them after this program has ended.
    const std::string folder = NewAttachmentFolder();
    if (folder.empty())
        return context.Fail("no private folder to make the attachments in (neither XDG_RUNTIME_DIR nor HOME is "
                            "a folder of yours)");
    CXdgEmailMailer mailer;
    const bool asIs = options.as == "qor" && !options.bookmarkOnly;
    std::vector<std::string> attachments;
    std::unique_ptr<CRvRecordFileHdr> onlyHeader;
    for (const std::string& path : options.files) {
        CRvRecordFile recording;
        // Sent as it is, the call is copied first and its details read from the copy: both are then
        // of the very file that is sent.
        std::string attachment = asIs ? AttachmentCopy(folder, path) : std::string();
        if (asIs && attachment.empty() && errno == EPERM) {
            context.Fail(path, kRefusedLinkText);
            continue;
        }
        const int opened = asIs ? recording.GetHeader().Load(attachment.empty() ? path : attachment, passphrase)
                                : OpenRecordingToSend(recording, path, passphrase);
        if (opened <= 0 || opened == kRefusedLink) {
            if (!attachment.empty())
                fs::remove(attachment);
            context.Fail(
                path, opened == kRefusedLink ? kRefusedLinkText : WhyUnreadable(path, recording.GetHeader(), opened));
            continue;
        }
        if (!asIs) {
            attachment = folder + NeutralAttachmentName(fs::path(path).stem().string() + Extension(options));
            if (const std::string failure = WriteCall(recording, passphrase, options, attachment); !failure.empty())
                attachment.clear();
        }
        if (attachment.empty() || chmod(attachment.c_str(), 0600) != 0) {
            context.Fail(path, "cannot make the attachment in " + folder);
            continue;
        }
        attachments.push_back(attachment);
        onlyHeader = std::make_unique<CRvRecordFileHdr>(recording.GetHeader());
    }
    if (attachments.empty())
        return;
    const CMailResult result = attachments.size() == 1
        ? mailer.Send(MakeCallMailMessage(*onlyHeader, attachments.front()))
        : mailer.Send(MakeCallsMailMessage(attachments));
    if (const std::string message = MailResultMessage(result); !message.empty())
        context.Fail(message);
}

void AddCommonOptions(CLI::App& command, ExportOptions& options)
{
    command.add_option("FILE", options.files, "Recordings")->required();
    command.add_option("--as", options.as, "wav (16-bit PCM), gsm-wav (GSM 06.10 in WAV) or qor (the recorder's own)")
        ->check(CLI::IsMember({ "wav", "gsm-wav", "qor" }));
    command.add_flag("--bookmark-only", options.bookmarkOnly, "Only the bookmarked part of each call");
}

} // namespace

void AddExportCommands(CLI::App& program, CCliContext& context)
{
    auto exportOptions = std::make_shared<ExportOptions>();
    CLI::App* exportCommand = program.add_subcommand("export", "Write calls into a folder as WAV or QOR files");
    AddCommonOptions(*exportCommand, *exportOptions);
    exportCommand->add_option("--to", exportOptions->to, "The folder to write them to (made if missing)")->required();
    auto* force = exportCommand->add_flag(
        "-f,--force", exportOptions->force, "Replace files of the same name in the folder (by default none is)");
    exportCommand
        ->add_flag("-n,--no-clobber", exportOptions->noClobber,
            "Skip calls whose file is in the folder already, without counting them as failed")
        ->excludes(force);
    exportCommand->callback([exportOptions, &context] { RunExport(*exportOptions, context); });

    auto mailOptions = std::make_shared<ExportOptions>();
    CLI::App* mail
        = program.add_subcommand("mail", "Open a new message in the desktop's mail program with calls attached");
    AddCommonOptions(*mail, *mailOptions);
    mail->callback([mailOptions, &context] { RunMail(*mailOptions, context); });
}

} // namespace qor::cli
