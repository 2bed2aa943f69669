#include "platform/win32/DialogKit.h"

#include <cstring>

// The linker's symbol at the start of the module's image: its instance handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace sb::platform::win32 {

HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::wstring WideFromCp1251(const std::string& text) {
    if (text.empty()) return {};
    // Code page 1251 maps every byte to one UTF-16 unit, so the wide text has as many units as bytes.
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return wide;
}

DialogTemplate::DialogTemplate(DWORD style, DWORD extendedStyle, const wchar_t* title) {
    const DLGTEMPLATE header{style, extendedStyle, 0, 0, 0, 0, 0};  // no controls; placed in WM_INITDIALOG
    words_.resize(sizeof header / sizeof(WORD));
    std::memcpy(words_.data(), &header, sizeof header);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the system's dialog class
    for (const wchar_t* c = title; *c != L'\0'; ++c) words_.push_back(static_cast<WORD>(*c));
    words_.push_back(0);
}

Font::Font(const wchar_t* face, int pixelHeight, bool bold)
    // A negative height asks for that character height, internal leading excluded.
    : font_(CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face)) {}

Font::~Font() {
    if (font_ != nullptr) DeleteObject(font_);
}

HWND AddControl(HWND dialog, const wchar_t* windowClass, const wchar_t* text, DWORD style, Place place, int id,
                HFONT font) {
    HWND control =
        CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top, place.width,
                        place.height, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (control != nullptr && font != nullptr) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
}

void PlaceWindow(HWND window, int left, int top, int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace sb::platform::win32
