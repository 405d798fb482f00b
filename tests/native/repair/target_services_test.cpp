#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <set>
#include <string>
#include <string_view>

#include "engine/registry/ascii_case.h"
#include "engine/repair/target_services.h"

namespace halvorn {
namespace {

std::u16string Folded(std::u16string_view text) {
    std::u16string folded(text);
    std::ranges::transform(folded, folded.begin(), FoldAsciiCase);
    return folded;
}

// Whether name is in the table, found by set lookup, independently of IsTargetService's scan:
// a name made by adding or removing a character can be another row (a prefix row and its longer
// sibling), and then it must match.
bool IsListed(std::u16string_view name) {
    static const std::set<std::u16string> folded = [] {
        std::set<std::u16string> rows;
        for (const std::u16string_view row : TargetServiceTable) {
            rows.insert(Folded(row));
        }
        return rows;
    }();
    return folded.contains(Folded(name));
}

bool IsAllowedCharacter(char16_t ch) {
    return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z') || (ch >= u'0' && ch <= u'9') ||
           ch == u'_' || ch == u' ';
}

// The checks of the table's form guard against an edit that would make a row unmatchable as a
// key name or let two rows shadow each other. The array type fixes 78 slots: a missing row would
// leave an empty slot, which the length rule catches.
TEST(TargetServiceTable, EveryRowIsAPlausibleKeyName) {
    for (const std::u16string_view row : TargetServiceTable) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(row)));
        EXPECT_GE(row.size(), 5u);
        EXPECT_LE(row.size(), 30u);
        // Letters, digits, underscore and space only: no backslash, no other punctuation.
        EXPECT_TRUE(std::ranges::all_of(row, IsAllowedCharacter));
        ASSERT_FALSE(row.empty());
        EXPECT_NE(row.front(), u' ');
        EXPECT_NE(row.back(), u' ');
        EXPECT_EQ(row.find(u"  "), std::u16string_view::npos);
    }
}

TEST(TargetServiceTable, ThirteenRowsAreMultiWordNames) {
    const auto multiWord = std::ranges::count_if(TargetServiceTable, [](std::u16string_view row) {
        return row.find(u' ') != std::u16string_view::npos;
    });
    EXPECT_EQ(multiWord, 13);
}

TEST(TargetServiceTable, NoTwoRowsDifferOnlyInCase) {
    for (std::size_t i = 0; i < TargetServiceTable.size(); ++i) {
        for (std::size_t j = i + 1; j < TargetServiceTable.size(); ++j) {
            EXPECT_FALSE(EqualsIgnoringAsciiCase(TargetServiceTable[i], TargetServiceTable[j]))
                << "rows " << i << " and " << j;
        }
    }
}

// Prefix rows are where matching only the beginning of a name would find the wrong row; the
// tests below rely on having them.
TEST(TargetServiceTable, SeveralRowsArePrefixesOfOthers) {
    int prefixPairs = 0;
    for (const std::u16string_view shorter : TargetServiceTable) {
        for (const std::u16string_view longer : TargetServiceTable) {
            if (longer.size() > shorter.size() && StartsWithIgnoringAsciiCase(longer, shorter)) {
                ++prefixPairs;
            }
        }
    }
    EXPECT_GE(prefixPairs, 5);
}

std::u16string AlternatingCase(std::u16string_view row, std::size_t firstUpper) {
    std::u16string mixed(row);
    for (std::size_t i = 0; i < mixed.size(); ++i) {
        mixed[i] = (i % 2 == firstUpper) ? UpperAsciiCase(mixed[i]) : FoldAsciiCase(mixed[i]);
    }
    return mixed;
}

TEST(IsTargetService, EveryRowMatchesInAnyAsciiCase) {
    for (const std::u16string_view row : TargetServiceTable) {
        std::u16string upper(row);
        std::ranges::transform(upper, upper.begin(), UpperAsciiCase);
        for (const std::u16string& name : {std::u16string(row), upper, Folded(row),
                                           AlternatingCase(row, 0), AlternatingCase(row, 1)}) {
            EXPECT_TRUE(IsTargetService(name)) << ::testing::PrintToString(name);
        }
    }
}

TEST(IsTargetService, EmptyNameIsNotATarget) {
    EXPECT_FALSE(IsTargetService(u""));
}

// Covers the last character removed and, through the prefix rows, a longer name never matching
// its prefix row.
TEST(IsTargetService, ShorterPiecesOfARowMatchOnlyWhenTheyAreRows) {
    for (const std::u16string_view row : TargetServiceTable) {
        for (std::size_t length = 0; length < row.size(); ++length) {
            const std::u16string_view head = row.substr(0, length);
            const std::u16string_view tail = row.substr(row.size() - length);
            for (const std::u16string_view piece : {head, tail}) {
                EXPECT_EQ(IsTargetService(piece), IsListed(piece))
                    << ::testing::PrintToString(std::u16string(piece));
            }
        }
    }
}

// A shorter row never matches a longer name that begins with it, and white space is not trimmed.
TEST(IsTargetService, ARowWithACharacterAddedMatchesOnlyWhenItIsARow) {
    for (const std::u16string_view row : TargetServiceTable) {
        for (const char16_t extra : {u' ', u'\t', u'0', u'2', u'x', u'_', u'\\', u'\u00A0'}) {
            const std::u16string appended = std::u16string(row) + extra;
            const std::u16string prepended = extra + std::u16string(row);
            for (const std::u16string& name : {appended, prepended}) {
                EXPECT_EQ(IsTargetService(name), IsListed(name)) << ::testing::PrintToString(name);
            }
        }
    }
}

// Letters outside ASCII compare by code unit. Several of these fold onto ASCII letters under
// Unicode case rules (the Kelvin sign onto "k", the long s onto "s"); here they must not.
TEST(IsTargetService, NonAsciiLookAlikeLettersDoNotMatch) {
    struct LookAlike {
        char16_t ascii;
        char16_t other;
    };
    constexpr LookAlike kLookAlikes[] = {
        {u'a', u'\u0430'}, {u'e', u'\u0435'}, {u'o', u'\u043E'}, {u'c', u'\u0441'},
        {u'p', u'\u0440'}, {u'k', u'\u212A'}, {u's', u'\u017F'}, {u'i', u'\u0131'},
        {u'H', u'\u041D'}, {u'T', u'\u0422'}, {u'V', u'\u2164'},
    };
    for (const std::u16string_view row : TargetServiceTable) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            std::u16string name(row);
            for (const LookAlike& pair : kLookAlikes) {
                if (FoldAsciiCase(row[i]) == FoldAsciiCase(pair.ascii)) {
                    name[i] = pair.other;
                    EXPECT_FALSE(IsTargetService(name)) << ::testing::PrintToString(name);
                }
            }
            // Every ASCII letter has a full-width form, U+FF21 to U+FF5A.
            if (FoldAsciiCase(row[i]) >= u'a' && FoldAsciiCase(row[i]) <= u'z') {
                name[i] = static_cast<char16_t>(row[i] - u'A' + u'\uFF21');
                EXPECT_FALSE(IsTargetService(name)) << ::testing::PrintToString(name);
            }
        }
    }
}

TEST(IsTargetService, NamesLongerThanThirtyCharactersNeverMatch) {
    for (const std::u16string_view row : TargetServiceTable) {
        for (const std::size_t length : {31u, 32u, 260u}) {
            for (const char16_t padding : {u' ', u'_', u'x'}) {
                std::u16string name(row);
                name.resize(length, padding);
                EXPECT_FALSE(IsTargetService(name)) << ::testing::PrintToString(name);
            }
        }
        const std::u16string once(row);
        EXPECT_FALSE(IsTargetService(once + once + once));
    }
}

}  // namespace
}  // namespace halvorn
