// Under Wine and a display: how the wizard keeps its indicator moving while a repair with
// "/Override" walks a control set of about 200,000 keys on the worker thread, and how long the real
// program takes from its start to a visible wizard.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/windows/system_repair.h"
#include "app/windows/process_log.h"
#include "res/resource.h"
#include "tests/wine/support/sheet_driver.h"
#include "ui/fix_wizard.h"
#include "log/windows_text.h"

namespace {

using namespace halvorn;
using testing::SheetDriver;

constexpr wchar_t kBenchSet[] = L"SYSTEM\\ControlSetWizardBench";

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HKEY CreateBelow(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

// 1,000 services, each with 10 groups of 20 keys: 211,000 keys.
int CreateBenchControlSet() {
    int keys = 0;
    const HKEY services = CreateBelow(HKEY_LOCAL_MACHINE, std::wstring(kBenchSet) + L"\\Services");
    for (int service = 0; service < 1000; ++service) {
        const HKEY serviceKey = CreateBelow(services, L"Service" + std::to_wstring(service));
        ++keys;
        for (int group = 0; group < 10; ++group) {
            const HKEY groupKey = CreateBelow(serviceKey, L"Group" + std::to_wstring(group));
            ++keys;
            for (int entry = 0; entry < 20; ++entry) {
                RegCloseKey(CreateBelow(groupKey, L"Entry" + std::to_wstring(entry)));
                ++keys;
            }
            RegCloseKey(groupKey);
        }
        RegCloseKey(serviceKey);
    }
    RegCloseKey(services);
    return keys;
}

// When the repair ran, and when the wizard's thread took each indicator frame.
double g_runStart = 0;
double g_runEnd = 0;
std::vector<double> g_frames;

RepairCounts TimedRepair(const RunOptions& options, const std::u16string& arguments) {
    g_runStart = Now();
    const RepairCounts counts = RunSystemRepair(options, arguments);
    g_runEnd = Now();
    return counts;
}

LRESULT CALLBACK NoteFrames(int code, WPARAM wParam, LPARAM lParam) {
    const auto& message = *reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message.message == WM_TIMER && message.wParam == IDT_PROGRESS) {
        g_frames.push_back(Now());
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// Runs the wizard in this process through to its completion page.
void MeasureFramesDuringRun() {
    std::thread ui([] {
        const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, NoteFrames, nullptr, GetCurrentThreadId());
        CFixWizard wizard(ReadRunOptions(u"/Override"), u"/Override", {TimedRepair, StartDetachedThread});
        wizard.RunModal(nullptr);
        UnhookWindowsHookEx(hook);
    });
    const SheetDriver wizard(SheetDriver::WaitForSheet());
    wizard.StartRepair();
    wizard.WaitForPage(3, 600000);
    wizard.Press(PSBTN_FINISH);
    ui.join();

    std::vector<double> gaps;
    for (std::size_t at = 1; at < g_frames.size(); ++at) {
        if (g_frames[at - 1] >= g_runStart && g_frames[at] <= g_runEnd) {
            gaps.push_back((g_frames[at] - g_frames[at - 1]) * 1000);
        }
    }
    std::printf("repair run on the worker: %.0f ms, %zu indicator frames during it\n",
                (g_runEnd - g_runStart) * 1000, gaps.size() + 1);
    if (!gaps.empty()) {
        std::printf("gap between frames: median %.1f ms, 99th percentile %.1f ms, largest %.1f ms\n",
                    Percentile(gaps, 0.5), Percentile(gaps, 0.99), Percentile(gaps, 1.0));
    }
    const std::u16string& log = ProcessLog().Path();
    DeleteFileW(ToWide(log).c_str());
}

// Starts the real program a few times and times each until its wizard is visible.
void MeasureStartToVisibleWizard(const std::wstring& program) {
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        const double start = Now();
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            std::printf("the program did not start\n");
            return;
        }
        const HWND sheet = SheetDriver::WaitForSheet();
        times.push_back((Now() - start) * 1000);
        if (sheet != nullptr) {
            SheetDriver(sheet).Press(PSBTN_CANCEL);
        }
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::printf("start to visible wizard: median %.0f ms, slowest %.0f ms (5 starts)\n", Percentile(times, 0.5),
                Percentile(times, 1.0));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kBenchSet);
    std::printf("keys created in the bench control set: %d\n", CreateBenchControlSet());
    MeasureFramesDuringRun();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kBenchSet);
    if (argc > 1) {
        MeasureStartToVisibleWizard(argv[1]);
    }
    return 0;
}
