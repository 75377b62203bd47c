// Feeds arbitrary bytes as the user's config.xml, the administrator's global.xml, the branding
// file and a branding bundle's strings to what reads them at start-up, and checks that what the
// program then saves reads back the same, and that a bundle is taken whole, with names that are each
// one folder name, or not at all.
#include "FuzzFiles.h"
#include "foundation/ResourceBundle.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qor::fuzz::UsePrivateDataFolders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using qor::CSettings;
    FuzzedDataProvider input(data, size);
    qor::fuzz::WriteWholeFile(
        CSettings::GetSystemConfigFilePath(CSettings::kGlobalFile), input.ConsumeRandomLengthString(size));
    qor::fuzz::WriteWholeFile(
        CSettings::GetSystemConfigFilePath(CSettings::kBrandingFile), input.ConsumeRandomLengthString(size));
    const std::string bundle = qor::fuzz::ScratchPath("bundle");
    qor::fuzz::WriteWholeFile(bundle + "/strings.xml", input.ConsumeRandomLengthString(size));
    qor::fuzz::WriteWholeFile(
        CSettings::GetConfigFilePath(false, CSettings::kConfigFile), input.ConsumeRemainingBytesAsString());

    std::string why;
    if (qor::UseResourceBundle(bundle, why)) {
        for (const int id : { qor::IDS_COMPANY_NAME, qor::IDS_PRODUCT_NAME }) {
            const std::string name = qor::LoadResourceString(id);
            if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
                std::abort(); // the data folders would lie elsewhere
        }
        qor::UseResourceBundle("", why);
    } else if (why.empty() || qor::LoadResourceString(qor::IDS_PRODUCT_NAME) != "Qor Tolvane") {
        std::abort(); // refused without a reason, or partly taken
    }

    CSettings settings;
    settings.Load();
    settings.GetResourceFile();
    CSettings::GetOfficeAccount();
    CSettings::GetOfficeAccountMistake();
    settings.TakeExposureWarning();
    if (!settings.Save())
        return 0;
    CSettings reread;
    reread.Load();
    for (std::size_t column = 0; column < CSettings::kColumnCount; ++column)
        if (reread.GetColumnWidth(static_cast<int>(column)) != settings.GetColumnWidth(static_cast<int>(column)))
            std::abort();
    if (reread.GetShowHistory() != settings.GetShowHistory()
        || reread.GetSavePassphrase() != settings.GetSavePassphrase()
        || (settings.GetSavePassphrase() && reread.GetPassphrase() != settings.GetPassphrase()))
        std::abort(); // what was saved reads back as it was
    return 0;
}
