// The wizard run in this process with a repair of the test's own, which holds the run for as long
// as the test looks at the locked wizard. The sheet runs on a thread of its own; the test drives it
// with messages as another program would, and also reads what only its own process can: the system
// menu, the GDI objects the pages and the indicator hold, and the pictures' bitmaps. Run again in
// Wine prefixes of other display scalings, the walk checks that the pages grow as a whole. It also
// reads the indicator as a screen reader does, and the licence's colours in a high-contrast scheme.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "tests/wine/support/screenshot.h"
#include "tests/wine/support/sheet_driver.h"
#include "tests/wine/support/wait_until.h"
#include "tests/wine/support/wine_support.h"
#include "tests/wizard_wine/gdi_object_count.h"
#include "ui/com_apartment.h"
#include "ui/completion_text.h"
#include "ui/display_scaling.h"
#include "ui/fix_wizard.h"
#include "ui/gdi_handles.h"
#include "ui/page_picture.h"
#include "ui/progress_static.h"
#include "ui/screen_dpi.h"
#include "log/windows_text.h"

namespace halvorn {
namespace {

using testing::kBackButton;
using testing::kCancelButton;
using testing::kFinishButton;
using testing::kNextButton;
using testing::SheetDriver;
using testing::WaitUntil;

// The repair that the clean page runs here: it notes how it was called, then waits for the test.
struct TestRepair {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    RepairCounts result;
    std::atomic<int> runs{0};
    std::atomic<DWORD> threadId{0};
    std::u16string arguments;
};
TestRepair* g_repair = nullptr;

RepairCounts HeldRepair(const RunOptions&, const std::u16string& arguments) {
    g_repair->arguments = arguments;
    g_repair->threadId = GetCurrentThreadId();
    ++g_repair->runs;
    WaitForSingleObject(g_repair->release, 60000);
    return g_repair->result;
}

bool RefuseThread(unsigned(__stdcall*)(void*), void*) { return false; }

bool CloseGreyed(HWND sheet) {
    return (GetMenuState(GetSystemMenu(sheet, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// A pixel of a bitmap as 0x00RRGGBB.
std::uint32_t BitmapPixel(HBITMAP bitmap, int x, int y) {
    const MemoryDc memory(nullptr);
    const SelectedObject selected(memory.get(), bitmap);
    const COLORREF colour = GetPixel(memory.get(), x, y);
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// The picture of the page fills the place that the template gives it in the page's pixels, spans
// the page area, and is what the page shows next to the area's right edge at the place's bottom.
void ExpectPictureFillsItsPlace(HWND page, const DialogUnitRect& place) {
    RECT expected{place.x, place.y, place.x + place.width, place.y + place.height};
    MapDialogRect(page, &expected);
    const HWND control = FindPictureControl(page);
    RECT actual{};
    GetClientRect(control, &actual);
    MapWindowPoints(control, page, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(std::vector<LONG>({actual.left, actual.top, actual.right, actual.bottom}),
              std::vector<LONG>({expected.left, expected.top, expected.right, expected.bottom}));
    RECT area{};
    GetClientRect(page, &area);
    EXPECT_GE(expected.right, area.right);

    const auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP form{};
    GetObjectW(bitmap, sizeof(form), &form);
    EXPECT_EQ(form.bmWidth, expected.right - expected.left);
    EXPECT_EQ(form.bmHeight, expected.bottom - expected.top);
    const int x = area.right - 2;
    const int y = std::min(expected.bottom, area.bottom) - 2;
    EXPECT_EQ(testing::CaptureClient(page).At(x, y), BitmapPixel(bitmap, x - expected.left, y - expected.top))
        << "not the picture's pixel at " << x << ", " << y << " of a page area of " << area.right << " x "
        << area.bottom;
}

// The distances between neighbouring outlines in the indicator's middle row, within the field's
// own outline: each block's width less one, and the gap between two blocks plus one.
std::multiset<int> OutlineDistances(const testing::ScreenPixels& indicator) {
    std::multiset<int> distances;
    int previous = -1;
    for (int x = 1; x + 1 < indicator.width; ++x) {
        if (indicator.At(x, indicator.height / 2) == 0) {
            if (previous >= 0) {
                distances.insert(x - previous);
            }
            previous = x;
        }
    }
    return distances;
}

class CleanPageInProcess : public ::testing::Test {
protected:
    void SetUp() override { g_repair = &repair; }

    void TearDown() override {
        // A test that failed part-way still ends the wizard, so that its thread can be joined.
        SetEvent(repair.release);
        while (!ended) {
            const HWND sheet = FindWindowW(nullptr, testing::kProgramTitle);
            if (sheet != nullptr) {
                PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
            }
            Sleep(50);
        }
        if (wizardThread.joinable()) {
            wizardThread.join();
        }
        CloseHandle(repair.release);
        g_repair = nullptr;
    }

    // Starts the wizard on a thread of its own, as the program's main thread runs it, accepts the
    // licence and goes on from the welcome page, which starts the run; atEachPage looks at the
    // licence and welcome pages on the way.
    HWND RunUntilCleanPage(const std::u16string& commandLine, RepairService service,
                           const std::function<void(const SheetDriver&)>& atEachPage = {}) {
        wizardThread = std::thread([this, commandLine, service] {
            uiThreadId = GetCurrentThreadId();
            CFixWizard wizard(ReadRunOptions(commandLine), commandLine, service);
            wizard.RunModal(nullptr);
            result = wizard.RepairResult();
            ended = true;
        });
        const SheetDriver wizard(SheetDriver::WaitForSheet());
        return wizard.Sheet() != nullptr && wizard.StartRepair(atEachPage) ? wizard.Sheet() : nullptr;
    }

    TestRepair repair;
    std::thread wizardThread;
    std::atomic<DWORD> uiThreadId{0};
    std::optional<RepairCounts> result;  // what the wizard tells the program once it has ended
    std::atomic<bool> ended{false};
};

TEST_F(CleanPageInProcess, TheRunLocksTheWizardWhileTheIndicatorMovesAndUnlocksItAfterwards) {
    // The walk runs at the display scaling of the Wine prefix that HALVORN_LOGPIXELS names.
    const int dpi = ScreenDpi();
    if (const char* logPixels = std::getenv("HALVORN_LOGPIXELS")) {
        ASSERT_EQ(dpi, std::atoi(logPixels));
    }
    // HALVORN_COLOURS=high-contrast names a prefix whose windows are black under white text.
    const char* scheme = std::getenv("HALVORN_COLOURS");
    const bool highContrast = scheme != nullptr && std::string(scheme) == "high-contrast";
    ASSERT_EQ(GetSysColor(COLOR_WINDOW), highContrast ? RGB(0, 0, 0) : RGB(255, 255, 255));
    const std::wstring screenshotEnd = std::to_wstring(dpi) + (highContrast ? L"dpi-high-contrast.png" : L"dpi.png");
    const testing::GdiObjectCount gdiObjects;
    // Every page's picture fills its place, and the licence keeps its heading blue only outside high
    // contrast, where it takes the theme's colours. A screenshot of each page.
    const auto lookAtPage = [&screenshotEnd, highContrast](const SheetDriver& wizard) {
        static const wchar_t* const names[] = {L"licence", L"welcome", L"cleaning", L"completion"};
        const int index = wizard.ActivePageIndex();
        ASSERT_TRUE(index >= 0 && index < 4);
        EXPECT_TRUE(testing::SaveScreenshot(wizard.Sheet(), std::wstring(names[index]) + L"-" + screenshotEnd));
        ExpectPictureFillsItsPlace(wizard.ActivePage(), index == 0 ? kHeaderPicturePlace : kPagePicturePlace);
        if (index == 0) {
            const testing::ScreenPixels licence = testing::CaptureClient(wizard.Control(IDC_LICENSE_TEXT));
            EXPECT_EQ(std::ranges::count(licence.pixels, 0x17479Bu) > 0, !highContrast);
        }
    };

    repair.result = {5, 5};
    const SheetDriver wizard(RunUntilCleanPage(u"/Override  -x", {HeldRepair, StartDetachedThread}, lookAtPage));
    ASSERT_NE(wizard.Sheet(), nullptr);
    ASSERT_EQ(wizard.ActivePageIndex(), 2);
    ASSERT_TRUE(WaitUntil([&] { return repair.runs == 1; }));
    EXPECT_NE(repair.threadId, uiThreadId) << "the repair ran on the wizard's thread";
    EXPECT_EQ(repair.arguments, u"/Override  -x");

    // Locked: no button, no Close in the system menu, and neither the frame nor Escape closes it.
    EXPECT_TRUE(WaitUntil([&] { return !wizard.ButtonEnabled(kNextButton) && !wizard.ButtonEnabled(kBackButton); }));
    EXPECT_FALSE(wizard.ButtonEnabled(kCancelButton));
    EXPECT_FALSE(wizard.ButtonEnabled(kFinishButton));
    EXPECT_TRUE(CloseGreyed(wizard.Sheet()));
    // The focus stays on the page, on the indicator, so that no key press is lost.
    EXPECT_TRUE(WaitUntil([&] { return wizard.FocusedWindow() == wizard.Control(IDC_PROGRESS); }));
    PostMessageW(wizard.Sheet(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(wizard.ActivePage(), WM_KEYDOWN, VK_ESCAPE, 0);
    Sleep(300);
    EXPECT_TRUE(IsWindow(wizard.Sheet()));
    EXPECT_EQ(wizard.ActivePageIndex(), 2);
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT), L"Registry cleaning in progress. Please wait...");

    // The indicator shows the field and shaded blocks, and moves from one frame to the next.
    const HWND indicator = wizard.Control(IDC_PROGRESS);
    const testing::ScreenPixels first = testing::CaptureClient(indicator);
    Sleep(150);
    const testing::ScreenPixels second = testing::CaptureClient(indicator);
    ASSERT_GT(first.width, 100);
    const std::set<std::uint32_t> colours(first.pixels.begin(), first.pixels.end());
    EXPECT_TRUE(colours.count(0xFFFF9B)) << "no pixel of the field colour";
    EXPECT_TRUE(colours.count(0x000000)) << "no outline";
    int shades = 0;
    for (int level = 0; level <= 140; level += 10) {
        const auto c = static_cast<std::uint32_t>(level);
        shades += colours.count(((255 - c) << 16) | ((255 - c) << 8) | (140 - c)) != 0 ? 1 : 0;
    }
    EXPECT_GE(shades, 5) << "too few block shades";
    EXPECT_NE(first.pixels, second.pixels) << "the indicator stood still";
    // Its blocks and gaps have grown with the display.
    const ProgressGeometry geometry = ProgressGeometry::AtDpi(dpi);
    const std::multiset<int> distances = OutlineDistances(first);
    EXPECT_GE(distances.count(geometry.blockWidth - 1), 5u) << "blocks not " << geometry.blockWidth << " wide";
    EXPECT_GE(distances.count(geometry.gap + 1), 5u) << "gaps not " << geometry.gap << " wide";
    lookAtPage(wizard);

    // A screen reader reads the indicator as a progress bar named by the page text (CHILDID_SELF is 0).
    const ComApartment apartment;
    Microsoft::WRL::ComPtr<IAccessible> reader;
    VARIANT self{}, role{};
    self.vt = VT_I4;
    BSTR name = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(indicator, static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&reader)), S_OK);
    reader->get_accRole(self, &role);
    reader->get_accName(self, &name);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_PROGRESSBAR);
    EXPECT_STREQ(name, L"Registry cleaning in progress. Please wait...");
    SysFreeString(name);

    // The run returns: the counts reach the completion page, closing is allowed again, and Cancel
    // stays disabled.
    SetEvent(repair.release);
    ASSERT_TRUE(wizard.WaitForPage(3));
    EXPECT_FALSE(CloseGreyed(wizard.Sheet()));
    const std::u16string expected = CompletionText(repair.result, false, false);
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT), ToWide(expected));
    // The outcome is the indicator's name now: its window text, which its accessible object reports.
    EXPECT_EQ(SheetDriver::Text(indicator), ToWide(expected));
    EXPECT_TRUE(WaitUntil([&] { return wizard.ButtonEnabled(kFinishButton); }));
    EXPECT_FALSE(wizard.ButtonEnabled(kBackButton));
    EXPECT_FALSE(wizard.ButtonEnabled(kCancelButton));
    EXPECT_EQ(wizard.Title(), testing::kProgramTitle);
    lookAtPage(wizard);

    // Back is disabled, but the sheet obeys it when another program presses it by message: the
    // page stays, and the repair does not run again.
    wizard.Press(PSBTN_BACK);
    Sleep(300);
    EXPECT_EQ(wizard.ActivePageIndex(), 3);
    EXPECT_EQ(repair.runs, 1);

    PostMessageW(wizard.Sheet(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return ended.load(); }));
    wizardThread.join();
    EXPECT_EQ(repair.runs, 1);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(std::vector<int>({result->invalidCount, result->deletedCount, result->failed}),
              std::vector<int>({5, 5, false}));
    // The static controls load their templates' pictures themselves, out of the count's sight. A
    // page that shows a scaled picture deletes the loaded one, so each page deletes one object more
    // than it creates when the display is scaled, and none when it is not.
    EXPECT_EQ(gdiObjects.Held(), dpi == kStandardDpi ? 0 : -4);
}

TEST_F(CleanPageInProcess, WithoutAWorkerTheRepairRunsOnThePagesThreadAndTheWizardGoesOn) {
    SetEvent(repair.release);
    repair.result = {2, 0, true};
    // A report-only run that failed: its completion page says so, with the counts in their order.
    // The run's failure reaches the program beside them.
    const SheetDriver wizard(RunUntilCleanPage(u"-REPORT", {HeldRepair, RefuseThread}));
    ASSERT_NE(wizard.Sheet(), nullptr);
    ASSERT_TRUE(wizard.WaitForPage(3));
    EXPECT_EQ(repair.runs, 1);
    EXPECT_EQ(repair.threadId, uiThreadId);
    const std::u16string expected = CompletionText(repair.result, true, false);
    EXPECT_EQ(wizard.ControlText(IDC_PAGE_TEXT), ToWide(expected));
    EXPECT_FALSE(CloseGreyed(wizard.Sheet()));
    EXPECT_TRUE(WaitUntil([&] { return wizard.ButtonEnabled(kFinishButton); }));
    wizard.Press(PSBTN_FINISH);
    ASSERT_TRUE(WaitUntil([&] { return ended.load(); }));
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(std::vector<int>({result->invalidCount, result->deletedCount, result->failed}),
              std::vector<int>({2, 0, true}));
}

// The indicator on a static control of this thread, where no timer of its own draws meanwhile.
class IndicatorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(indicator.Attach(window));
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    void TearDown() override { DestroyWindow(window); }

    void Frames(int count, WPARAM timerId = IDT_PROGRESS) {
        for (int frame = 0; frame < count; ++frame) {
            SendMessageW(window, WM_TIMER, timerId, 0);
        }
    }

    // The size of the clean page's indicator.
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | SS_SUNKEN | SS_NOTIFY, 40, 40, 249,
                                  16, nullptr, nullptr, nullptr, nullptr);
    CProgressStatic indicator;
};

TEST_F(IndicatorWindow, ThousandsOfFramesLeaveNoGdiObjectBehind) {
    const testing::GdiObjectCount count;
    Frames(3000);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // A memory context, a bitmap, the field's brush and one brush per block in every frame.
    EXPECT_GE(count.Created(), 3000 * 13);
    EXPECT_EQ(count.Held(), 0);
}

TEST_F(IndicatorWindow, OnlyItsOwnTimerMovesIt) {
    Frames(20);
    const testing::ScreenPixels before = testing::CaptureClient(window);
    ASSERT_EQ(before.At(0, 0), 0u) << "no black outline";
    ASSERT_EQ(before.At(before.width - 2, 1), 0xFFFF9Bu) << "no field at the right end";
    Frames(20, IDT_PROGRESS + 1);
    EXPECT_EQ(testing::CaptureClient(window).pixels, before.pixels);
    Frames(1);
    EXPECT_NE(testing::CaptureClient(window).pixels, before.pixels);
}

}  // namespace
}  // namespace halvorn
