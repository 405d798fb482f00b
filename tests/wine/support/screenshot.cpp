#include "tests/wine/support/screenshot.h"

#include <array>
#include <fstream>

#include "ui/gdi_handles.h"

namespace halvorn::testing {

namespace {

std::uint32_t Crc32(const std::string& bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char byte : bytes) {
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void AppendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = type + data;
    out += typed;
    AppendBigEndian(out, Crc32(typed));
}

// A zlib stream of stored (uncompressed) blocks: a screenshot file need not be small.
std::string StoredZlib(const std::string& data) {
    std::string out = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (const unsigned char byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at == 0 || at < data.size(); at += 65535) {
        const std::size_t length = std::min<std::size_t>(65535, data.size() - at);
        out.push_back(at + length >= data.size() ? 1 : 0);
        const auto size = static_cast<std::uint16_t>(length);
        for (const std::uint16_t half : {size, static_cast<std::uint16_t>(~size)}) {
            out.push_back(static_cast<char>(half & 0xFF));
            out.push_back(static_cast<char>(half >> 8));
        }
        out.append(data, at, length);
    }
    AppendBigEndian(out, (b << 16) | a);
    return out;
}

// The pixels of a rectangle of what GetDC gives for window: the screen for no window.
ScreenPixels Capture(HWND window, int x, int y, int width, int height) {
    ScreenPixels image{width, height, {}};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const WindowDc source(window);
    const MemoryDc memory(source.get());
    const GdiObject<HBITMAP> bitmap(CreateDIBSection(source.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap) {
        return {};
    }
    const SelectedObject selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, source.get(), x, y, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    image.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
    for (std::uint32_t& pixel : image.pixels) {
        pixel &= 0x00FFFFFF;
    }
    return image;
}

}  // namespace

ScreenPixels CaptureWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return Capture(nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

ScreenPixels CaptureClient(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return Capture(window, 0, 0, rect.right, rect.bottom);
}

bool WritePng(const ScreenPixels& image, const std::wstring& path) {
    std::string rows;
    rows.reserve(static_cast<std::size_t>(image.height) * (image.width * 3 + 1));
    for (int y = 0; y < image.height; ++y) {
        rows.push_back(0);  // no filter
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.At(x, y);
            rows.push_back(static_cast<char>(pixel >> 16));
            rows.push_back(static_cast<char>(pixel >> 8));
            rows.push_back(static_cast<char>(pixel));
        }
    }
    std::string header;
    AppendBigEndian(header, static_cast<std::uint32_t>(image.width));
    AppendBigEndian(header, static_cast<std::uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, truecolour, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", StoredZlib(rows));
    AppendChunk(png, "IEND", "");
    std::ofstream file(path.c_str(), std::ios::binary);
    file.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

bool SaveScreenshot(HWND window, const std::wstring& name) {
    Sleep(500);  // the window's thread paints in its own time
    CreateDirectoryW(HALVORN_SCREENSHOT_DIR, nullptr);
    return WritePng(CaptureWindow(window), std::wstring(HALVORN_SCREENSHOT_DIR L"\\") + name);
}

}  // namespace halvorn::testing
