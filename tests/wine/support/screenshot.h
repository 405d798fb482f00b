#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace halvorn::testing {

// Pixels read back from the screen, top row first, as 0x00RRGGBB.
struct ScreenPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// What the screen shows inside the window's rectangle (frame included), whichever process owns it.
ScreenPixels CaptureWindow(HWND window);

// What a window of this process has drawn in its client area, read from its own surface, so
// without waiting for the screen to show it.
ScreenPixels CaptureClient(HWND window);

// Writes the pixels as a PNG file; false when the file cannot be written.
bool WritePng(const ScreenPixels& image, const std::wstring& path);

// Gives the window half a second to paint, then saves what the screen shows of it as the PNG file
// name in the build's screenshot directory, for people to look at; false when it cannot be written.
bool SaveScreenshot(HWND window, const std::wstring& name);

}  // namespace halvorn::testing
