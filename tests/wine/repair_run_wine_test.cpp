// A complete repair run against Wine's real HKLM\SYSTEM, with services and invalid keys that the
// test makes in Wine's own control set (CurrentControlSet, a key of its own in Wine) and in a
// second control set of the test's.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/repair/registry_cleaner.h"
#include "engine/registry/windows_registry.h"
#include "log/windows_log_platform.h"
#include "tests/support/log_lines.h"
#include "tests/wine/support/scratch_key.h"
#include "tests/wine/support/wine_support.h"
#include "log/windows_text.h"

namespace halvorn {
namespace {

using testing::LinesAfterHeader;
using testing::KeyExists;
using testing::ReadFile;
using testing::ScratchKey;
using Lines = testing::LogLines;
using testing::JoinLines;
using testing::SectionLines;
using testing::SummaryLines;

class RepairRunOnWine : public ::testing::Test {
protected:
    // Makes a key of the test's own, removed again when the test ends.
    const ScratchKey& Own(const std::wstring& path) {
        m_owned.push_back(std::make_unique<ScratchKey>(L"SYSTEM\\" + path));
        return *m_owned.back();
    }

    void Add(const ScratchKey& owner, const std::wstring& below) { ASSERT_TRUE(owner.Create(below)); }

    struct Outcome {
        std::int32_t invalidCount;
        std::int32_t deletedCount;
        std::string log;
    };

    Outcome Run(const char16_t* commandLine) {
        WindowsRegistry registry;
        WindowsLogPlatform platform;
        RepairLog log(platform);
        RegistryCleaner cleaner(registry, log);
        cleaner.Run(commandLine);
        const std::string bytes = ReadFile(ToWide(log.Path()));
        DeleteFileW(ToWide(log.Path()).c_str());
        return {cleaner.invalidCount, cleaner.deletedCount, bytes};
    }

    std::vector<std::unique_ptr<ScratchKey>> m_owned;
};

TEST_F(RepairRunOnWine, RepairsTargetServicesInEveryControlSetAndNothingElse) {
    const ScratchKey& guard = Own(L"CurrentControlSet\\Services\\HalvornGuard");
    Add(guard, L"$%&'(a");
    Add(guard, L"Parameters\\$%&'(b\\sub");
    Add(guard, L"Parameters\\Keep");
    Add(guard, L"x$%&'(");
    const ScratchKey& other = Own(L"CurrentControlSet\\Services\\HalvornWineOther");
    Add(other, L"$%&'(x");
    const ScratchKey& device = Own(L"CurrentControlSet\\Enum\\hvnmon");
    Add(device, L"0000\\$%&'(e");
    const ScratchKey& control = Own(L"CurrentControlSet\\Control\\HVNFLT");
    Add(control, L"$%&'(c");
    const ScratchKey& secondSet = Own(L"ControlSetTest099");
    Add(secondSet, L"Services\\Hvn Boot Scanner\\$%&'(d");
    Add(secondSet, L"Control");
    const ScratchKey& notASet = Own(L"HalvornNotAControlSet");
    Add(notASet, L"Services\\HalvornGuard\\$%&'(n");

    const Outcome outcome = Run(u"");

    EXPECT_EQ(outcome.invalidCount, 5);
    EXPECT_EQ(outcome.deletedCount, 5);
    const Lines expected = JoinLines({
        SectionLines("ControlSetTest099", "Services"),
        {"Hvn Boot Scanner\\$%&'(d"},
        SectionLines("ControlSetTest099", "Enum"),
        SectionLines("ControlSetTest099", "Control"),
        SectionLines("CurrentControlSet", "Services"),
        {"HalvornGuard\\$%&'(a", "Parameters\\$%&'(b"},
        SectionLines("CurrentControlSet", "Enum"),
        {"0000\\$%&'(e"},
        SectionLines("CurrentControlSet", "Control"),
        {"HVNFLT\\$%&'(c"},
        SummaryLines(5, 5),
    });
    EXPECT_EQ(LinesAfterHeader(outcome.log), expected);

    EXPECT_EQ(guard.ListTree(L""), (std::vector<std::u16string>{u"Parameters", u"Parameters\\Keep", u"x$%&'("}));
    EXPECT_TRUE(KeyExists(L"SYSTEM\\CurrentControlSet\\Services\\HalvornWineOther\\$%&'(x"));
    EXPECT_TRUE(KeyExists(L"SYSTEM\\CurrentControlSet\\Enum\\hvnmon\\0000"));
    EXPECT_TRUE(KeyExists(L"SYSTEM\\HalvornNotAControlSet\\Services\\HalvornGuard\\$%&'(n"));
    EXPECT_TRUE(KeyExists(L"SYSTEM\\CurrentControlSet\\Services\\PlugPlay")) << "a service of Wine's own is gone";
}

TEST_F(RepairRunOnWine, OverrideReachesServicesOutsideTheTable) {
    const ScratchKey& other = Own(L"CurrentControlSet\\Services\\HalvornWineOther");
    Add(other, L"$%&'(x");
    Add(other, L"Keep");

    const Outcome outcome = Run(u"/noui /override");

    EXPECT_EQ(outcome.invalidCount, 1);
    EXPECT_EQ(outcome.deletedCount, 1);
    EXPECT_EQ(other.ListTree(L""), std::vector<std::u16string>{u"Keep"});
    EXPECT_NE(outcome.log.find("\r\nHalvornWineOther\\$%&'(x\r\n"), std::string::npos);
}

}  // namespace
}  // namespace halvorn
