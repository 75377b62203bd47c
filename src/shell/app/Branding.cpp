#include "shell/app/Branding.h"

#include "foundation/DataFolders.h"
#include "foundation/ResourceBundle.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/TerminalText.h"
#include "shell/common/ShellIcons.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace qor {

bool UseBranding()
{
    if (std::string bundle, why; !UseBrandingBundle(bundle, why)) {
        std::fprintf(stderr, "qortolvane: Unable to locate the resources file (%s): %s\n", TerminalText(bundle).c_str(),
            TerminalText(why).c_str());
        if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
            return false;
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Initialization error"),
            QStringLiteral("Unable to locate the resources file\n\n(%1)\n\nin the system path. Unable to continue.")
                .arg(QString::fromStdString(bundle)));
        if (why != "not found")
            box.setInformativeText(QString::fromStdString(why));
        box.exec();
        return false;
    }
    const std::string company = LoadResourceString(IDS_COMPANY_NAME);
    const std::string product = LoadResourceString(IDS_PRODUCT_NAME);
    SetDataFolderNames(company, product);
    QApplication::setOrganizationName(QString::fromStdString(company));
    QApplication::setApplicationName(QString::fromStdString(product));
    QApplication::setApplicationDisplayName(QString::fromStdString(product));
    UseBundleIcons();
    return true;
}

} // namespace qor
