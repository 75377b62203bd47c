// Feeds arbitrary bytes as the user's config.xml, the administrator's global.xml and the branding
// file to the settings that read them at start-up, and checks that what the program then saves
// reads back the same.
#include "FuzzFiles.h"
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
    qor::fuzz::WriteWholeFile(
        CSettings::GetConfigFilePath(false, CSettings::kConfigFile), input.ConsumeRemainingBytesAsString());

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
