#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/backup/backup_file.h"
#include "engine/repair/registry_cleaner.h"
#include "tests/support/log_lines.h"
#include "tests/support/memory_log_platform.h"
#include "tests/support/memory_registry.h"

namespace halvorn {
namespace {

using testing::LinesAfterHeader;
using testing::MemoryLogPlatform;
using testing::MemoryRegistry;
using Lines = std::vector<std::string>;
using Paths = std::vector<std::u16string>;

// A selected key X below Root, as the root walk hands it to the scan.
class KeyWalk : public ::testing::Test {
protected:
    void SetUp() override { registry.CreateKey(u"Root\\X"); }

    void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key handle leaked"; }

    void Add(const std::u16string& pathBelowX) { registry.CreateKey(u"Root\\X\\" + pathBelowX); }

    void Scan(const char16_t* selected = u"X") {
        const OpenedKey root(registry, registry.LocalMachine(), u"Root");
        ASSERT_TRUE(root);
        cleaner.ScanSubtree(root.get(), selected, InvalidKeyPrefix);
    }

    Lines DeletionLines() const { return LinesAfterHeader(logPlatform.OnlyFile()); }
    Paths Remaining() const { return registry.ListTree(u"Root\\X"); }

    MemoryRegistry registry;
    MemoryLogPlatform logPlatform;
    RepairLog log{logPlatform};
    RegistryCleaner cleaner{registry, log};
};

TEST_F(KeyWalk, AKeyWithoutSubkeysGivesNothing) {
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 0);
    EXPECT_EQ(cleaner.deletedCount, 0);
    EXPECT_EQ(DeletionLines(), Lines{});
}

TEST_F(KeyWalk, OneInvalidChildIsCountedDeletedAndLogged) {
    Add(u"$%&'(a");
    Add(u"Parameters");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 1);
    EXPECT_EQ(cleaner.deletedCount, 1);
    EXPECT_EQ(DeletionLines(), Lines{"X\\$%&'(a"});
    EXPECT_EQ(Remaining(), Paths{u"Parameters"});
}

TEST_F(KeyWalk, AdjacentInvalidSiblingsAreBothDeleted) {
    Add(u"$%&'(a");
    Add(u"$%&'(b");
    Add(u"$%&'(c");
    Add(u"Valid");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 3);
    EXPECT_EQ(cleaner.deletedCount, 3);
    EXPECT_EQ(DeletionLines(), (Lines{"X\\$%&'(a", "X\\$%&'(b", "X\\$%&'(c"}));
    EXPECT_EQ(Remaining(), Paths{u"Valid"});
}

TEST_F(KeyWalk, AnInvalidSubtreeGoesWholeAndCountsOnce) {
    Add(u"$%&'(a\\one\\two\\three");
    Add(u"$%&'(a\\$%&'(inner\\deeper");
    Add(u"$%&'(a\\one\\$%&'(also");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 1);
    EXPECT_EQ(cleaner.deletedCount, 1);
    EXPECT_EQ(DeletionLines(), Lines{"X\\$%&'(a"});
    EXPECT_EQ(Remaining(), Paths{});
}

TEST_F(KeyWalk, DeepInvalidKeysAreLoggedUnderTheirImmediateParent) {
    Add(u"A\\B\\C\\D\\$%&'(deep");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 1);
    EXPECT_EQ(DeletionLines(), Lines{"D\\$%&'(deep"});
    EXPECT_EQ(Remaining(), (Paths{u"A", u"A\\B", u"A\\B\\C", u"A\\B\\C\\D"}));
}

TEST_F(KeyWalk, OnlyTheWholeFiveCharacterPrefixMakesAKeyInvalid) {
    Add(u"$%&'(");
    Add(u"$%&'");
    Add(u"x$%&'(");
    Add(u" $%&'(");
    Add(u"$%&'x(");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 1);
    EXPECT_EQ(DeletionLines(), Lines{"X\\$%&'("});
    EXPECT_EQ(Remaining(), (Paths{u" $%&'(", u"$%&'", u"$%&'x(", u"x$%&'("}));
}

TEST_F(KeyWalk, TheSelectedKeyItselfIsNeverTested) {
    registry.CreateKey(u"Root\\$%&'(Selected\\Child");
    Scan(u"$%&'(Selected");
    EXPECT_EQ(cleaner.invalidCount, 0);
    EXPECT_TRUE(registry.Exists(u"Root\\$%&'(Selected\\Child"));
}

TEST_F(KeyWalk, WalkIsDepthFirstInEnumerationOrder) {
    Add(u"B\\$%&'(b1");
    Add(u"A\\Inner\\$%&'(a2");
    Add(u"A\\$%&'(a1");
    Add(u"$%&'(top");
    Add(u"C");
    Scan();
    // Sorted enumeration: "$%&'(top" < "A" < "B" < "C"; inside A, "$%&'(a1" < "Inner".
    EXPECT_EQ(DeletionLines(), (Lines{"X\\$%&'(top", "A\\$%&'(a1", "Inner\\$%&'(a2", "B\\$%&'(b1"}));
    EXPECT_EQ(cleaner.invalidCount, 4);
    EXPECT_EQ(cleaner.deletedCount, 4);
}

TEST_F(KeyWalk, AnUndeletableGrandchildStopsThatDeletionOnly) {
    Add(u"$%&'(bad\\a\\leaf");
    Add(u"$%&'(bad\\b\\stuck");
    Add(u"$%&'(bad\\b\\zz");
    Add(u"$%&'(bad\\c");
    Add(u"$%&'(next");
    Add(u"Valid\\$%&'(later");
    registry.MakeUndeletable(u"Root\\X\\$%&'(bad\\b\\stuck");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 3);
    EXPECT_EQ(cleaner.deletedCount, 2);
    EXPECT_EQ(DeletionLines(), (Lines{"X\\$%&'(next", "Valid\\$%&'(later"}));
    // Children before the one holding the stuck key are gone; it (emptied up to the stuck key)
    // and every later child remain.
    EXPECT_EQ(Remaining(), (Paths{u"$%&'(bad", u"$%&'(bad\\b", u"$%&'(bad\\b\\stuck",
                                  u"$%&'(bad\\b\\zz", u"$%&'(bad\\c", u"Valid"}));
}

TEST_F(KeyWalk, AKeyThatVanishesBeforeItsDeletionIsCountedAsFoundOnly) {
    Add(u"$%&'(gone");
    Add(u"Valid");
    registry.MakeVanishAfterEnumeration(u"Root\\X\\$%&'(gone");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 1);
    EXPECT_EQ(cleaner.deletedCount, 0);
    EXPECT_EQ(DeletionLines(), Lines{});
}

TEST_F(KeyWalk, AKeyThatCannotBeOpenedIsSkippedWithItsSubtree) {
    Add(u"Locked\\$%&'(hidden");
    Add(u"Open\\$%&'(seen");
    registry.MakeUnopenable(u"Root\\X\\Locked");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 1);
    EXPECT_EQ(DeletionLines(), Lines{"Open\\$%&'(seen"});
    EXPECT_TRUE(registry.Exists(u"Root\\X\\Locked\\$%&'(hidden"));
}

TEST_F(KeyWalk, AnUnopenableSelectedKeyGivesNothing) {
    Add(u"$%&'(a");
    registry.MakeUnopenable(u"Root\\X");
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 0);
    EXPECT_TRUE(registry.Exists(u"Root\\X\\$%&'(a"));
}

TEST_F(KeyWalk, NamesAreLoggedSingleByteAndVerbatim) {
    Add(u"Svc%d\u4e2d\\$%&'(%s\u00e9");
    Scan();
    EXPECT_EQ(DeletionLines(), Lines{"Svc%d?\\$%&'(%s\xe9"});
}

// Keys nested as deep as the registry allows, and deeper, must neither overflow the stack nor
// change the walk.
TEST_F(KeyWalk, ATreeSixHundredLevelsDeepIsScannedAndRepaired) {
    constexpr int kDepth = 600;
    std::u16string path;
    for (int level = 0; level < kDepth; ++level) {
        path += (level == 0 ? u"" : u"\\") + std::u16string(u"L") + std::u16string(3, static_cast<char16_t>(u'a' + level % 26));
        if (level % 100 == 99) {
            Add(path + u"\\$%&'(at" + std::u16string(1, static_cast<char16_t>(u'0' + level / 100)));
        }
    }
    // An invalid key whose own subtree is 600 levels deep.
    std::u16string invalidSubtree = u"$%&'(deep";
    for (int level = 0; level < kDepth; ++level) {
        invalidSubtree += u"\\n";
    }
    Add(invalidSubtree);
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 7);
    EXPECT_EQ(cleaner.deletedCount, 7);
    const Lines lines = DeletionLines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "X\\$%&'(deep");
    EXPECT_EQ(lines[1], "Lvvv\\$%&'(at0");  // level 99: 'a' + 99 % 26 = 'v'
    EXPECT_EQ(lines[6], "Lbbb\\$%&'(at5");  // level 599: 'a' + 599 % 26 = 'b'
    EXPECT_EQ(Remaining().size(), static_cast<std::size_t>(kDepth));
}

TEST_F(KeyWalk, ADeletionPathLongerThan520CharactersIsFollowedExactly) {
    // Five levels of 255-character names below the invalid key: the nested path is over 1,280
    // characters long.
    std::u16string nested = u"$%&'(long";
    for (char16_t level = u'a'; level < u'f'; ++level) {
        nested += u"\\" + std::u16string(255, level);
    }
    Add(nested);
    Add(nested.substr(0, nested.size() - 1) + u"z");  // a sibling of the deepest key
    Add(u"$%&'(lonh\\" + std::u16string(255, u'a'));  // same names under the invalid key's neighbour
    Add(u"Valid\\" + std::u16string(255, u'a'));
    Scan();
    EXPECT_EQ(cleaner.invalidCount, 2);
    EXPECT_EQ(cleaner.deletedCount, 2);
    EXPECT_EQ(Remaining(), (Paths{u"Valid", u"Valid\\" + std::u16string(255, u'a')}));
}

// Links that a user who may create keys below a service key can make there: none of them leads the
// walk, the backup or the deletion anywhere else, and each link stays as it is.
TEST(KeyWalkThroughLinks, NoLinkIsFollowedSavedOrDeleted) {
    const std::string kept = "Kept, since it or a key below it is a registry link: HKLM\\X\\";
    const struct {
        std::u16string link;    // below Root\X
        std::u16string target;  // below HKLM
        bool backup;
        std::int32_t found;
        Lines lines;  // besides the real invalid key's
    } cases[] = {
        {u"$%&'(lnk", u"Victim", true, 2, {kept + "$%&'(lnk"}},
        {u"$%&'(lnk", u"Victim", false, 2, {kept + "$%&'(lnk"}},
        {u"Parameters", u"Victim", true, 1, {}},
        {u"Parameters\\Loop", u"Root\\X", true, 1, {}},  // back to an ancestor: no endless walk
        {u"$%&'(tree\\a\\inner", u"Victim", true, 2, {kept + "$%&'(tree"}},
        {u"$%&'(tree\\a\\inner", u"Victim", false, 2, {kept + "$%&'(tree"}},
    };
    for (const auto& [link, target, backup, found, lines] : cases) {
        SCOPED_TRACE(::testing::PrintToString(link) + (backup ? " with a backup" : " without a backup"));
        MemoryRegistry registry;
        registry.CreateKey(u"Victim\\$%&'(v\\below");
        registry.CreateKey(u"Victim\\Sub\\Deeper");
        registry.CreateKey(u"Root\\X\\$%&'(real");
        registry.CreateKey(u"Root\\X\\$%&'(tree\\z");
        registry.CreateLink(u"Root\\X\\" + link, target);
        const Paths victim = registry.ListTree(u"Victim");
        MemoryLogPlatform logPlatform;
        RepairLog log(logPlatform);
        BackupFile backupFile(log.Files());
        RegistryCleaner cleaner(registry, log, backup ? &backupFile : nullptr);
        {
            const OpenedKey root(registry, registry.LocalMachine(), u"Root");
            cleaner.ScanSubtree(root.get(), u"X", InvalidKeyPrefix);
        }
        const bool treeStays = link.starts_with(u"$%&'(tree");
        EXPECT_EQ(cleaner.invalidCount, found + (treeStays ? 0 : 1));
        EXPECT_EQ(cleaner.deletedCount, treeStays ? 1 : 2);
        EXPECT_EQ(registry.ListTree(u"Victim"), victim);
        EXPECT_TRUE(registry.IsLinkAt(u"Root\\X\\" + link));
        Lines expected = {"X\\$%&'(real"};
        if (!treeStays) {
            expected.push_back("X\\$%&'(tree");
        }
        expected.insert(expected.begin() + (link.starts_with(u"$%&'(lnk") ? 0 : 1), lines.begin(), lines.end());
        EXPECT_EQ(LinesAfterHeader(logPlatform.files.at(log.Path())), expected);
        // The keys that a result file lists, in the log's order, named as the log names them, with
        // what became of each.
        std::vector<FoundKey> keys = {{u"HKLM\\X\\$%&'(real", KeyFate::Deleted},
                                      {u"HKLM\\X\\$%&'(tree", treeStays ? KeyFate::RegistryLink : KeyFate::Deleted}};
        if (link.starts_with(u"$%&'(lnk")) {
            keys.insert(keys.begin(), {u"HKLM\\X\\$%&'(lnk", KeyFate::RegistryLink});
        }
        EXPECT_EQ(cleaner.foundKeys, keys);
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
}

class KeyTreeDeletion : public KeyWalk {
protected:
    KeyTreeOutcome Delete(const char16_t* name) {
        const OpenedKey x(registry, registry.LocalMachine(), u"Root\\X");
        const OpenedKey key(registry, x.get(), name, SubkeyAccess::ReadAndDelete);
        return key ? cleaner.DeleteKeyTree(key.get()) : KeyTreeOutcome::Partial;
    }
};

TEST_F(KeyTreeDeletion, DeletesWhatItCanAndKeepsALinkAndWhatBelowIt) {
    Add(u"T\\a\\b");
    Add(u"U\\a");
    Add(u"U\\b");
    registry.MakeUndeletable(u"Root\\X\\U\\a");
    registry.CreateKey(u"Target\\inside");
    registry.CreateLink(u"Root\\X\\L", u"Target");
    EXPECT_EQ(Delete(u"T"), KeyTreeOutcome::Whole);
    EXPECT_EQ(Delete(u"U"), KeyTreeOutcome::Partial);
    EXPECT_EQ(Delete(u"L"), KeyTreeOutcome::HoldsLink);
    EXPECT_EQ(Remaining(), (Paths{u"L", u"U", u"U\\a", u"U\\b"}));
    EXPECT_TRUE(registry.Exists(u"Target\\inside"));
}

// A name is never resolved as a path, whose keys on the way would be followed.
TEST_F(KeyTreeDeletion, OnlyOneNameBelowAnOpenKeyCanBeOpenedForIt) {
    Add(u"T\\a");
    const OpenedKey x(registry, registry.LocalMachine(), u"Root\\X");
    for (const char16_t* name : {u"", u"T\\a"}) {
        EXPECT_EQ(OpenedKey(registry, x.get(), name, SubkeyAccess::ReadAndDelete).Status(), kRegistryInvalidName);
    }
    EXPECT_FALSE(OpenedKey(registry, registry.LocalMachine(), u"Root", SubkeyAccess::ReadAndDelete));
    EXPECT_TRUE(registry.Exists(u"Root\\X\\T\\a"));
}

TEST_F(KeyTreeDeletion, AKeyWithoutSubkeysIsLookedAtAndDeletedThroughItsHandle) {
    Add(u"Leaf");
    const OpenedKey x(registry, registry.LocalMachine(), u"Root\\X");
    const OpenedKey leaf(registry, x.get(), u"Leaf", SubkeyAccess::ReadAndDelete);
    const auto before = registry.Calls();
    EXPECT_EQ(cleaner.DeleteKeyTree(leaf.get()), KeyTreeOutcome::Whole);
    const auto calls = registry.Calls().Since(before);
    EXPECT_EQ(calls.Total(), 2u);
    EXPECT_EQ(calls.remove, 1u);
}

}  // namespace
}  // namespace halvorn
