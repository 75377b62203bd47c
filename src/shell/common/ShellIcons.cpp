#include "shell/common/ShellIcons.h"

#include "foundation/ResourceBundle.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QStandardPaths>

// The bundled icons live in a static library; the linker keeps them only when asked for by name.
static void RegisterBundledIcons()
{
    Q_INIT_RESOURCE(shell);
}

namespace qor {
namespace {

struct CIconSource {
    const char* theme; // a freedesktop name, or null
    const char* bundled; // one of ours, or null
};

CIconSource SourceOf(ShellIcon icon)
{
    switch (icon) {
    case ShellIcon::Application:
        return { nullptr, "icons:qortolvane.svg" };
    case ShellIcon::Encrypted:
        return { nullptr, "icons:encrypted.svg" };
    case ShellIcon::Important:
    case ShellIcon::MarkImportant:
        return { nullptr, "icons:important.svg" };
    case ShellIcon::Bookmark:
        return { nullptr, "icons:bookmark.svg" };
    case ShellIcon::Archived:
        return { nullptr, "icons:archived.svg" };
    case ShellIcon::ArchivedDisk:
        return { nullptr, "icons:archived-disk.svg" };
    case ShellIcon::ArchivedIso:
        return { nullptr, "icons:archived-iso.svg" };
    case ShellIcon::Archive:
        return { "package-x-generic", "icons:archived.svg" };
    case ShellIcon::Play:
        return { "media-playback-start", nullptr };
    // Ours, coloured, so they show on light and dark themes alike.
    case ShellIcon::Group:
        return { nullptr, "icons:group.svg" };
    case ShellIcon::Call:
        return { nullptr, "icons:call-link.svg" };
    case ShellIcon::Shortcut:
        return { nullptr, "icons:folder-shortcut.svg" };
    case ShellIcon::Validate:
        return { "emblem-default", nullptr };
    case ShellIcon::Refresh:
        return { "view-refresh", nullptr };
    case ShellIcon::Search:
        return { "edit-find", nullptr };
    // Ours, in every theme: an envelope or a save arrow, each marked with the format it sends.
    case ShellIcon::MailWav:
        return { nullptr, "icons:mail-wav.svg" };
    case ShellIcon::MailNative:
        return { nullptr, "icons:mail-qor.svg" };
    case ShellIcon::ExportWav:
        return { nullptr, "icons:export-wav.svg" };
    case ShellIcon::ExportNative:
        return { nullptr, "icons:export-qor.svg" };
    case ShellIcon::UnmarkImportant:
        return { "edit-clear", nullptr };
    case ShellIcon::Annotate:
        return { "document-edit", nullptr };
    case ShellIcon::Delete:
        return { "user-trash", nullptr };
    case ShellIcon::New:
        return { "document-new", nullptr };
    case ShellIcon::Open:
        return { "document-open", nullptr };
    case ShellIcon::Save:
        return { "document-save", nullptr };
    case ShellIcon::SaveAs:
        return { "document-save-as", nullptr };
    case ShellIcon::Create:
        return { "system-search", nullptr };
    case ShellIcon::Undo:
        return { "edit-undo", nullptr };
    case ShellIcon::Cut:
        return { "edit-cut", nullptr };
    case ShellIcon::Copy:
        return { "edit-copy", nullptr };
    case ShellIcon::Paste:
        return { "edit-paste", nullptr };
    case ShellIcon::Remove:
        return { "list-remove", nullptr };
    case ShellIcon::Trim:
        return { "edit-select-all", nullptr };
    case ShellIcon::History:
        return { "document-open-recent", nullptr };
    case ShellIcon::About:
        return { "help-about", nullptr };
    }
    return { nullptr, nullptr };
}

// A theme's symbolic icon is drawn in one dark grey, which a desktop program of GTK's recolours to
// its text colour; Qt does not. Drawn here in the palette's button text (its disabled or selected
// form where the button is), so that it reads on light and dark themes alike.
class CSymbolicIconEngine : public QIconEngine {
public:
    explicit CSymbolicIconEngine(QIcon source)
        : m_source(std::move(source))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap tinted = m_source.pixmap(size, QIcon::Normal, state);
        if (tinted.isNull())
            return tinted;
        const QPalette palette = QGuiApplication::palette();
        const QColor color = mode == QIcon::Selected
            ? palette.color(QPalette::HighlightedText)
            : palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText);
        QPainter painter(&tinted);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(tinted.rect(), color);
        return tinted;
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_source.actualSize(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return m_source.availableSizes(mode, state);
    }

    QIconEngine* clone() const override { return new CSymbolicIconEngine(m_source); }

private:
    QIcon m_source;
};

} // namespace

QIcon LoadShellIcon(ShellIcon icon)
{
    const CIconSource source = SourceOf(icon);
    if (source.theme) {
        const QString name = QString::fromLatin1(source.theme);
        // A bundle may replace a theme's icon too, under the theme's name.
        for (const QString& picture : { name + QStringLiteral(".svg"), name + QStringLiteral(".png") })
            if (const QString folder = QString::fromStdString(ResourceBundleFolder());
                !folder.isEmpty() && QFileInfo::exists(folder + QStringLiteral("/icons/") + picture))
                return QIcon(folder + QStringLiteral("/icons/") + picture);
        // The symbolic form keeps the buttons in one style; some themes have only the full-colour one.
        const QString symbolic = name + QStringLiteral("-symbolic");
        if (QIcon::hasThemeIcon(symbolic))
            return QIcon(new CSymbolicIconEngine(QIcon::fromTheme(symbolic)));
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return source.bundled ? QIcon(QString::fromLatin1(source.bundled)) : QIcon();
}

void SetUpIconTheme()
{
    RegisterBundledIcons();
    // Platforms without a desktop theme plugin (offscreen, minimal) look only in the resources.
    QStringList searchPaths = QIcon::themeSearchPaths();
    for (const QString& folder : QStandardPaths::locateAll(
             QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory))
        if (!searchPaths.contains(folder))
            searchPaths.append(folder);
    QIcon::setThemeSearchPaths(searchPaths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    UseBundleIcons();
}

void UseBundleIcons()
{
    QStringList folders;
    if (const std::string bundle = ResourceBundleFolder(); !bundle.empty())
        folders.push_back(QString::fromStdString(bundle) + QStringLiteral("/icons"));
    folders.push_back(QStringLiteral(":/icons"));
    QDir::setSearchPaths(QStringLiteral("icons"), folders);
}

} // namespace qor
