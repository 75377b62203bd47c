#include "shell/lists/ListWindow.h"

#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "lists/ListTitles.h"
#include "review/CallHistory.h"
#include "shell/common/ShellTexts.h"
#include "shell/dialogs/ProgressDialog.h"
#include "shell/lists/ListFileReading.h"
#include "shell/lists/RecordingListView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QVBoxLayout>

namespace qor {
namespace {

const QString kListFilter = QStringLiteral("QOR Recording List Files (*.reclist)");

} // namespace

CListWindow::CListWindow(CArchiveLogs* archive, QWidget* parent)
    : QWidget(parent)
    , m_document(std::make_unique<CQorTolvaneDoc>())
    , m_view(new CQorTolvaneView(*m_document, archive, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    connect(m_view, &CQorTolvaneView::ListChanged, this, &CListWindow::RefreshTitle);
}

CListWindow::~CListWindow() = default;

bool CListWindow::Open(const QString& path)
{
    CXmlError error;
    std::vector<std::string> notCalls;
    const ListReadOutcome outcome = ReadListInto(*this, *m_document, path, error, notCalls);
    if (outcome == ListReadOutcome::Cancelled)
        return false;
    m_filePath = path;
    m_view->ShowList(kListCustom, m_document->GetFolder());
    m_document->SetModifiedFlag(false);
    RefreshTitle();
    ShowListProblems(*this, path, outcome, error, notCalls);
    return true;
}

bool CListWindow::Save()
{
    if (IsPlayHistory())
        return Singleton<CCallHistory>::Instance()->Save() || m_document->GetCount() == 0;
    return m_filePath.isEmpty() ? SaveAs() : SaveTo(m_filePath);
}

bool CListWindow::SaveAs()
{
    QString proposed = Title();
    proposed.remove(QLatin1Char('*'));
    const QString path = QFileDialog::getSaveFileName(
        this, QString(), proposed + QStringLiteral(".reclist"), kListFilter, nullptr, QFileDialog::DontUseNativeDialog);
    return !path.isEmpty() && SaveTo(path);
}

bool CListWindow::SaveTo(const QString& path)
{
    const int count = m_document->GetCount();
    CProgressDialog progress(window());
    if (count > 0) {
        progress.SetText(ShellText(IDS_COMPILING_LIST, 0, count));
        progress.SetRange(1, count);
        progress.Begin();
    }
    const bool saved = m_document->Save(path.toStdString(), [&](int index) {
        if (index % 1000 == 0) {
            progress.SetValue(index + 1);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
    progress.Finish();
    if (!saved) {
        QMessageBox::warning(this, QApplication::applicationDisplayName(), QStringLiteral("Cannot save ") + path);
        return false;
    }
    m_filePath = path;
    RefreshTitle();
    return true;
}

bool CListWindow::SaveModified()
{
    if (!m_document->IsModified())
        return true;
    if (IsPlayHistory()) {
        Singleton<CCallHistory>::Instance()->Save();
        return true;
    }
    QString name = m_filePath;
    if (name.isEmpty()) {
        name = Title(); // with its number, so the question names one of several lists alike
        if (const auto marker = name.lastIndexOf(QLatin1Char('*')); marker >= 0)
            name.truncate(marker);
    }
    const QString text = ShellText(IDS_CLOSE_LIST_PROMPT).replace(QStringLiteral("%1"), name);
    switch (QMessageBox::question(this, QApplication::applicationDisplayName(), text,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save)) {
    case QMessageBox::Save:
        return Save();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

QString CListWindow::Name() const
{
    const std::string fileTitle = m_filePath.isEmpty() ? std::string() : QFileInfo(m_filePath).fileName().toStdString();
    return QString::fromStdString(ListTitle(m_document->GetKind(), m_document->GetFolder(), fileTitle));
}

QString CListWindow::Title() const
{
    QString title = Name();
    if (m_twinNumber > 1)
        title += QStringLiteral(" (%1)").arg(m_twinNumber);
    if (m_document->IsModified() && !IsPlayHistory())
        title += QLatin1Char('*');
    return title;
}

void CListWindow::RefreshTitle()
{
    setWindowTitle(Title());
    Q_EMIT TitleChanged(windowTitle());
}

void CListWindow::SetTwinNumber(int number)
{
    if (number == m_twinNumber)
        return;
    m_twinNumber = number;
    setWindowTitle(Title());
}

void CListWindow::closeEvent(QCloseEvent* event)
{
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    m_view->StoreColumnWidths();
    event->accept();
}

} // namespace qor
