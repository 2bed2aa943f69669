// ParamFrm: the operator's settings dialog, built in pixels when it opens and destroyed when it closes.
#include <windows.h>

#include "platform/win32/DialogKit.h"
#include "settings/SettingsDialog.h"

namespace sb {
namespace {

namespace win32 = platform::win32;

// Control identifiers: S0..S3 and C0..C3 by scale button, T10Com1..T10Com8 by line.
constexpr int kS0 = 100;
constexpr int kC0 = 110;
constexpr int kSpeedList = 120;
constexpr int kT10Com0 = 130;  // T10Com1 is kT10Com0 + 1
constexpr int kScaleButtons = 4;
constexpr int kT10Lines = 8;

// Radio buttons are plain ones: the group click handler alone decides which button of a group is selected.
constexpr DWORD kRadio = BS_RADIOBUTTON;
constexpr DWORD kGroupStart = WS_GROUP | WS_TABSTOP;

enum class Face { Text, Digits, Caption, List };

struct Control {
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    win32::Place place;  // in the dialog's client area: a group box's children carry the box's offset
    int id;
    Face face;
};

constexpr int kBox1X = 8, kBox1Y = 8, kBox2X = 8, kBox2Y = 63, kBox3X = 247, kBox3Y = 8;

// In creation order, which is the tab order and the z-order from the top. In each group box the buttons come
// first, then the digit picture they sit on, then the box: each clips out the siblings above it, so none paints
// over another.
constexpr DWORD kUnder = WS_GROUP | WS_CLIPSIBLINGS;
const Control kControls[] = {
    {L"BUTTON", L"", kRadio | kGroupStart, {kBox1X + 186, kBox1Y + 29, 15, 17}, kS0 + 1, Face::Text},
    {L"BUTTON", L"", kRadio, {kBox1X + 159, kBox1Y + 29, 15, 17}, kS0 + 2, Face::Text},
    {L"BUTTON", L"", kRadio, {kBox1X + 134, kBox1Y + 29, 15, 17}, kS0 + 3, Face::Text},
    {L"BUTTON", L"", kRadio, {kBox1X + 208, kBox1Y + 29, 15, 17}, kS0 + 0, Face::Text},
    {L"STATIC", L"6  5  4  3  2  1", SS_LEFTNOWORDWRAP | kUnder, {kBox1X + 74, kBox1Y + 16, 136, 25}, -1, Face::Digits},
    {L"BUTTON",
     L"Количество знаков после запятой в сумме",
     BS_GROUPBOX | kUnder,
     {kBox1X, kBox1Y, 233, 49},
     -1,
     Face::Text},
    {L"BUTTON", L"", kRadio | kGroupStart, {kBox2X + 186, kBox2Y + 29, 15, 17}, kC0 + 1, Face::Text},
    {L"BUTTON", L"", kRadio, {kBox2X + 159, kBox2Y + 29, 15, 17}, kC0 + 2, Face::Text},
    {L"BUTTON", L"", kRadio, {kBox2X + 134, kBox2Y + 29, 15, 17}, kC0 + 3, Face::Text},
    {L"BUTTON", L"", kRadio, {kBox2X + 208, kBox2Y + 29, 15, 17}, kC0 + 0, Face::Text},
    {L"STATIC",
     L"       4  3  2  1",
     SS_LEFTNOWORDWRAP | kUnder,
     {kBox2X + 75, kBox2Y + 16, 135, 25},
     -1,
     Face::Digits},
    {L"BUTTON",
     L"Количество знаков после запятой в цене",
     BS_GROUPBOX | kUnder,
     {kBox2X, kBox2Y, 233, 49},
     -1,
     Face::Text},
    {L"BUTTON", L"OK", BS_DEFPUSHBUTTON | kGroupStart, {82, 158, 75, 25}, IDOK, Face::Text},
    {L"BUTTON", L"Отмена", BS_PUSHBUTTON | WS_TABSTOP, {165, 158, 75, 25}, IDCANCEL, Face::Text},
    {L"STATIC", L"Скорость связи", SS_LEFTNOWORDWRAP | WS_GROUP, {49, 124, 102, 16}, -1, Face::Caption},
    // The height of a drop-down list is that of its open list; the closed box takes its height from the font.
    {L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | kGroupStart, {157, 118, 78, 120}, kSpeedList, Face::List},
    {L"BUTTON", L"Com1", BS_AUTOCHECKBOX | kGroupStart, {kBox3X + 16, kBox3Y + 24, 49, 17}, kT10Com0 + 1, Face::Text},
    {L"BUTTON", L"Com2", BS_AUTOCHECKBOX | WS_TABSTOP, {kBox3X + 16, kBox3Y + 47, 49, 17}, kT10Com0 + 2, Face::Text},
    {L"BUTTON", L"Com3", BS_AUTOCHECKBOX | WS_TABSTOP, {kBox3X + 16, kBox3Y + 70, 49, 17}, kT10Com0 + 3, Face::Text},
    {L"BUTTON", L"Com4", BS_AUTOCHECKBOX | WS_TABSTOP, {kBox3X + 16, kBox3Y + 93, 49, 17}, kT10Com0 + 4, Face::Text},
    {L"BUTTON", L"Com5", BS_AUTOCHECKBOX | WS_TABSTOP, {328, 32, 49, 17}, kT10Com0 + 5, Face::Text},
    {L"BUTTON", L"Com6", BS_AUTOCHECKBOX | WS_TABSTOP, {328, 55, 49, 17}, kT10Com0 + 6, Face::Text},
    {L"BUTTON", L"Com7", BS_AUTOCHECKBOX | WS_TABSTOP, {328, 78, 49, 17}, kT10Com0 + 7, Face::Text},
    {L"BUTTON", L"Com8", BS_AUTOCHECKBOX | WS_TABSTOP, {328, 101, 49, 17}, kT10Com0 + 8, Face::Text},
    {L"BUTTON", L"Отсчетное устройство T10", BS_GROUPBOX | kUnder, {kBox3X, kBox3Y, 154, 137}, -1, Face::Text},
};

// The state of one run of the dialog.
struct ParamFrm {
    SettingsChoice& choice;
    win32::Font text{L"Tahoma", 11, false};
    win32::Font digits{L"Tahoma", 21, false};
    win32::Font caption{L"Tahoma", 13, true};
    win32::Font list{L"Tahoma", 16, true};
    bool sBusy = false;  // S0Click is at work
    bool cBusy = false;  // C0Click is at work

    explicit ParamFrm(SettingsChoice& preset) : choice(preset) {}

    HFONT FontOf(Face face) const {
        switch (face) {
            case Face::Digits: return digits.get();
            case Face::Caption: return caption.get();
            case Face::List: return list.get();
            case Face::Text: break;
        }
        return text.get();
    }
};

// The clicked button becomes the only selected one of its group. The busy flag keeps the handler from running
// inside itself through the check changes it makes.
void SelectInGroup(HWND dialog, int firstId, bool& busy, int button) {
    if (busy) return;
    busy = true;
    for (int other = 0; other < kScaleButtons; ++other) CheckDlgButton(dialog, firstId + other, BST_UNCHECKED);
    CheckDlgButton(dialog, firstId + button, BST_CHECKED);
    busy = false;
}

void S0Click(ParamFrm& form, HWND dialog, int button) { SelectInGroup(dialog, kS0, form.sBusy, button); }
void C0Click(ParamFrm& form, HWND dialog, int button) { SelectInGroup(dialog, kC0, form.cBusy, button); }

int SelectedInGroup(HWND dialog, int firstId) {
    for (int button = 0; button < kScaleButtons; ++button) {
        if (IsDlgButtonChecked(dialog, firstId + button) == BST_CHECKED) return button;
    }
    return SettingsChoice::kNone;
}

bool IsScaleButton(int button) { return button >= 0 && button < kScaleButtons; }

void FormCreate(ParamFrm& form, HWND dialog) {
    for (const Control& control : kControls) {
        win32::AddControl(dialog, control.windowClass, control.text, control.style, control.place, control.id,
                          form.FontOf(control.face));
    }
    HWND speedList = GetDlgItem(dialog, kSpeedList);
    SendMessageW(speedList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"2400"));
    SendMessageW(speedList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"9600"));
    SendMessageW(speedList, CB_SETCURSEL, form.choice.speed == 1 ? 1 : 0, 0);
    if (IsScaleButton(form.choice.amountScale)) S0Click(form, dialog, form.choice.amountScale);
    if (IsScaleButton(form.choice.priceScale)) C0Click(form, dialog, form.choice.priceScale);
    for (int line = 1; line <= kT10Lines; ++line) {
        CheckDlgButton(dialog, kT10Com0 + line, form.choice.t10[line] ? BST_CHECKED : BST_UNCHECKED);
    }
    win32::PlaceWindow(dialog, 0, 0, 444, 192);
}

// What OK hands back: the selection as it stands.
void TakeChoice(ParamFrm& form, HWND dialog) {
    form.choice.speed = SendDlgItemMessageW(dialog, kSpeedList, CB_GETCURSEL, 0, 0) == 1 ? 1 : 0;
    form.choice.amountScale = SelectedInGroup(dialog, kS0);
    form.choice.priceScale = SelectedInGroup(dialog, kC0);
    for (int line = 1; line <= kT10Lines; ++line) {
        form.choice.t10[line] = IsDlgButtonChecked(dialog, kT10Com0 + line) == BST_CHECKED;
    }
}

void OnCommand(ParamFrm& form, HWND dialog, int id, int notification) {
    if (notification != BN_CLICKED) return;
    if (IsScaleButton(id - kS0)) {
        S0Click(form, dialog, id - kS0);
    } else if (IsScaleButton(id - kC0)) {
        C0Click(form, dialog, id - kC0);
    } else if (id == IDOK) {
        TakeChoice(form, dialog);
        EndDialog(dialog, IDOK);
    } else if (id == IDCANCEL) {  // the Cancel button, Esc and the close box
        EndDialog(dialog, IDCANCEL);
    }
}

INT_PTR CALLBACK ParamFrmProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        FormCreate(*reinterpret_cast<ParamFrm*>(lParam), dialog);
        return TRUE;  // the first tab stop takes the focus: the selected scale button, or OK
    }
    auto* form = reinterpret_cast<ParamFrm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (form == nullptr || message != WM_COMMAND) return FALSE;
    OnCommand(*form, dialog, LOWORD(wParam), HIWORD(wParam));
    return TRUE;
}

}  // namespace

bool ShowSettingsDialog(SettingsChoice& choice) {
    SettingsChoice edited = choice;
    ParamFrm form(edited);
    const win32::DialogTemplate frame(
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, L"Настройка ТРК S&B");
    // No owner. The dialog procedure ends the run only through EndDialog, which also destroys the window.
    const INT_PTR result = DialogBoxIndirectParamW(win32::ThisModule(), frame.get(), nullptr, &ParamFrmProc,
                                                   reinterpret_cast<LPARAM>(&form));
    if (result != IDOK) return false;
    choice = edited;
    return true;
}

}  // namespace sb
