#include "app/system_repair.h"

#include "app/process_log.h"
#include "engine/registry_cleaner.h"
#include "engine/windows_registry.h"

namespace halvorn {

RepairCounts RunSystemRepair(const std::u16string& arguments) {
    WindowsRegistry registry;
    RegistryCleaner cleaner(registry, ProcessLog());
    cleaner.Run(arguments);
    return {cleaner.invalidCount, cleaner.deletedCount};
}

}  // namespace halvorn
