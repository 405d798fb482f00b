#include "engine/repair/target_services.h"

#include <algorithm>

#include "engine/registry/ascii_case.h"

namespace halvorn {

// Some names are prefixes of others (a driver and its service, a 32-bit and a 64-bit build);
// each is matched on its own.
const std::array<std::u16string_view, 78> TargetServiceTable = {
    u"HalvornGuard",
    u"HalvornGuardSvc",
    u"HalvornAgent",
    u"HalvornAgent64",
    u"HalvornUpdater",
    u"HalvornScheduler",
    u"HalvornBroker",
    u"HalvornTray",
    u"HalvornWatchdog",
    u"HalvornLicensing",
    u"HalvornNetShield",
    u"HalvornNetShieldDrv",
    u"HalvornFileShield",
    u"HalvornMailShield",
    u"HalvornWebShield",
    u"HalvornSandbox",
    u"HalvornBoot",
    u"HalvornBootCleaner",
    u"HalvornRescue",
    u"HalvornTelemetry",
    u"HalvornVault",
    u"HalvornVaultCrypt",
    u"Halvorn_Backup",
    u"Halvorn_Restore",
    u"Halvorn_Installer",
    u"HalvornMonitor_Service_Host_32",
    u"HvnFilter",
    u"HvnFilterSvc",
    u"HvnSelfProtect",
    u"HvnStorageFilter",
    u"HvnDeviceLock",
    u"HvnKernelBridge",
    u"HvnIdsEngine",
    u"HvnHeuristics",
    u"HvnCloudLink",
    u"HvnPatchAgent",
    u"HvnVpnAdapter",
    u"HvnVpnAdapter_x64",
    u"HVN_TDI",
    u"HVN_TDI_LEGACY",
    u"HVN_IPS",
    u"HVN_SPAM",
    u"hvnmon",
    u"hvnmon64",
    u"hvnflt",
    u"hvnfltx",
    u"hvnkbd",
    u"hvnnet",
    u"hvnndis",
    u"hvnwfp",
    u"hvnvol",
    u"hvnsnap",
    u"hvnhook",
    u"hvnhook64",
    u"hvnelam",
    u"hvnrkd",
    u"hvnboot",
    u"hvnusb",
    u"hvnfw",
    u"hvnfwdrv",
    u"hvnreg",
    u"hvnproc",
    u"hvnscan",
    u"hvnscan2",
    u"hvnsvc",
    u"Halvorn Update Service",
    u"Halvorn Guard Service",
    u"Halvorn Guard Service Helper",
    u"Halvorn Firewall",
    u"Halvorn Firewall Driver",
    u"Halvorn Web Protection",
    u"Halvorn Mail Protection",
    u"Halvorn Scan Engine",
    u"Halvorn Licence Manager",
    u"Halvorn Device Control",
    u"Halvorn Event Log Relay",
    u"Hvn Boot Scanner",
    u"Hvn Net Inspector",
};

bool IsTargetService(std::u16string_view name) {
    return std::ranges::any_of(TargetServiceTable, [name](std::u16string_view row) {
        return EqualsIgnoringAsciiCase(row, name);
    });
}

}  // namespace halvorn
