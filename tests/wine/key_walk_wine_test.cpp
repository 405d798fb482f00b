// The key walk against Wine's real registry gives what it gives against the in-memory registry:
// the same counts, log lines and final tree.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/repair/registry_cleaner.h"
#include "engine/registry/windows_registry.h"
#include "tests/support/log_lines.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/wine/support/scratch_key.h"
#include "log/windows_text.h"

namespace halvorn {
namespace {

using testing::LinesAfterHeader;
using testing::MemoryLogPlatform;
using testing::MemoryRegistry;
using testing::ScratchKey;

struct WalkResult {
    std::int32_t invalidCount = 0;
    std::int32_t deletedCount = 0;
    std::vector<std::string> lines;
    std::vector<std::u16string> remaining;
};

// Scans the selected key X below the scratch key in both registries.
class KeyWalkOnWine : public ::testing::Test {
protected:
    void Seed(const std::vector<std::u16string>& paths) {
        for (const std::u16string& path : paths) {
            memory.CreateKey(u"Root\\X\\" + path);
            ASSERT_TRUE(scratch.Create(L"X\\" + ToWide(path)))
                << "Wine refused a key of " << path.size() << " characters";
        }
    }

    WalkResult ScanMemory() {
        MemoryLogPlatform logPlatform;
        RepairLog log(logPlatform);
        RegistryCleaner cleaner(memory, log);
        {
            const OpenedKey root(memory, memory.LocalMachine(), u"Root");
            cleaner.ScanSubtree(root.get(), u"X", InvalidKeyPrefix);
        }
        EXPECT_EQ(memory.OpenHandleCount(), 0u);
        return {cleaner.invalidCount, cleaner.deletedCount, LinesAfterHeader(logPlatform.OnlyFile()),
                memory.ListTree(u"Root\\X")};
    }

    WalkResult ScanWine() {
        WindowsRegistry registry;
        MemoryLogPlatform logPlatform;
        RepairLog log(logPlatform);
        RegistryCleaner cleaner(registry, log);
        const std::u16string rootPath(scratch.Path().begin(), scratch.Path().end());
        {
            const OpenedKey root(registry, registry.LocalMachine(), rootPath.c_str());
            EXPECT_TRUE(root);
            cleaner.ScanSubtree(root.get(), u"X", InvalidKeyPrefix);
        }
        return {cleaner.invalidCount, cleaner.deletedCount, LinesAfterHeader(logPlatform.OnlyFile()),
                scratch.ListTree(L"X")};
    }

    void ExpectSameWalk(std::int32_t expectedInvalid, std::int32_t expectedDeleted) {
        const WalkResult inMemory = ScanMemory();
        const WalkResult onWine = ScanWine();
        EXPECT_EQ(inMemory.invalidCount, expectedInvalid);
        EXPECT_EQ(inMemory.deletedCount, expectedDeleted);
        EXPECT_EQ(onWine.invalidCount, inMemory.invalidCount);
        EXPECT_EQ(onWine.deletedCount, inMemory.deletedCount);
        EXPECT_EQ(onWine.lines, inMemory.lines);
        EXPECT_EQ(onWine.remaining, inMemory.remaining);
    }

    MemoryRegistry memory;
    ScratchKey scratch{L"SOFTWARE\\HalvornKeyWalkTest"};
};

TEST_F(KeyWalkOnWine, MixedTreeGivesTheSameWalk) {
    Seed({
        u"$%&'(a",
        u"$%&'(b\\one\\two\\three",
        u"$%&'(b\\$%&'(inner",
        u"$%&'",
        u"x$%&'(",
        u"Parameters\\$%&'(p1",
        u"Parameters\\$%&'(p2",
        u"Parameters\\Keep",
        u"Enum\\Root\\LEGACY\\0000\\$%&'(deep",
        u"Svc%d\\$%&'(50%s",
        u"Unicode\\$%&'(\u4e2d\u00e9",
    });
    ExpectSameWalk(7, 7);
}

TEST_F(KeyWalkOnWine, AnEmptySelectedKeyGivesNothing) {
    Seed({u"Plain", u"Plain\\Child"});
    ExpectSameWalk(0, 0);
}

TEST_F(KeyWalkOnWine, ATreeSixHundredLevelsDeepGivesTheSameWalk) {
    std::vector<std::u16string> paths;
    std::u16string chain;
    for (int level = 0; level < 600; ++level) {
        chain += level == 0 ? u"k" : u"\\k";
        if (level % 150 == 149) {
            paths.push_back(chain + u"\\$%&'(here");
        }
    }
    std::u16string invalidSubtree = u"$%&'(deep";
    for (int level = 0; level < 600; ++level) {
        invalidSubtree += u"\\n";
    }
    paths.push_back(invalidSubtree);
    Seed(paths);
    ExpectSameWalk(5, 5);
}

TEST_F(KeyWalkOnWine, ADeletionPathLongerThan520CharactersGivesTheSameWalk) {
    std::u16string nested = u"$%&'(long";
    for (char16_t level = u'a'; level < u'd'; ++level) {
        nested += u"\\" + std::u16string(255, level);
    }
    Seed({nested, u"Valid\\" + std::u16string(255, u'a')});
    ExpectSameWalk(1, 1);
}

}  // namespace
}  // namespace halvorn
