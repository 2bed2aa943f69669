#include "UiDriving.h"

#include <fstream>
#include <vector>

#include "Check.h"

namespace wintest {
namespace {

constexpr DWORD kPollMs = 10;
constexpr UINT kAnswerMs = 2000;  // a window that does not answer a message within this is hung

void DispatchWaiting() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool ClassIs(HWND window, const wchar_t* windowClass) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return lstrcmpiW(name, windowClass) == 0;
}

}  // namespace

HWND CreateHostWindow() {
    return CreateWindowExW(0, L"Static", L"Test host", WS_OVERLAPPEDWINDOW, 600, 400, 300, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool WaitDispatching(HANDLE handle, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) return false;
        const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs - spent, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) return false;
        DispatchWaiting();
    }
}

void DispatchFor(DWORD durationMs) {
    const DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < durationMs; spent = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, durationMs - spent, QS_ALLINPUT);
        DispatchWaiting();
    }
}

HWND WaitForVisibleWindow(const wchar_t* windowClass, const wchar_t* title, DWORD timeoutMs,
                          const std::function<bool(HWND)>& accept) {
    const DWORD start = GetTickCount();
    do {
        for (HWND window = FindWindowExW(nullptr, nullptr, windowClass, title); window != nullptr;
             window = FindWindowExW(nullptr, window, windowClass, title)) {
            if (IsWindowVisible(window) && (!accept || accept(window))) return window;
        }
        Sleep(kPollMs);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool WaitWindowGoneOrHidden(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(kPollMs);
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

HWND ChildAt(HWND parent, const wchar_t* windowClass, int left, int top) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT place = PlaceOf(child);
        if (place.left == left && place.top == top && ClassIs(child, windowClass)) return child;
    }
    return nullptr;
}

RECT PlaceOf(HWND window) {
    RECT place{};
    GetWindowRect(window, &place);
    const HWND parent = GetAncestor(window, GA_PARENT);
    if (parent != nullptr && parent != GetDesktopWindow()) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    }
    return place;
}

std::string ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return std::to_string(client.right) + "x" + std::to_string(client.bottom);
}

std::string Origin(HWND window) {
    const RECT place = PlaceOf(window);
    return std::to_string(place.left) + "," + std::to_string(place.top);
}

std::string TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kAnswerMs, &length);
    return Utf8(std::wstring(text, length < 1024 ? length : 0));
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

bool SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    const bool answered =
        SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &answer) != 0;
    if (result != nullptr) *result = static_cast<LRESULT>(answer);
    return answered;
}

int DarkPixels(HWND window, RECT area) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int dark = 0;
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const auto* pixel = static_cast<const unsigned char*>(bits);
        for (int i = 0; i < width * height; ++i, pixel += 4) dark += pixel[0] + pixel[1] + pixel[2] < 150;
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return dark;
}

bool SaveScreenshot(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != 0;
    SelectObject(memory, previous);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows, as BMP files keep them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(rowBytes * static_cast<DWORD>(height));
    const bool read = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                          reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!read) return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out.flush());
}

DWORD WINAPI TestThread::RunScript(LPVOID self) {
    static_cast<TestThread*>(self)->script_();
    return 0;
}

TestThread::TestThread(std::function<void()> script) : script_(std::move(script)) {
    thread_ = CreateThread(nullptr, 0, &RunScript, this, 0, nullptr);
}

TestThread::~TestThread() {
    if (thread_ == nullptr) return;
    Finish(kAnswerMs, "test thread ends");
    CloseHandle(thread_);
}

bool TestThread::Finish(DWORD timeoutMs, const std::string& what) {
    if (thread_ == nullptr) return Expect(false, what, "no test thread");
    if (WaitDispatching(thread_, timeoutMs)) return true;
    // The script still uses this frame's objects: the run cannot go on safely.
    Abandon(what, "still running after " + std::to_string(timeoutMs) + " ms");
}

void Abandon(const std::string& what, const std::string& detail) {
    Report(false, what, detail + "; the checks end here");
    ExitProcess(1);
}

}  // namespace wintest
