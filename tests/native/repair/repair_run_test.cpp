#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/repair/registry_cleaner.h"
#include "engine/repair/target_services.h"
#include "tests/support/log_lines.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"

namespace halvorn {
namespace {

using testing::kExpectedHeader;
using testing::LinesAfterHeader;
using testing::MemoryLogPlatform;
using testing::MemoryRegistry;
using Lines = testing::LogLines;
using testing::JoinLines;
using testing::SectionLines;
using testing::SummaryLines;

std::u16string Target(std::size_t row) { return std::u16string(TargetServiceTable[row]); }
std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

class RepairRun : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key handle leaked"; }

    void Add(const std::u16string& pathBelowSystem) { registry.CreateKey(u"SYSTEM\\" + pathBelowSystem); }
    bool Has(const std::u16string& pathBelowSystem) const { return registry.Exists(u"SYSTEM\\" + pathBelowSystem); }

    Lines LogLines() const { return LinesAfterHeader(logPlatform.OnlyFile()); }

    MemoryRegistry registry;
    MemoryLogPlatform logPlatform;
    RepairLog log{logPlatform};
    RegistryCleaner cleaner{registry, log};
};

TEST_F(RepairRun, WritesTheWholeLogOfARealisticRepair) {
    const std::u16string t0 = Target(0), t1 = Target(1), t2 = Target(2);
    std::u16string t0Lower = t0;
    for (char16_t& ch : t0Lower) {
        ch = (ch >= u'A' && ch <= u'Z') ? static_cast<char16_t>(ch + 32) : ch;
    }
    Add(u"ControlSet001\\Services\\" + t0 + u"\\$%&'(a");
    Add(u"ControlSet001\\Services\\" + t0 + u"\\Parameters\\$%&'(b\\sub");
    Add(u"ControlSet001\\Services\\NotOurs\\$%&'(x");
    Add(u"ControlSet001\\Enum\\" + t1 + u"\\0000\\$%&'(e");
    Add(u"ControlSet001\\Control\\" + t2 + u"\\$%&'(stuck");
    registry.MakeUndeletable(u"SYSTEM\\ControlSet001\\Control\\" + t2 + u"\\$%&'(stuck");
    Add(u"ControlSet002\\Services\\" + t0Lower + u"\\$%&'(c");
    Add(u"ControlSet002\\Control\\" + t1);  // ControlSet002 has no Enum key
    Add(u"Select");
    Add(u"Setup\\" + t0 + u"\\$%&'(z");

    cleaner.Run(u"");

    EXPECT_EQ(cleaner.invalidCount, 5);
    EXPECT_EQ(cleaner.deletedCount, 4);
    EXPECT_TRUE(cleaner.systemKeyOpened);
    const Lines lines = JoinLines({
        SectionLines("ControlSet001", "Services"),
        {Narrow(t0) + "\\$%&'(a", "Parameters\\$%&'(b"},
        SectionLines("ControlSet001", "Enum"),
        {"0000\\$%&'(e"},
        SectionLines("ControlSet001", "Control"),
        SectionLines("ControlSet002", "Services"),
        {Narrow(t0Lower) + "\\$%&'(c"},
        SectionLines("ControlSet002", "Enum"),
        SectionLines("ControlSet002", "Control"),
        SummaryLines(5, 4),
    });
    std::string expected = kExpectedHeader;
    for (const std::string& line : lines) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(logPlatform.OnlyFile(), expected);
    EXPECT_TRUE(Has(u"ControlSet001\\Services\\NotOurs\\$%&'(x"));
    EXPECT_TRUE(Has(u"ControlSet001\\Control\\" + t2 + u"\\$%&'(stuck"));
    EXPECT_TRUE(Has(u"Setup\\" + t0 + u"\\$%&'(z"));
    EXPECT_TRUE(Has(u"ControlSet001\\Services\\" + t0 + u"\\Parameters"));
}

const std::string kSystemNotOpened = "HKLM\\SYSTEM could not be opened: nothing was repaired.";

TEST_F(RepairRun, WithoutTheSystemKeySaysSoBeforeTheSummary) {
    registry.CreateKey(u"SOFTWARE");
    cleaner.Run(u"/Override");
    EXPECT_EQ(LogLines(), JoinLines({{kSystemNotOpened}, SummaryLines(0, 0)}));
    EXPECT_FALSE(cleaner.systemKeyOpened);
}

TEST_F(RepairRun, WithAnUnopenableSystemKeySaysSoBeforeTheSummary) {
    Add(u"ControlSet001\\Services\\" + Target(0) + u"\\$%&'(a");
    registry.MakeUnopenable(u"SYSTEM");
    cleaner.Run(u"");
    EXPECT_EQ(LogLines(), JoinLines({{kSystemNotOpened}, SummaryLines(0, 0)}));
    EXPECT_TRUE(Has(u"ControlSet001\\Services\\" + Target(0) + u"\\$%&'(a"));
    EXPECT_FALSE(cleaner.systemKeyOpened);
}

TEST_F(RepairRun, SelectsControlSetsByPrefixInAnyCaseAndKeepsTheirSpelling) {
    for (const char16_t* name : {u"controlset003", u"CurrentControlSet", u"ControlSetBackup",
                                 u"Select", u"Setup", u"MountedDevices", u"XControlSet",
                                 u"ControlSe", u"CurrentControl"}) {
        Add(std::u16string(name) + u"\\Services");
    }
    cleaner.Run(u"");
    EXPECT_EQ(LogLines(), JoinLines({
                              SectionLines("controlset003", "Services"),
                              SectionLines("controlset003", "Enum"),
                              SectionLines("controlset003", "Control"),
                              SectionLines("ControlSetBackup", "Services"),
                              SectionLines("ControlSetBackup", "Enum"),
                              SectionLines("ControlSetBackup", "Control"),
                              SectionLines("CurrentControlSet", "Services"),
                              SectionLines("CurrentControlSet", "Enum"),
                              SectionLines("CurrentControlSet", "Control"),
                              SummaryLines(0, 0),
                          }));
}

TEST_F(RepairRun, NonTargetServicesAreLeftAloneWithoutOverride) {
    Add(u"ControlSet001\\Services\\NotOurs\\$%&'(x");
    Add(u"ControlSet001\\Enum\\PCI\\$%&'(y");
    // Not a row: the tilde never appears in one.
    Add(u"ControlSet001\\Services\\" + Target(0) + u"~\\$%&'(longer");
    cleaner.Run(u"/noui");
    EXPECT_EQ(cleaner.invalidCount, 0);
    EXPECT_TRUE(Has(u"ControlSet001\\Services\\NotOurs\\$%&'(x"));
    EXPECT_TRUE(Has(u"ControlSet001\\Enum\\PCI\\$%&'(y"));
    EXPECT_TRUE(Has(u"ControlSet001\\Services\\" + Target(0) + u"~\\$%&'(longer"));
}

TEST_F(RepairRun, OverrideScansEverySubkeyOfAllThreeRoots) {
    for (const char16_t* commandLine :
         {u"/Override", u"-override", u"/OVERRIDE:yes,no", u"/noui /Override",
          u"/noui  /Override", u"/nothing -overRIDE"}) {
        SCOPED_TRACE(std::string(commandLine, commandLine + std::char_traits<char16_t>::length(commandLine)));
        MemoryRegistry fresh;
        MemoryLogPlatform platform;
        RepairLog freshLog(platform);
        RegistryCleaner run(fresh, freshLog);
        for (const char16_t* root : {u"Services\\NotOurs", u"Enum\\PCI\\VEN_1", u"Control\\Class"}) {
            fresh.CreateKey(u"SYSTEM\\ControlSet001\\" + std::u16string(root) + u"\\$%&'(k");
        }
        run.Run(commandLine);
        EXPECT_EQ(run.invalidCount, 3);
        EXPECT_EQ(run.deletedCount, 3);
        EXPECT_EQ(run.commandLine, commandLine);
    }
}

TEST_F(RepairRun, OverrideMustBeAnOptionOfItsOwn) {
    // Each argument is read on its own, so a word before the switch no longer hides it: start-up
    // refuses such a command line before any run, and the engine reads what start-up judged.
    const std::pair<const char16_t*, int> rows[] = {
        {u"Override", 0}, {u"/Overrides", 0}, {u"/Over ride", 0}, {u"/noui:Override", 0}, {u"\"/Override x\"", 1},
        {u"foo /Override", 1}, {u"/a b /Override", 1}, {u"\"C:\\Tools\\x.exe\" /Override", 1}};
    for (const auto& [commandLine, found] : rows) {
        Add(u"ControlSet001\\Services\\NotOurs\\$%&'(x");
        RegistryCleaner run(registry, log);
        run.Run(commandLine);
        EXPECT_EQ(run.invalidCount, found)
            << std::string(commandLine, commandLine + std::char_traits<char16_t>::length(commandLine));
    }
}

TEST_F(RepairRun, AControlSetListedUnderTwoNamesIsWalkedTwice) {
    Add(u"ControlSet001\\Services\\" + Target(0) + u"\\$%&'(gone");
    Add(u"ControlSet001\\Services\\" + Target(0) + u"\\$%&'(stuck");
    registry.MakeUndeletable(u"SYSTEM\\ControlSet001\\Services\\" + Target(0) + u"\\$%&'(stuck");
    registry.CreateLink(u"SYSTEM\\CurrentControlSet", u"SYSTEM\\ControlSet001");
    cleaner.Run(u"");
    // Deleted in the first walk and not found again; the undeletable key counts once per walk.
    EXPECT_EQ(cleaner.invalidCount, 3);
    EXPECT_EQ(cleaner.deletedCount, 1);
    EXPECT_EQ(LogLines(), JoinLines({
                              SectionLines("ControlSet001", "Services"),
                              {Narrow(Target(0)) + "\\$%&'(gone"},
                              SectionLines("ControlSet001", "Enum"),
                              SectionLines("ControlSet001", "Control"),
                              SectionLines("CurrentControlSet", "Services"),
                              SectionLines("CurrentControlSet", "Enum"),
                              SectionLines("CurrentControlSet", "Control"),
                              SummaryLines(3, 1),
                          }));
}

TEST_F(RepairRun, EveryTargetRowIsScannedInEveryRoot) {
    for (const std::u16string_view row : TargetServiceTable) {
        for (const char16_t* root : {u"Services\\", u"Enum\\", u"Control\\"}) {
            Add(u"ControlSet001\\" + std::u16string(root) + std::u16string(row) + u"\\$%&'(k");
        }
    }
    cleaner.Run(u"");
    EXPECT_EQ(cleaner.invalidCount, static_cast<int>(3 * TargetServiceTable.size()));
    EXPECT_EQ(cleaner.deletedCount, cleaner.invalidCount);
}

TEST_F(RepairRun, CountsAreOnlyEverRaised) {
    Add(u"ControlSet001\\Services\\" + Target(0) + u"\\$%&'(a");
    cleaner.invalidCount = 10;
    cleaner.deletedCount = 7;
    cleaner.Run(u"");
    EXPECT_EQ(cleaner.invalidCount, 11);
    EXPECT_EQ(cleaner.deletedCount, 8);
}

}  // namespace
}  // namespace halvorn
