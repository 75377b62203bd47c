// Exporting and mailing the calls a list's user picked: the whole call or only its bookmarked
// part, as a WAV file (GSM compressed or uncompressed) or in the recorder's own format. The save
// dialogs start in the folder last exported to, the Documents folder the first time.
#pragma once

#include "recording/Mailer.h"

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace qor {

class CRvRecordFile;

class CCallExport : public QObject {
    Q_OBJECT

public:
    enum class Format { Wav, Native };
    enum class Part { Whole, Bookmark };

    explicit CCallExport(QWidget& owner);
    ~CCallExport() override;

    // The mail program; the desktop's own unless a test supplies one.
    void SetMailer(std::unique_ptr<IMailer> mailer);

    // One call asks for a file name, several for a folder; the bookmarked part is for one call.
    void Export(const std::vector<std::string>& paths, Format format, Part part);
    void Mail(const std::vector<std::string>& paths, Format format, Part part);

    // Where the next save dialog starts.
    static QString StartFolder();

private:
    // Each gives the failure that stopped it (the file named, and why), or nothing.
    QString ExportOne(const std::string& source, Format format, Part part);
    QString ExportMany(const std::vector<std::string>& sources, Format format);
    QString ExportTo(const std::string& source, const std::string& target, Format format);
    QString MailOne(const std::string& source, Format format, Part part);
    // The file the user chose for a call, with its extension; empty when cancelled. forcePcm tells
    // whether "Wav Uncompressed" was chosen.
    QString AskTarget(const std::string& source, Format format, bool* forcePcm);
    // Opens a call to send: refused links and unreadable calls give their failure.
    QString OpenToSend(CRvRecordFile& recording, const std::string& source);

    QWidget& m_owner;
    std::unique_ptr<IMailer> m_mailer;
};

} // namespace qor
