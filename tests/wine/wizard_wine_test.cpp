// The wizard of the real program, driven from this process as a user would drive it.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "res/resource.h"
#include "tests/support/log_lines.h"
#include "tests/wine/support/program_process.h"
#include "tests/wine/support/scratch_key.h"
#include "tests/wine/support/screenshot.h"
#include "tests/wine/support/sheet_driver.h"
#include "tests/wine/support/wait_until.h"
#include "tests/wine/support/wine_support.h"

namespace halvorn {
namespace {

using testing::DeleteRunFiles;
using testing::KeyExists;
using testing::kProgramTitle;
using testing::LogFiles;
using testing::ProgramProcess;
using testing::ScratchKey;
using testing::SheetDriver;
using testing::WaitUntil;

constexpr wchar_t kWelcomeText[] = L"The tool repairs the Windows registry.\n\nClick \"Next\" to continue.";

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
        DeleteRunFiles();
        ASSERT_TRUE(guard.Create(L"$%&'(a"));
    }

    const std::wstring kGuard = L"SYSTEM\\CurrentControlSet\\Services\\HalvornGuard";
    ScratchKey guard{kGuard};
};

TEST_F(WizardOnWine, TheLicenceMustBeAcceptedAndCancelEndsWithoutARepair) {
    // Help, and a switch that the tool does not know, answer in a message box (its text is control 0xFFFF).
    for (const auto& [arguments, says, code] : {std::tuple{L"/ExitCode -? /Reprot", L"1639: an argument that", 0u},
                                                std::tuple{L"/ExitCode -nouii", L"Unknown switch \"-nouii\"", 1639u},
                                                std::tuple{L"noui", L"Unknown argument \"noui\"", 1639u}}) {
        ProgramProcess answer(arguments);
        const HWND box = SheetDriver::WaitForSheet();
        ASSERT_NE(box, nullptr) << "no message box";
        EXPECT_NE(SheetDriver::Text(GetDlgItem(box, 0xFFFF)).find(says), std::wstring::npos);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(answer.WaitForExit(10000), code);
    }

    // A known switch that is not the silent one selects the wizard.
    ProgramProcess program(L"/ExitCode /Override -noui");
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

    // The focus is on the checked choice, so that the arrow keys change it, and Next with it.
    EXPECT_TRUE(WaitUntil([&] { return wizard.FocusedWindow() == wizard.Control(IDC_DECLINE); }));
    wizard.PressKey(VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return wizard.Checked(IDC_ACCEPT) && wizard.ButtonEnabled(testing::kNextButton); }));
    wizard.PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return wizard.Checked(IDC_DECLINE) && !wizard.ButtonEnabled(testing::kNextButton); }));

    // The agreement is in the rich edit, and a selection set by message does not take.
    const HWND licence = wizard.Control(IDC_LICENSE_TEXT);
    const std::wstring agreement = SheetDriver::Text(licence);
    EXPECT_EQ(agreement.rfind(L"Halvorn Registry Repair Tool", 0), 0u) << "not from the first line";
    EXPECT_NE(agreement.find(L"Copyright \u00a9 2026 Halvorn. All rights reserved."), std::wstring::npos)
        << "the last line is missing";
    EXPECT_GT(agreement.size(), 5000u);
    SendMessageW(licence, EM_SETSEL, 0, -1);
    EXPECT_EQ(SendMessageW(licence, EM_GETSEL, 0, 0), 0);
    // The dialog manager selects an edit's whole text when it moves the focus into it.
    SendMessageW(wizard.ActivePage(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(licence), TRUE);
    EXPECT_EQ(SendMessageW(licence, EM_GETSEL, 0, 0), 0);
    EXPECT_TRUE(testing::SaveScreenshot(wizard.Sheet(), L"licence.png"));

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
    EXPECT_TRUE(testing::SaveScreenshot(wizard.Sheet(), L"welcome.png"));

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
    EXPECT_EQ(program.WaitForExit(10000), 1602u);
    EXPECT_TRUE(KeyExists(kGuard + L"\\$%&'(a"));
    EXPECT_TRUE(LogFiles().empty());
}

// The lines of the one log file after its header; the run's files are removed.
std::vector<std::string> TakeOnlyLog() {
    std::vector<std::string> lines = testing::OnlyLogLines();
    DeleteRunFiles();
    return lines;
}

// A control set of the test's own, large enough for a run with "/Override" to take a few seconds,
// with invalid keys below a target service, below another vendor's service and at two depths.
class SeededControlSet {
public:
    SeededControlSet() { Seed(); }

    void Seed() {
        const ScratchKey& guard = m_guard;
        guard.Create(L"$%&'(top");
        guard.Create(L"Parameters\\$%&'(deep\\with\\children");
        m_other.Create(L"Settings\\$%&'(x");
        m_enum.Create(L"Device0\\0000\\$%&'(e");
        for (int bus = 0; bus < 40; ++bus) {
            for (int device = 0; device < 250; ++device) {
                m_enum.Create(L"Bus" + std::to_wstring(bus) + L"\\Device" + std::to_wstring(device) + L"\\0000");
            }
        }
    }

    std::vector<std::u16string> Tree() const { return m_set.ListTree(L"Services"); }
    std::vector<std::u16string> EnumTree() const { return m_set.ListTree(L"Enum"); }

private:
    ScratchKey m_set{L"SYSTEM\\ControlSetWizard"};
    ScratchKey m_guard{L"SYSTEM\\ControlSetWizard\\Services\\HalvornGuard"};
    ScratchKey m_other{L"SYSTEM\\ControlSetWizard\\Services\\OtherVendor"};
    ScratchKey m_enum{L"SYSTEM\\ControlSetWizard\\Enum\\HVNBUS"};
};

TEST_F(WizardOnWine, RepairsFromLicenceToCompletionAsTheSilentRunDoes) {
    SeededControlSet seeded;
    ProgramProcess program(L"/Override /ExitCode");
    const SheetDriver wizard(SheetDriver::WaitForSheet());
    ASSERT_NE(wizard.Sheet(), nullptr);
    // During the run every button is disabled and the frame does not close the sheet.
    ASSERT_TRUE(wizard.StartRepair());
    ASSERT_EQ(wizard.ActivePageIndex(), 2) << "the run was over before it could be looked at";
    EXPECT_TRUE(WaitUntil([&] {
        return !wizard.ButtonEnabled(testing::kNextButton) && !wizard.ButtonEnabled(testing::kBackButton);
    }));
    EXPECT_FALSE(wizard.ButtonEnabled(testing::kCancelButton));
    PostMessageW(wizard.Sheet(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(wizard.Title(), kProgramTitle);

    // The completion page: the counts, Finish, and no way back or out but Finish and the frame.
    ASSERT_TRUE(wizard.WaitForPage(3, 60000));
    EXPECT_TRUE(IsWindow(wizard.Sheet()));
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT),
              L"Completed Successfully!!!\n\nInvalid Registry Keys found\t: 5\nInvalid Registry Keys Deleted\t: 5\n\n"
              L"It is recommended that you restart your computer at this time.");
    EXPECT_TRUE(WaitUntil([&] { return wizard.ButtonEnabled(testing::kFinishButton); }));
    EXPECT_FALSE(wizard.ButtonEnabled(testing::kBackButton));
    EXPECT_FALSE(wizard.ButtonEnabled(testing::kCancelButton));
    EXPECT_EQ(wizard.Title(), kProgramTitle);
    // Finish has the focus, so Enter ends the wizard.
    EXPECT_TRUE(
        WaitUntil([&] { return wizard.FocusedWindow() == GetDlgItem(wizard.Sheet(), testing::kFinishButton); }));
    EXPECT_TRUE(testing::SaveScreenshot(wizard.Sheet(), L"completion.png"));
    wizard.PressKey(VK_RETURN);
    EXPECT_EQ(program.WaitForExit(10000), 3010u);
    const std::vector<std::u16string> afterWizard = seeded.Tree();
    const std::vector<std::u16string> enumAfterWizard = seeded.EnumTree();
    const std::vector<std::string> wizardLog = TakeOnlyLog();

    // The same registry repaired silently ends the same, and logs the same lines.
    seeded.Seed();
    ASSERT_TRUE(guard.Create(L"$%&'(a"));
    ProgramProcess silent(L"/noui /Override /ExitCode");
    EXPECT_EQ(silent.WaitForExit(60000), 3010u);
    EXPECT_EQ(seeded.Tree(), afterWizard);
    EXPECT_EQ(seeded.EnumTree(), enumAfterWizard);
    EXPECT_EQ(TakeOnlyLog(), wizardLog);
    EXPECT_EQ(std::count(afterWizard.begin(), afterWizard.end(), u"HalvornGuard\\Parameters"), 1);
    for (const std::u16string& key : afterWizard) {
        EXPECT_EQ(key.find(u"$%&'("), std::u16string::npos);
    }
}

TEST_F(WizardOnWine, ASecondInstanceBringsTheWizardBackAndACleanRegistryFindsNothing) {
    ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kGuard + L"\\$%&'(a").c_str()), ERROR_SUCCESS);
    ProgramProcess program(L"");
    const SheetDriver wizard(SheetDriver::WaitForSheet());
    ASSERT_NE(wizard.Sheet(), nullptr);
    ShowWindow(wizard.Sheet(), SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(wizard.Sheet()) != FALSE; }));

    // The second instance, even asked for a silent repair, only brings the first one back.
    ProgramProcess second(L"/noui");
    EXPECT_EQ(second.WaitForExit(10000), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(wizard.Sheet()); }));
    EXPECT_TRUE(LogFiles().empty());

    ASSERT_TRUE(wizard.StartRepair());
    ASSERT_TRUE(wizard.WaitForPage(3, 60000));
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT), L"No invalid registry keys found in the registry!");
    // Closing through the frame works again after the run.
    PostMessageW(wizard.Sheet(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    const std::vector<std::string> log = TakeOnlyLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()), testing::SummaryLines(0, 0));
}

}  // namespace
}  // namespace halvorn
