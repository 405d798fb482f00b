// The wizard of the real program, driven from this process as a user would drive it.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <string>

#include "res/resource.h"
#include "tests/wine/program_process.h"
#include "tests/wine/scratch_key.h"
#include "tests/wine/screenshot.h"
#include "tests/wine/sheet_driver.h"
#include "tests/wine/wine_support.h"

namespace halvorn {
namespace {

using testing::CaptureWindow;
using testing::DeleteLogFiles;
using testing::KeyExists;
using testing::kProgramTitle;
using testing::LogFiles;
using testing::ProgramProcess;
using testing::ScratchKey;
using testing::SheetDriver;
using testing::WaitUntil;

constexpr wchar_t kWelcomeText[] = L"The tool repairs the Windows registry.\n\nClick \"Next\" to continue.";

// Screenshots land beside the build for people to look at.
void SaveScreenshot(HWND window, const wchar_t* name) {
    Sleep(500);  // the other process paints in its own time
    CreateDirectoryW(HALVORN_SCREENSHOT_DIR, nullptr);
    EXPECT_TRUE(testing::WritePng(CaptureWindow(window), std::wstring(HALVORN_SCREENSHOT_DIR L"\\") + name));
}

// Whether the window stands in the middle of the work area, to within the rounding of halves.
void ExpectCentred(HWND window) {
    RECT work{}, rect{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

class WizardOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteLogFiles();
        ASSERT_TRUE(guard.Create(L"$%&'(a"));
    }

    const std::wstring kGuard = L"SYSTEM\\CurrentControlSet\\Services\\HalvornGuard";
    ScratchKey guard{kGuard};
};

TEST_F(WizardOnWine, TheLicenceMustBeAcceptedAndCancelEndsWithoutARepair) {
    // Option-like text that is not the silent switch selects the wizard.
    ProgramProcess program(L"/Override -nouii noui");
    ASSERT_TRUE(program.Started());
    const SheetDriver wizard(SheetDriver::WaitForSheet());
    ASSERT_NE(wizard.Sheet(), nullptr) << "no visible window titled as the program";

    // The licence page, declined.
    ASSERT_TRUE(wizard.WaitForPage(0));
    EXPECT_EQ(wizard.Title(), kProgramTitle);
    ExpectCentred(wizard.Sheet());
    EXPECT_TRUE(wizard.Checked(IDC_DECLINE));
    EXPECT_FALSE(wizard.Checked(IDC_ACCEPT));
    EXPECT_TRUE(WaitUntil([&] { return !wizard.ButtonEnabled(testing::kNextButton); }));
    EXPECT_FALSE(wizard.ButtonEnabled(testing::kBackButton));
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT), L"License Agreement");

    // The agreement is in the rich edit, and a selection set by message does not take.
    const HWND licence = wizard.Control(IDC_LICENSE_TEXT);
    const std::wstring agreement = SheetDriver::Text(licence);
    EXPECT_GT(agreement.size(), 5000u);
    EXPECT_NE(agreement.find(L"Halvorn Registry Repair Tool"), std::wstring::npos);
    SendMessageW(licence, EM_SETSEL, 0, -1);
    EXPECT_EQ(SendMessageW(licence, EM_GETSEL, 0, 0), 0);
    // The dialog manager selects an edit's whole text when it moves the focus into it.
    SendMessageW(wizard.ActivePage(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(licence), TRUE);
    EXPECT_EQ(SendMessageW(licence, EM_GETSEL, 0, 0), 0);
    SaveScreenshot(wizard.Sheet(), L"licence.png");

    // Next pressed while declined stays; accepting enables Next, declining disables it again.
    wizard.Press(PSBTN_NEXT);
    Sleep(300);
    EXPECT_EQ(wizard.ActivePageIndex(), 0);
    wizard.Click(IDC_ACCEPT);
    EXPECT_TRUE(WaitUntil([&] { return wizard.ButtonEnabled(testing::kNextButton); }));
    EXPECT_FALSE(wizard.Checked(IDC_DECLINE));
    wizard.Click(IDC_DECLINE);
    EXPECT_TRUE(WaitUntil([&] { return !wizard.ButtonEnabled(testing::kNextButton); }));
    wizard.Click(IDC_ACCEPT);
    EXPECT_TRUE(WaitUntil([&] { return wizard.ButtonEnabled(testing::kNextButton); }));

    // The welcome page.
    wizard.Press(PSBTN_NEXT);
    ASSERT_TRUE(wizard.WaitForPage(1));
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT), kWelcomeText);
    EXPECT_TRUE(WaitUntil([&] { return wizard.ButtonEnabled(testing::kBackButton); }));
    EXPECT_TRUE(wizard.ButtonEnabled(testing::kNextButton));
    EXPECT_EQ(wizard.Title(), kProgramTitle);
    SaveScreenshot(wizard.Sheet(), L"welcome.png");

    // Back keeps the choice and the Next that goes with it.
    wizard.Press(PSBTN_BACK);
    ASSERT_TRUE(wizard.WaitForPage(0));
    EXPECT_TRUE(wizard.Checked(IDC_ACCEPT));
    EXPECT_TRUE(WaitUntil([&] { return wizard.ButtonEnabled(testing::kNextButton); }));
    EXPECT_EQ(wizard.Title(), kProgramTitle);
    wizard.Press(PSBTN_NEXT);
    ASSERT_TRUE(wizard.WaitForPage(1));
    EXPECT_EQ(wizard.Title(), kProgramTitle);

    // Hidden and shown again, the sheet is centred again.
    SetWindowPos(wizard.Sheet(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(wizard.Sheet(), SW_HIDE);
    ShowWindow(wizard.Sheet(), SW_SHOW);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(wizard.Sheet()); }));
    ExpectCentred(wizard.Sheet());
    EXPECT_EQ(wizard.Title(), kProgramTitle);

    // Cancel ends the program before any repair.
    wizard.Press(PSBTN_CANCEL);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    EXPECT_TRUE(KeyExists(kGuard + L"\\$%&'(a"));
    EXPECT_TRUE(LogFiles().empty());
}

}  // namespace
}  // namespace halvorn
