// The icons the desktop program shows: the desktop theme's where one fits, with the program's own
// drawings for what no theme names (and as fallbacks where the theme has nothing).
#pragma once

#include <QIcon>

namespace qor {

enum class ShellIcon {
    Application,
    Encrypted,
    Important,
    Bookmark,
    Archived, // in a ZIP archive
    ArchivedDisk,
    ArchivedIso,
    Play,
    Refresh,
    Search,
    MailWav,
    MailNative,
    ExportWav,
    ExportNative,
    MarkImportant,
    UnmarkImportant,
    Annotate,
    Delete,
    Archive,
    New,
    Open,
    Save,
    SaveAs,
    Create,
    Undo,
    Cut,
    Copy,
    Paste,
    Remove,
    Trim,
    History,
    About,
    Group, // a group of calls for review or of shortcuts
    Call, // a link to a call
    Shortcut, // a shortcut to a folder
    Validate,
};

QIcon LoadShellIcon(ShellIcon icon);

// Registers the bundled icons and makes theme lookups fall back on Adwaita (installed with the
// program's dependencies). Called once at start-up.
void SetUpIconTheme();

// Our icons are named "icons:NAME.svg": found in the branding bundle's icons folder first, then
// among the bundled ones. Called again once the bundle is known.
void UseBundleIcons();

} // namespace qor
