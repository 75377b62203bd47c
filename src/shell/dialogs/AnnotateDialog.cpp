#include "shell/dialogs/AnnotateDialog.h"

#include "foundation/Settings.h"
#include "recording/PredefinedComments.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
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

CAnnotateDialog::CAnnotateDialog(const QString& words, int room, QWidget* parent)
    : QDialog(parent)
    , m_edit(new QPlainTextEdit(words, this))
    , m_predefined(new QComboBox(this))
    , m_roomLeft(new QLabel(this))
    , m_room(room)
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
    // A long line of Comments.txt widens the list it drops down, never the dialog.
    m_predefined->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_predefined->setMinimumContentsLength(24);
    m_roomLeft->setObjectName(QStringLiteral("RoomLeft"));
    const CPredefinedComments predefined = LoadPredefinedComments(CommentsFiles());
    for (const std::string& text : predefined.comments)
        m_predefined->addItem(QString::fromStdString(text));
    m_predefined->setPlaceholderText(QStringLiteral("Pick a comment"));
    m_predefined->setCurrentIndex(-1);
    auto* inside = new QVBoxLayout(details);
    inside->addWidget(m_edit);
    inside->addWidget(m_roomLeft);
    inside->addWidget(label);
    inside->addWidget(m_predefined);
    // A list of the user's that is not used is said where she looks for it.
    for (const auto& [path, why] : predefined.refused) {
        auto* refused = new QLabel(
            QStringLiteral("%1 is not used: %2.").arg(QString::fromStdString(path), QString::fromStdString(why)), this);
        refused->setWordWrap(true);
        refused->setObjectName(QStringLiteral("CommentsFileNotUsed"));
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
    // Comments keep their lines in CR LF; the edit gives LF.
    QString text = m_edit->toPlainText();
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void CAnnotateDialog::KeepWithinLimit()
{
    QString text = Comment();
    if (text.toUtf8().size() > m_room) {
        // What goes past the room is refused: the words are cut on a character at the room's end.
        while (!text.isEmpty() && text.toUtf8().size() > m_room)
            text.chop(text.size() >= 2 && text.at(text.size() - 1).isLowSurrogate() ? 2 : 1);
        QSignalBlocker quiet(m_edit);
        m_edit->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).remove(QLatin1Char('\r')));
        m_edit->moveCursor(QTextCursor::End);
    }
    m_roomLeft->setText(
        QStringLiteral("Room left: %1 of %2 bytes").arg(m_room - Comment().toUtf8().size()).arg(m_room));
}

void CAnnotateDialog::Pick(int index)
{
    if (index >= 0)
        m_edit->setPlainText(m_predefined->itemText(index));
}

} // namespace qor
