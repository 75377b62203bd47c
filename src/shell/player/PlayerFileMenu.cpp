// The player's "File Details" menu: the important mark, Send and Convert as QOR or WAV (the whole
// call or its bookmark area), Delete to the Trash and Eject, within the administrator's
// restrictions.
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "platform/Trash.h"
#include "playback/PlaybackManager.h"
#include "shell/common/CallPath.h"
#include "shell/common/ShellTexts.h"
#include "shell/lists/FailureMessages.h"
#include "shell/player/PlayerForm.h"
#include "shell/player/StateIcon.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>

namespace qor {

void CPlayerForm::BuildMenu()
{
    m_fileMenu = new QMenu(this);
    QMenu* important = m_fileMenu->addMenu(QStringLiteral("Important"));
    important->addAction(QStringLiteral("Mark Important"), this, [this] { MarkImportant(true); });
    important->addAction(QStringLiteral("Un-Mark Important"), this, [this] { MarkImportant(false); });
    using Format = CCallExport::Format;
    using Part = CCallExport::Part;
    const auto sendMenu = [this](const QString& title, bool mail) {
        QMenu* menu = m_fileMenu->addMenu(title);
        const std::pair<const char*, Format> formats[] = { { "QOR", Format::Native }, { "WAV", Format::Wav } };
        for (const Part part : { Part::Whole, Part::Bookmark })
            for (const auto& [name, format] : formats) {
                const QString text = part == Part::Whole
                    ? QStringLiteral("As %1...").arg(QLatin1String(name))
                    : QStringLiteral("Only Bookmark Area as %1...").arg(QLatin1String(name));
                QAction* action
                    = menu->addAction(text, this, [this, mail, format = format, part] { Send(mail, format, part); });
                (part == Part::Whole ? m_sendActions : m_bookmarkSendActions).push_back(action);
            }
    };
    sendMenu(QStringLiteral("Send"), true);
    sendMenu(QStringLiteral("Convert"), false);
    m_deleteAction = m_fileMenu->addAction(QStringLiteral("Delete"), this, &CPlayerForm::DeleteCall);
    m_fileMenu->addAction(QStringLiteral("Eject File"), this, &CPlayerForm::Eject);
    // The administrator's restrictions and the call's bookmark are asked when the menu opens.
    connect(m_fileMenu, &QMenu::aboutToShow, this, &CPlayerForm::UpdateFileMenu);
    // Opened on the button's click, not as the button's own menu: a screen reader's action and the
    // Space key then open it too (Qt offers neither for a tool button's instant menu).
    connect(m_fileDetails, &QToolButton::clicked, this,
        [this] { m_fileMenu->popup(m_fileDetails->mapToGlobal(QPoint(0, m_fileDetails->height()))); });
    m_fileDetails->setAccessibleDescription(QStringLiteral("Opens a menu"));
}

void CPlayerForm::UpdateFileMenu()
{
    auto settings = Singleton<CSettings>::Instance();
    const bool open = Playback().IsOpen();
    int start = -1, end = -1;
    const bool bookmarked = open && Playback().GetRecording().GetBookmark(start, end) && start >= 0 && end > start;
    for (QAction* action : m_sendActions)
        action->setEnabled(open && !settings->IsExportBlocked());
    for (QAction* action : m_bookmarkSendActions)
        action->setEnabled(bookmarked && !settings->IsExportBlocked());
    m_deleteAction->setEnabled(open && !settings->IsDeleteDisabled());
}

void CPlayerForm::Send(bool mail, CCallExport::Format format, CCallExport::Part part)
{
    if (!Playback().IsOpen() || Singleton<CSettings>::Instance()->IsExportBlocked())
        return;
    const std::vector<std::string> paths{ Playback().GetRecording().GetPath() };
    if (mail)
        m_export->Mail(paths, format, part);
    else
        m_export->Export(paths, format, part);
}

void CPlayerForm::DeleteCall()
{
    if (!Playback().IsOpen() || Singleton<CSettings>::Instance()->IsDeleteDisabled())
        return;
    const std::string path = Playback().GetRecording().GetPath();
    const QString name = QFileInfo(QString::fromStdString(path)).fileName();
    if (QMessageBox::question(this, QApplication::applicationDisplayName(),
            ShellText(IDS_CONFIRM_DELETE, 1) + QStringLiteral("\n\n") + name, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    Eject();
    std::string why;
    if (!MoveToTrash(path, &why)) {
        ShowFailures(*this, QStringLiteral("The call could not be deleted:"),
            { NamedFailure(path, why.empty() ? std::string("it could not be moved to the Trash") : why) });
        return;
    }
    Q_EMIT CallChanged(2, PathToQString(path)); // the lists let it go
}

bool CPlayerForm::ChangeLoadedHeader(
    const QString& heading, const std::function<void(CRvRecordFileHdr&)>& change, CRvRecordFileHdr& written)
{
    CRvRecordFile& recording = Playback().GetRecording();
    // Raw sound has no header: writing one would overwrite its first bytes.
    QString failure = recording.HasOwnHeader()
        ? ChangeHeaderOrSayWhy(
            recording.GetPath(),
            [&change](CRvRecordFileHdr& read) {
                change(read);
                return true;
            },
            written, &recording.Identity())
        : NamedFailure(recording.GetPath(), "is sound without a header to hold the change");
    if (failure.isEmpty())
        return true;
    ShowFailures(*this, heading, { failure });
    return false;
}

void CPlayerForm::MarkImportant(bool important)
{
    CPlaybackManager& playback = Playback();
    if (!playback.IsOpen())
        return;
    CRvRecordFile& recording = playback.GetRecording();
    CRvRecordFileHdr written;
    if (!ChangeLoadedHeader(
            important ? QStringLiteral("The call could not be marked important:")
                      : QStringLiteral("The call could not be un-marked:"),
            [important](CRvRecordFileHdr& read) { read.SetImportant(important ? 1 : 0); }, written))
        return;
    recording.GetHeader().SetImportant(important ? 1 : 0);
    m_importantIcon->Show(important);
    Q_EMIT CallChanged(important ? 0 : 1, PathToQString(recording.GetPath()));
}

} // namespace qor
