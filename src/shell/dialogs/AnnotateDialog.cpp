#include "shell/dialogs/AnnotateDialog.h"

#include "foundation/Settings.h"
#include "recording/PredefinedComments.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace qor {
namespace {

// The user's own list first; the one an administrator put beside the office job for every user of
// the machine next, trusted from the office account.
std::vector<CCommentsFile> CommentsFiles()
{
    const uid_t office = CSettings::GetOfficeAccount();
    return { { CSettings::GetConfigFilePath(false, "Comments.txt"), std::nullopt },
        { CSettings::GetOfficeFilePath("Comments.txt"), office == geteuid() ? std::nullopt : std::optional(office) } };
}

} // namespace

CAnnotateDialog::CAnnotateDialog(const QString& comment, QWidget* parent)
    : QDialog(parent)
    , m_edit(new QPlainTextEdit(comment, this))
    , m_predefined(new QComboBox(this))
    , m_original(comment)
{
    setWindowTitle(QStringLiteral("Annotate the call"));
    setObjectName(QStringLiteral("AnnotateDialog"));
    auto* details = new QGroupBox(QStringLiteral("Comment details"), this);
    m_edit->setObjectName(QStringLiteral("Comment"));
    m_edit->setAccessibleName(QStringLiteral("Comment"));
    m_edit->setTabChangesFocus(true);
    m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* label = new QLabel(QStringLiteral("&Predefined comments:"), this);
    label->setBuddy(m_predefined);
    m_predefined->setAccessibleName(QStringLiteral("Predefined comments"));
    const CPredefinedComments predefined = LoadPredefinedComments(CommentsFiles());
    for (const std::string& text : predefined.comments)
        m_predefined->addItem(QString::fromStdString(text));
    m_predefined->setPlaceholderText(QStringLiteral("Pick a comment"));
    m_predefined->setCurrentIndex(-1);
    auto* inside = new QVBoxLayout(details);
    inside->addWidget(m_edit);
    inside->addWidget(label);
    inside->addWidget(m_predefined);
    // A list of the user's that is not used is said where she looks for it.
    for (const auto& [path, why] : predefined.refused) {
        auto* refused = new QLabel(
            QStringLiteral("%1 is not used: %2.").arg(QString::fromStdString(path), QString::fromStdString(why)), this);
        refused->setWordWrap(true);
        refused->setAccessibleName(QStringLiteral("Comments file not used"));
        inside->addWidget(refused);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(details);
    layout->addWidget(buttons);
    resize(460, 320);

    connect(m_edit, &QPlainTextEdit::textChanged, this, &CAnnotateDialog::KeepWithinLimit);
    connect(m_predefined, &QComboBox::activated, this, &CAnnotateDialog::Pick);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    KeepWithinLimit();
}

QString CAnnotateDialog::Comment() const
{
    // Comments keep their lines in CR LF, and the bookmark line is known by it; the edit gives LF.
    QString text = m_edit->toPlainText();
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void CAnnotateDialog::KeepWithinLimit()
{
    const QString text = m_edit->toPlainText();
    if (text.size() <= kMaxCharacters)
        return;
    // A typed character past the limit is refused: the text stays as it was, the cursor at its end.
    m_edit->setPlainText(text.left(kMaxCharacters));
    m_edit->moveCursor(QTextCursor::End);
}

void CAnnotateDialog::Pick(int index)
{
    if (index < 0)
        return;
    const std::string picked = m_predefined->itemText(index).toStdString();
    m_edit->setPlainText(QString::fromStdString(PickedComment(picked, m_original.toStdString())));
}

} // namespace qor
