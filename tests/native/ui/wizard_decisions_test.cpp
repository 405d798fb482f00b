#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "ui/centring.h"
#include "res/resource.h"
#include "ui/completion_text.h"
#include "ui/display_scaling.h"
#include "ui/font_height.h"
#include "ui/legible_colours.h"
#include "ui/progress_animation.h"
#include "ui/radio_group.h"

namespace halvorn {
namespace {

TEST(CompletionText, NothingFoundIsOneSentenceWhateverTheDeletedCount) {
    for (const auto& [found, deleted] : {std::pair{0, 0}, {0, 5}, {-1, 0}}) {
        EXPECT_EQ(CompletionText({found, deleted}, false, false), u"No invalid registry keys found in the registry!");
        EXPECT_EQ(CompletionText({found, deleted}, true, true), u"No invalid registry keys found in the registry!");
    }
}

TEST(CompletionText, ARepairShowsBothCountsAndAdvisesARestart) {
    EXPECT_EQ(CompletionText({3, 3}, false, false),
              u"Completed Successfully!!!\n\n"
              u"Invalid Registry Keys found\t: 3\nInvalid Registry Keys Deleted\t: 3\n\n"
              u"It is recommended that you restart your computer at this time.");
}

TEST(CompletionText, ARepairThatCouldNotDeleteEverythingSaysSo) {
    EXPECT_EQ(CompletionText({5, 3}, false, true),
              u"Completed with Errors: some invalid keys could not be deleted!!!\n\n"
              u"Invalid Registry Keys found\t: 5\nInvalid Registry Keys Deleted\t: 3\n\n"
              u"It is recommended that you restart your computer at this time.");
}

TEST(CompletionText, AReportOnlyRunSaysNothingWasDeleted) {
    EXPECT_EQ(CompletionText({4, 0}, true, false),
              u"Scan Completed: nothing was deleted!!!\n\n"
              u"Invalid Registry Keys found\t: 4\nInvalid Registry Keys Deleted\t: 0");
}

TEST(CompletionText, AFailedRunSaysWhyWhateverItFound) {
    for (const bool reportOnly : {false, true}) {
        EXPECT_EQ(CompletionText({0, 0, true}, reportOnly, true),
                  u"Completed with Errors: the offline repair could not reach every hive, see the log!!!\n\n"
                  u"Invalid Registry Keys found\t: 0\nInvalid Registry Keys Deleted\t: 0");
    }
    EXPECT_EQ(CompletionText({2, 2, true}, false, true),
              u"Completed with Errors: the offline repair could not reach every hive, see the log!!!\n\n"
              u"Invalid Registry Keys found\t: 2\nInvalid Registry Keys Deleted\t: 2");
    // HKLM\SYSTEM would not open, or an error stopped the run.
    EXPECT_EQ(CompletionText({2, 0, true}, true, false),
              u"Completed with Errors: the repair could not reach the whole registry, see the log!!!\n\n"
              u"Invalid Registry Keys found\t: 2\nInvalid Registry Keys Deleted\t: 0");
}

TEST(CentredPosition, CentresOnTheReferenceAndStaysInsideTheWorkArea) {
    const ScreenRect work{0, 0, 1280, 994};
    struct Case {
        ScreenRect reference;
        int width, height;
        int x, y;
    };
    for (const Case& c : std::vector<Case>{
             {work, 634, 451, 323, 272},                      // the work area itself
             {work, 635, 452, 323, 271},                      // odd sizes: halves are cut
             {{100, 100, 300, 200}, 634, 451, 0, 0},          // an owner near the corner pulls it off-screen
             {{1100, 800, 1300, 1000}, 634, 451, 646, 543},   // and near the opposite corner
             {{0, 0, 1280, 994}, 2000, 1200, 0, 0},           // larger than the area: near edges inside
         }) {
        const ScreenPoint at = CentredPosition(c.reference, work, c.width, c.height);
        EXPECT_EQ(at.x, c.x);
        EXPECT_EQ(at.y, c.y);
    }
    // A work area that does not start at the origin, as with a taskbar on the left or at the top.
    const ScreenPoint shifted = CentredPosition({-500, -500, -100, -100}, {60, 30, 1280, 1024}, 300, 200);
    EXPECT_EQ(shifted.x, 60);
    EXPECT_EQ(shifted.y, 30);
}

TEST(FontPixelHeight, ScalesWithTheDisplayAndRoundsLikeMulDiv) {
    struct Case {
        int tenths, dpi, pixels;
    };
    for (const Case& c : std::vector<Case>{
             {140, 96, 19}, {100, 96, 13}, {140, 120, 23}, {100, 120, 17}, {140, 144, 28}, {100, 192, 27},
             {5, 72, 1},  // exactly half a pixel rounds up
         }) {
        EXPECT_EQ(FontPixelHeight(c.tenths, c.dpi), c.pixels) << c.tenths << " at " << c.dpi;
    }
}

TEST(DisplayScaling, PicturePlacesAndIndicatorGrowWithTheDisplayRoundedOnce) {
    // The dialog base units are those of the pages' 8-point Tahoma under Wine at each scaling.
    struct Case {
        int dpi, baseUnitX, baseUnitY;
        PixelRect header, page;
        ProgressGeometry indicator;
    };
    for (const Case& c : std::vector<Case>{
             // Edges are mapped on their own: the header is 58 high, where its height alone maps to 59.
             {96, 6, 13, {0, 2, 518, 60}, {0, 0, 518, 356}, {10, 1, 100, 2}},
             {110, 7, 14, {0, 2, 604, 65}, {0, 0, 604, 383}, {11, 1, 115, 2}},
             {120, 7, 16, {0, 2, 604, 74}, {0, 0, 604, 438}, {13, 1, 125, 3}},  // halves round up
             {144, 9, 19, {0, 2, 776, 88}, {0, 0, 776, 520}, {15, 2, 150, 3}},
             {175, 10, 23, {0, 3, 863, 106}, {0, 0, 863, 630}, {18, 2, 182, 4}},
             {192, 12, 25, {0, 3, 1035, 116}, {0, 0, 1035, 684}, {20, 2, 200, 4}},
         }) {
        EXPECT_EQ(DialogUnitsToPixels({HEADER_PICTURE_RECT}, c.baseUnitX, c.baseUnitY), c.header) << c.dpi;
        EXPECT_EQ(DialogUnitsToPixels({PAGE_PICTURE_RECT}, c.baseUnitX, c.baseUnitY), c.page) << c.dpi;
        EXPECT_EQ(ProgressGeometry::AtDpi(c.dpi), c.indicator) << c.dpi;
    }
    EXPECT_EQ(MulDivRounded(-5, 3, 2), -8);  // halves away from zero, also below it
    EXPECT_EQ(MulDivRounded(1, 2, 3), 1);
}

TEST(RadioGroup, TheGroupEndsAtTheNextGroupAndSkipsOtherControls) {
    // The licence page: accept (starts the group), decline, then the rich edit.
    EXPECT_EQ(RadioButtonPositions(std::vector<DialogWindowTraits>{{true, true}, {false, true}, {false, false}}),
              (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(RadioButtonPositions(std::vector<DialogWindowTraits>{{true, true}, {false, false}, {false, true},
                                                                  {true, true}, {false, true}}),
              (std::vector<std::size_t>{0, 2}));
    EXPECT_TRUE(RadioButtonPositions({}).empty());
}

TEST(RadioGroup, TheLastCheckedButtonWinsAndNoneGivesMinusOne) {
    EXPECT_EQ(CheckedRadioNumber({false, false}), -1);
    EXPECT_EQ(CheckedRadioNumber({true, false}), 0);
    EXPECT_EQ(CheckedRadioNumber({false, true}), 1);
    EXPECT_EQ(CheckedRadioNumber({true, true}), 1);
    EXPECT_EQ(CheckedRadioNumber({}), -1);
}

TEST(LegibleColours, ADocumentTakesTheThemesColoursInHighContrastOrWhereItsOwnReadBadly) {
    constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};
    // The licence's heading blue and grey read well on white and badly on black.
    constexpr std::string_view kLicence = R"({\rtf1{\colortbl ;\red23\green71\blue155;\red80\green80\blue80;}})";
    for (const auto& [highContrast, window, document, themeColours] :
         std::vector<std::tuple<bool, Rgb, std::string_view, bool>>{
             {false, kWhite, kLicence, false},  // the standard theme: the document's own colours
             {true, kWhite, kLicence, true},    // High Contrast White
             {false, kBlack, kLicence, true},   // a dark scheme that Windows does not call high contrast
             {false, kWhite, R"({\colortbl\red118\green118\blue118;})", false},  // 4.54 to 1: just legible
             {false, kWhite, R"({\colortbl\blue119\red119\green119;})", true},   // 4.48 to 1, levels in any order
             {false, kBlack, R"({\colortbl;\red300;})", false},  // not the automatic colour; a level cut at 255
             {false, kBlack, R"({\colortbl\red1;)", false},      // a table that never ends
         }) {
        EXPECT_EQ(ShowInThemeColours(highContrast, window, RtfColourTable(document)), themeColours) << document;
    }
}

}  // namespace
}  // namespace halvorn
