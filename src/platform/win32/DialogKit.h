// What the driver's windows are built from without a resource script: an in-memory dialog template, fonts,
// child controls placed in pixels, and Windows-1251 texts as UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sb::platform::win32 {

// The module this code is linked into (the driver's DLL): the instance its windows are created for.
HINSTANCE ThisModule();

// A Windows-1251 text as UTF-16, for the W functions.
std::wstring WideFromCp1251(const std::string& text);

// A dialog template without controls; the dialog procedure creates them in WM_INITDIALOG.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, DWORD extendedStyle, const wchar_t* title);
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;  // heap storage, so DWORD-aligned as the template must be
};

// A font of the given face, character height in pixels and weight; deleted with the object.
class Font {
public:
    Font(const wchar_t* face, int pixelHeight, bool bold);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    HFONT get() const { return font_; }

private:
    HFONT font_;
};

// A solid brush, deleted with the object.
class Brush {
public:
    explicit Brush(COLORREF colour) : brush_(CreateSolidBrush(colour)) {}
    ~Brush() { DeleteObject(brush_); }
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;
    HBRUSH get() const { return brush_; }

private:
    HBRUSH brush_;
};

// Where a control stands in its dialog's client area, in pixels.
struct Place {
    int left;
    int top;
    int width;
    int height;
};

// A visible child control of dialog with the given class, text, style bits, place, identifier and font.
HWND AddControl(HWND dialog, const wchar_t* windowClass, const wchar_t* text, DWORD style, Place place, int id,
                HFONT font);

// Puts the window's outer top-left corner at left, top and sizes it so that its client area is width × height.
void PlaceWindow(HWND window, int left, int top, int clientWidth, int clientHeight);

}  // namespace sb::platform::win32
