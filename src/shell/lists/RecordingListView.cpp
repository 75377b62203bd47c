#include "shell/lists/RecordingListView.h"

#include "archive/ArchiveLogs.h"
#include "archive/ArchiveTypes.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "lists/EntrySort.h"
#include "lists/ListTitles.h"
#include "lists/QorTolvaneDoc.h"
#include "playback/PlaybackManager.h"
#include "review/CallHistory.h"
#include "shell/common/CallPath.h"
#include "shell/common/ShellIcons.h"
#include "shell/common/ShellTexts.h"
#include "shell/lists/HeaderArrowStyle.h"
#include "shell/lists/ListCallCommands.h"
#include "shell/lists/RecordingListModel.h"
#include "shell/lists/RecordingTable.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qor {
namespace {

constexpr int kReadyPollMs = 20;

struct CButtonLook {
    ShellIcon icon;
    int tip;
};

constexpr CButtonLook kLooks[CQorTolvaneView::kButtonCount] = {
    { ShellIcon::Play, IDS_TIP_PLAY },
    { ShellIcon::Refresh, IDS_TIP_REFRESH },
    { ShellIcon::Search, IDS_TIP_SEARCH },
    { ShellIcon::MailWav, IDS_TIP_MAIL_WAV },
    { ShellIcon::MailNative, IDS_TIP_MAIL_NATIVE },
    { ShellIcon::ExportWav, IDS_TIP_EXPORT_WAV },
    { ShellIcon::ExportNative, IDS_TIP_EXPORT_NATIVE },
    { ShellIcon::MarkImportant, IDS_TIP_MARK_IMPORTANT },
    { ShellIcon::UnmarkImportant, IDS_TIP_UNMARK_IMPORTANT },
    { ShellIcon::Annotate, IDS_TIP_ANNOTATE },
    { ShellIcon::Delete, IDS_TIP_DELETE },
    { ShellIcon::Archive, IDS_TIP_ARCHIVE },
};

QString DurationTotal(std::int64_t seconds)
{
    const auto number = [](std::int64_t value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    if (seconds >= 3600)
        return QStringLiteral("Duration: ") + number(seconds / 3600) + QLatin1Char(':') + number(seconds % 3600 / 60)
            + QLatin1Char(':') + number(seconds % 60);
    return QStringLiteral("Duration: 00:") + number(seconds / 60) + QLatin1Char(':') + number(seconds % 60);
}

} // namespace

CQorTolvaneView::CQorTolvaneView(CQorTolvaneDoc& document, CArchiveLogs* archive, QWidget* parent)
    : QWidget(parent)
    , m_document(document)
    , m_model(new CRecordingListModel(document, archive, this))
    , m_table(new CRecordingTable(this))
    , m_commands(new CListCallCommands(*this, document, *m_model))
    , m_caption(new QLabel(this))
    , m_calls(new QLabel(this))
    , m_important(new QLabel(this))
    , m_duration(new QLabel(this))
    , m_sortColumn(kColumnDateTime)
    , m_headerSortColumn(kColumnDateTime)
{
    QFont captionFont(QStringLiteral("Verdana"));
    captionFont.setPixelSize(16);
    captionFont.setBold(true);
    m_caption->setFont(captionFont);
    m_table->setModel(m_model);
    m_table->setAccessibleName(QStringLiteral("Calls"));
    auto settings = Singleton<CSettings>::Instance();
    // The comment, last, fills what the others leave: a width it once stretched to would bring a
    // scroll bar in a smaller window.
    for (int column = 0; column < kColumnComment; ++column)
        m_table->setColumnWidth(column, settings->GetColumnWidth(column));
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* buttons = new QHBoxLayout;
    BuildButtons();
    for (QToolButton* button : m_buttons)
        buttons->addWidget(button);
    buttons->addStretch();
    auto* totals = new QHBoxLayout;
    totals->addWidget(m_calls);
    totals->addSpacing(24);
    totals->addWidget(m_important);
    totals->addSpacing(24);
    totals->addWidget(m_duration);
    totals->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_caption);
    layout->addWidget(m_table, 1);
    layout->addLayout(totals);

    connect(
        m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CQorTolvaneView::OnSelectionChanged);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, &CQorTolvaneView::OnHeaderClicked);
    connect(m_table, &CRecordingTable::PathsDropped, this, &CQorTolvaneView::OnPathsDropped);
    connect(m_table, &QTableView::doubleClicked, this, [this] { Play(); });
    connect(m_table, &CRecordingTable::PlayPressed, this, &CQorTolvaneView::Play);
    connect(m_table, &CRecordingTable::PausePressed, this, &CQorTolvaneView::PlayOrPause);
    connect(m_table, &QWidget::customContextMenuRequested, this, &CQorTolvaneView::ShowContextMenu);
    connect(m_model, &CRecordingListModel::CallerIdEdited, this, [this](int row, const QString& callerId) {
        m_commands->SetCallerId(row, callerId);
        Q_EMIT ListChanged();
    });
    connect(m_commands, &CListCallCommands::CallChanged, this, &CQorTolvaneView::CallChanged);
    connect(m_commands, &CListCallCommands::PassphraseWanted, this, &CQorTolvaneView::PassphraseWanted);
    auto* arrowStyle = new CHeaderArrowStyle;
    arrowStyle->setParent(this); // outlives the header, which the table takes down first
    m_table->horizontalHeader()->setStyle(arrowStyle);
    m_table->horizontalHeader()->setSortIndicatorShown(true);
    ShowSortIndicator();
}

CQorTolvaneView::~CQorTolvaneView() = default;

void CQorTolvaneView::BuildButtons()
{
    for (int button = 0; button < kButtonCount; ++button) {
        auto* tool = new QToolButton(this);
        const QIcon icon = LoadShellIcon(kLooks[button].icon);
        tool->setIcon(icon);
        tool->setIconSize(QSize(22, 22));
        tool->setToolTip(ShellText(kLooks[button].tip));
        tool->setAccessibleName(tool->toolTip()); // icon-only: a screen reader names it by its tip
        if (button == kArchive) { // its tip says what the menu it opens leads to, not what it is
            tool->setAccessibleName(QStringLiteral("Archive"));
            tool->setAccessibleDescription(tool->toolTip() + QStringLiteral(" (opens a menu)"));
        }
        if (icon.isNull()) // a desktop without an icon theme still gets a usable button
            tool->setText(tool->toolTip());
        tool->setAutoRaise(true);
        m_buttons[button] = tool;
    }
    connect(m_buttons[kPlay], &QToolButton::clicked, this, &CQorTolvaneView::Play);
    connect(m_buttons[kRefresh], &QToolButton::clicked, this, &CQorTolvaneView::Refresh);
    connect(m_buttons[kSearch], &QToolButton::clicked, this, &CQorTolvaneView::FindCallsRequested);
    // Each send button does the whole call; its menu also offers only the bookmarked part.
    using Format = CListCallCommands::Format;
    using Part = CListCallCommands::Part;
    struct CSendButton {
        Button button;
        Format format;
        bool mail;
        const char* title;
    };
    for (const CSendButton send : { CSendButton{ kMailWav, Format::Wav, true, "E-mail as WAV" },
             CSendButton{ kMailNative, Format::Native, true, "E-mail as QOR" },
             CSendButton{ kExportWav, Format::Wav, false, "Export to WAV" },
             CSendButton{ kExportNative, Format::Native, false, "Export to QOR" } }) {
        const auto run = [this, send](Part part) {
            if (send.mail)
                m_commands->Mail(SelectedRows(), send.format, part);
            else
                m_commands->Export(SelectedRows(), send.format, part);
        };
        auto* menu = new QMenu(QString::fromLatin1(send.title), this);
        menu->addAction(send.mail ? QStringLiteral("E-mail a Full Record") : QStringLiteral("Export Full Record"), this,
            [run] { run(Part::Whole); });
        m_bookmarkActions.push_back(menu->addAction(
            send.mail ? QStringLiteral("E-mail only Bookmark Area") : QStringLiteral("Export only Bookmark Area"), this,
            [run] { run(Part::Bookmark); }));
        m_sendMenus.push_back(menu);
        m_buttons[send.button]->setMenu(menu);
        m_buttons[send.button]->setPopupMode(QToolButton::MenuButtonPopup);
        connect(m_buttons[send.button], &QToolButton::clicked, this, [run] { run(Part::Whole); });
    }
    for (const bool important : { true, false })
        connect(
            m_buttons[important ? kMarkImportant : kUnmarkImportant], &QToolButton::clicked, this, [this, important] {
                m_commands->MarkImportant(SelectedRows(), important);
                m_document.SetModifiedFlag(true);
                UpdateTotals();
                Q_EMIT ListChanged();
            });
    connect(m_buttons[kDelete], &QToolButton::clicked, this, &CQorTolvaneView::DeleteSelected);
    connect(m_buttons[kAnnotate], &QToolButton::clicked, this, [this] {
        const std::vector<int> rows = SelectedRows();
        if (rows.size() == 1)
            m_commands->Annotate(rows.front());
    });
    connect(m_buttons[kArchive], &QToolButton::clicked, this, &CQorTolvaneView::ShowArchiveMenu);
}

void CQorTolvaneView::ShowList(int kind, const std::string& folder)
{
    m_kind = EffectiveListKind(kind, folder);
    m_folder = folder;
    m_document.SetKind(m_kind);
    m_document.SetFolder(folder);
    const std::string now
        = QDateTime::currentDateTime().toString(QLocale().dateTimeFormat(QLocale::ShortFormat)).toStdString();
    m_caption->setText(QString::fromStdString(ListLabel(m_kind, folder, now)));
    ReloadRows();
    Q_EMIT ListChanged();
}

void CQorTolvaneView::ReloadRows()
{
    m_model->Reload();
    if (m_document.GetCount() > 0)
        SelectRows({ 0 });
    UpdateTotals();
    UpdateButtons();
}

void CQorTolvaneView::UpdateTotals()
{
    m_calls->setText(QStringLiteral("Calls: %1").arg(m_document.GetCount()));
    m_important->setText(QStringLiteral("Important: %1").arg(m_document.GetImportantCount()));
    m_duration->setText(DurationTotal(m_document.GetTotalDuration()));
}

QString CQorTolvaneView::TotalsText() const
{
    return m_calls->text() + QLatin1Char(' ') + m_important->text() + QLatin1Char(' ') + m_duration->text();
}

QString CQorTolvaneView::Label() const
{
    return m_caption->text();
}

void CQorTolvaneView::UpdateButtons()
{
    auto settings = Singleton<CSettings>::Instance();
    const std::size_t selected = SelectedRows().size();
    const bool any = m_document.GetCount() > 0;
    for (int button = 0; button < kButtonCount; ++button)
        m_buttons[button]->setEnabled(any);
    m_buttons[kArchive]->setEnabled(true); // its logs, settings and scheduled run need no call
    const CRvFileListEntry* one = selected == 1 ? m_document.GetEntry(SelectedRows().front()) : nullptr;
    for (QAction* bookmark : m_bookmarkActions)
        bookmark->setEnabled(one && one->HasBookmark());
    if (!any)
        return;
    if (selected != 1) {
        m_buttons[kMailWav]->setEnabled(false);
        m_buttons[kAnnotate]->setEnabled(false);
    }
    if (settings->IsExportBlocked())
        for (const Button button : { kMailWav, kMailNative, kExportWav, kExportNative })
            m_buttons[button]->setEnabled(false);
    if (settings->IsDeleteDisabled())
        m_buttons[kDelete]->setEnabled(false);
}

std::vector<int> CQorTolvaneView::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList CQorTolvaneView::SelectedPaths() const
{
    QStringList paths;
    for (const int row : SelectedRows())
        paths.append(PathToQString(m_document.GetEntry(row)->GetPath()));
    return paths;
}

void CQorTolvaneView::SelectRows(const std::vector<int>& rows)
{
    // Runs of rows go in as one range each: selecting all of a large list stays quick.
    QItemSelection selection;
    const int lastColumn = m_model->columnCount() - 1;
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t last = first;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
            ++last;
        selection.select(m_model->index(rows[first], 0), m_model->index(rows[last], lastColumn));
        first = last + 1;
    }
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty())
        m_table->selectionModel()->setCurrentIndex(m_model->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
}

void CQorTolvaneView::OnSelectionChanged()
{
    if (m_reloading)
        return;
    UpdateButtons();
    LoadSelectedCall();
}

void CQorTolvaneView::LoadSelectedCall()
{
    auto playback = Singleton<CPlaybackManager>::Instance();
    const std::vector<int> rows = SelectedRows();
    const std::string path = rows.size() == 1 ? m_document.GetEntry(rows.front())->GetPath() : std::string();
    if (!playback->IsOpen() || playback->GetRecording().GetPath() != path) {
        if (playback->IsPlaying())
            playback->Play(false, true);
        playback->CloseRecording();
        if (!path.empty())
            playback->OpenRecording(path);
    }
    const bool failed = !path.empty() && !playback->IsOpen();
    Q_EMIT LoadedCallChanged(failed ? CListCallCommands::UnplayableReason(path) : QString());
}

void CQorTolvaneView::Play()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.size() > 1) {
        Q_EMIT PlayInNewList(SelectedPaths());
        return;
    }
    auto playback = Singleton<CPlaybackManager>::Instance();
    if (rows.size() != 1)
        return;
    LoadSelectedCall(); // another list's call may be the one loaded
    if (!playback->IsOpen()) {
        m_commands->ExplainUnplayable(m_document.GetEntry(rows.front())->GetPath());
        return;
    }
    if (!playback->IsPlaying() && !playback->GetRecording().IsReady()) {
        // A call opened a moment ago is still decoding its start: play once enough is there.
        QTimer::singleShot(kReadyPollMs, this, &CQorTolvaneView::Play);
        return;
    }
    if (!playback->CanPlay())
        return;
    playback->Play(true, true);
    Singleton<CCallHistory>::Instance()->AddPlayed(playback->GetRecording().GetPath());
    Q_EMIT LoadedCallChanged();
}

void CQorTolvaneView::PlayOrPause()
{
    LoadSelectedCall();
    auto playback = Singleton<CPlaybackManager>::Instance();
    if (playback->IsOpen() && (playback->IsPlaying() || playback->IsPaused())) {
        playback->TogglePause();
        Q_EMIT LoadedCallChanged();
        return;
    }
    Play();
}

void CQorTolvaneView::Refresh()
{
    m_removed.clear(); // the list is made again: nothing taken out before can come back into it
    if (m_document.IsSearchCompiled()) {
        Q_EMIT RerunSearch(m_document.GetCriteria());
        return;
    }
    const std::string passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    for (const auto& entry : m_document.Entries())
        entry->ReloadDetails(passphrase);
    Resort();
}

void CQorTolvaneView::RereadUnreadable()
{
    const std::string passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    bool changed = false;
    for (int row = 0; row < m_document.GetCount(); ++row) {
        CRvFileListEntry* entry = m_document.GetEntry(row);
        if (!entry->ReadFailed())
            continue;
        entry->ReloadDetails(passphrase);
        m_model->RowChanged(row);
        changed = true;
    }
    if (!changed)
        return;
    UpdateTotals();
    SortBy(m_sortColumn, m_naturalOrder); // what was read may sort elsewhere now
}

void CQorTolvaneView::DeleteSelected()
{
    if (Singleton<CSettings>::Instance()->IsDeleteDisabled())
        return;
    if (!m_commands->Delete(SelectedRows())) {
        UpdateTotals();
        return;
    }
    if (m_document.GetCount() == 0)
        Singleton<CPlaybackManager>::Instance()->CloseRecording();
    ReloadRows();
    Q_EMIT ListChanged();
}

void CQorTolvaneView::ShowContextMenu(const QPoint& where)
{
    QMenu menu(this);
    const bool selected = !SelectedRows().empty();
    menu.addAction(QStringLiteral("Play"), this, &CQorTolvaneView::Play)->setEnabled(selected);
    menu.addAction(QStringLiteral("Copy"), this, &CQorTolvaneView::CopyToClipboard)->setEnabled(selected);
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    menu.addAction(QStringLiteral("Paste"), this, &CQorTolvaneView::PasteFromClipboard)
        ->setEnabled(clipboard && clipboard->hasUrls());
    menu.addAction(QStringLiteral("Remove"), this, &CQorTolvaneView::RemoveSelected)->setEnabled(selected);
    menu.addAction(QStringLiteral("Trim"), this, &CQorTolvaneView::TrimToSelection)->setEnabled(selected);
    menu.addAction(QStringLiteral("Select All"), m_table, &QTableView::selectAll);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Mark Important"), m_buttons[kMarkImportant], &QToolButton::click)
        ->setEnabled(selected);
    menu.addAction(QStringLiteral("Un-Mark Important"), m_buttons[kUnmarkImportant], &QToolButton::click)
        ->setEnabled(selected);
    menu.addAction(QStringLiteral("Annotate..."), m_buttons[kAnnotate], &QToolButton::click)
        ->setEnabled(SelectedRows().size() == 1);
    menu.addAction(QStringLiteral("Add to Calls for Review..."), this,
            [this] { Q_EMIT AddToReviewRequested(SelectedPaths()); })
        ->setEnabled(selected);
    menu.addAction(QStringLiteral("Delete Recordings"), this, &CQorTolvaneView::DeleteSelected)
        ->setEnabled(selected && m_buttons[kDelete]->isEnabled());
    menu.addSeparator();
    for (std::size_t send = 0; send < m_sendMenus.size(); ++send)
        menu.addMenu(m_sendMenus[send])->setEnabled(m_buttons[kMailWav + static_cast<int>(send)]->isEnabled());
    menu.exec(m_table->viewport()->mapToGlobal(where));
}

void CQorTolvaneView::ShowArchiveMenu()
{
    QMenu menu(this);
    QMenu* write = menu.addMenu(QStringLiteral("Write"));
    const bool calls = m_document.GetCount() > 0;
    for (const auto& [item, method] : { std::pair{ "&Zip", kArchiveZip }, std::pair{ "&Disk", kArchiveDisk },
             std::pair{ "&ISO Image File", kArchiveIso } })
        write->addAction(QString::fromLatin1(item), this, [this, method] { Q_EMIT ArchiveWizardRequested(method); })
            ->setEnabled(calls);
    menu.addAction(QStringLiteral("View Archive &Logs..."), this, &CQorTolvaneView::ArchiveLogsRequested);
    menu.addAction(QStringLiteral("Run Scheduled Now"), this, &CQorTolvaneView::RunScheduledRequested);
    menu.addAction(QStringLiteral("Settings"), this, &CQorTolvaneView::ArchiveSettingsRequested);
    menu.exec(m_buttons[kArchive]->mapToGlobal(QPoint(0, m_buttons[kArchive]->height())));
}

void CQorTolvaneView::ShowArchiveChange()
{
    m_model->ArchiveChanged();
}

void CQorTolvaneView::StoreColumnWidths()
{
    auto settings = Singleton<CSettings>::Instance();
    for (int column = 0; column < kColumnComment; ++column)
        settings->SetColumnWidth(column, m_table->columnWidth(column));
}

} // namespace qor
