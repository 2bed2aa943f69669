#include "SettingsDialogChecks.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "Check.h"
#include "UiDriving.h"

namespace wintest {
namespace {

const wchar_t kTitle[] = L"Настройка ТРК S&B";
constexpr DWORD kAppearMs = 5000;
constexpr DWORD kOperatorMs = 15000;

// The controls as the operator sees them, in the dialog's client area.
struct Expected {
    const char* name;
    const wchar_t* windowClass;
    const char* text;  // UTF-8; nullptr: not compared
    RECT place;        // bottom 0: height not compared (a drop-down list's is its open list's)
};

const Expected kLayout[] = {
    {"GroupBox1", L"Button", "Количество знаков после запятой в сумме", {8, 8, 241, 57}},
    {"Label1", L"Static", "6  5  4  3  2  1", {82, 24, 218, 49}},
    {"S3", L"Button", "", {142, 37, 157, 54}},
    {"S2", L"Button", "", {167, 37, 182, 54}},
    {"S1", L"Button", "", {194, 37, 209, 54}},
    {"S0", L"Button", "", {216, 37, 231, 54}},
    {"GroupBox2", L"Button", "Количество знаков после запятой в цене", {8, 63, 241, 112}},
    {"Label2", L"Static", "       4  3  2  1", {83, 79, 218, 104}},
    {"C3", L"Button", "", {142, 92, 157, 109}},
    {"C2", L"Button", "", {167, 92, 182, 109}},
    {"C1", L"Button", "", {194, 92, 209, 109}},
    {"C0", L"Button", "", {216, 92, 231, 109}},
    {"Label3", L"Static", "Скорость связи", {49, 124, 151, 140}},
    {"SpeedList", L"ComboBox", nullptr, {157, 118, 235, 0}},
    {"GroupBox3", L"Button", "Отсчетное устройство T10", {247, 8, 401, 145}},
    {"T10Com1", L"Button", "Com1", {263, 32, 312, 49}},
    {"T10Com2", L"Button", "Com2", {263, 55, 312, 72}},
    {"T10Com3", L"Button", "Com3", {263, 78, 312, 95}},
    {"T10Com4", L"Button", "Com4", {263, 101, 312, 118}},
    {"T10Com5", L"Button", "Com5", {328, 32, 377, 49}},
    {"T10Com6", L"Button", "Com6", {328, 55, 377, 72}},
    {"T10Com7", L"Button", "Com7", {328, 78, 377, 95}},
    {"T10Com8", L"Button", "Com8", {328, 101, 377, 118}},
    {"BitBtn1", L"Button", "OK", {82, 158, 157, 183}},
    {"BitBtn2", L"Button", "Отмена", {165, 158, 240, 183}},
};

HWND Control(HWND dialog, const std::string& name) {
    for (const Expected& control : kLayout) {
        if (name == control.name) return ChildAt(dialog, control.windowClass, control.place.left, control.place.top);
    }
    return nullptr;
}

// The names of the controls an operator tabs through (all but labels and group boxes), in the dialog's order.
std::string TabOrder(HWND dialog) {
    std::string order;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT place = PlaceOf(child);
        for (const Expected& control : kLayout) {
            const std::string name = control.name;
            if (place.left != control.place.left || place.top != control.place.top) continue;
            if (name.compare(0, 5, "Label") != 0 && name.compare(0, 8, "GroupBox") != 0) {
                order += (order.empty() ? "" : " ") + name;
            }
        }
    }
    return order;
}

bool IsChecked(HWND dialog, const std::string& name) {
    LRESULT state = 0;
    return SendWithin(Control(dialog, name), BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

// The selected buttons of a group ('S' or 'C') in the order 0..3, such as "S2", or "" for none.
std::string Selected(HWND dialog, char group) {
    std::string selected;
    for (char button = '0'; button <= '3'; ++button) {
        const std::string name{group, button};
        if (IsChecked(dialog, name)) selected += (selected.empty() ? "" : " ") + name;
    }
    return selected;
}

// The check boxes T10Com1..T10Com8 as "0" and "1".
std::string T10Lines(HWND dialog) {
    std::string lines;
    for (int line = 1; line <= 8; ++line) lines += IsChecked(dialog, "T10Com" + std::to_string(line)) ? '1' : '0';
    return lines;
}

LRESULT SpeedItem(HWND dialog) {
    LRESULT item = CB_ERR;
    SendWithin(Control(dialog, "SpeedList"), CB_GETCURSEL, 0, 0, &item);
    return item;
}

// The items of SpeedList, separated by spaces.
std::string SpeedItems(HWND dialog) {
    HWND list = Control(dialog, "SpeedList");
    LRESULT count = 0;
    SendWithin(list, CB_GETCOUNT, 0, 0, &count);
    std::string items;
    for (LRESULT item = 0; item < count && item < 16; ++item) {
        wchar_t text[32] = {};
        LRESULT length = 0;
        if (!SendWithin(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0, &length) || length >= 32) break;
        SendWithin(list, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
        items += (items.empty() ? "" : " ") + Utf8(text);
    }
    return items;
}

bool Click(HWND dialog, const std::string& name) { return SendWithin(Control(dialog, name), BM_CLICK); }

void CheckLayout(HWND dialog) {
    ExpectEqual(ClientSize(dialog), std::string("444x192"), "settings dialog: client area 444x192");
    ExpectEqual(Origin(dialog), std::string("0,0"), "settings dialog: at the top left corner of the screen");
    Expect(GetWindow(dialog, GW_OWNER) == nullptr, "settings dialog: has no owner");
    Expect((GetWindowLongW(dialog, GWL_STYLE) & WS_THICKFRAME) != 0, "settings dialog: has a sizeable border");
    std::string misplaced;
    for (const Expected& control : kLayout) {
        HWND window = Control(dialog, control.name);
        const RECT place = window != nullptr ? PlaceOf(window) : RECT{};
        const bool placed = window != nullptr && place.right == control.place.right &&
                            (control.place.bottom == 0 || place.bottom == control.place.bottom);
        if (!placed || (control.text != nullptr && TextOf(window) != control.text)) {
            misplaced += std::string(misplaced.empty() ? "" : ", ") + control.name;
        }
    }
    Expect(misplaced.empty(), "settings dialog: every control has its class, place, size and text", misplaced);
    // Left of S3 only Label1's first digits stand; Label3 stands alone.
    Sleep(300);  // shown a moment ago: let it paint
    Expect(DarkPixels(dialog, {82, 24, 142, 49}) > 20, "settings dialog: the digit picture of Label1 is visible");
    Expect(DarkPixels(dialog, {49, 124, 151, 140}) > 20, "settings dialog: Label3 is visible");
    ExpectEqual(TabOrder(dialog),
                std::string("S1 S2 S3 S0 C1 C2 C3 C0 BitBtn1 BitBtn2 SpeedList T10Com1 T10Com2 T10Com3 T10Com4 "
                            "T10Com5 T10Com6 T10Com7 T10Com8"),
                "settings dialog: the controls' tab order");
    Expect((GetWindowLongW(Control(dialog, "BitBtn1"), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
           "settings dialog: OK is the default button");
    Expect((GetWindowLongW(Control(dialog, "SpeedList"), GWL_STYLE) & 3) == CBS_DROPDOWNLIST,
           "settings dialog: SpeedList is a drop-down list without typing");
    ExpectEqual(SpeedItems(dialog), std::string("2400 9600"), "settings dialog: SpeedList holds \"2400\" and \"9600\"");
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of section SB, in the file's order.
std::vector<std::string> SectionSB(const std::string& content) {
    std::vector<std::string> lines;
    bool inSection = false;
    for (size_t start = 0; start < content.size();) {
        size_t end = content.find("\r\n", start);
        if (end == std::string::npos) end = content.size();
        const std::string line = content.substr(start, end - start);
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[SB]";
        } else if (inSection && !line.empty()) {
            lines.push_back(line);
        }
        start = end + 2;
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += line + " ";
    return joined;
}

// The speed the driver configures a point's line with when slot 16 opens it.
uint32_t OpenedLineSpeed(HostSetup& host, uint32_t point) {
    host.Slots().OpenLine(host.driver, point);
    return host.LastPortCall(17, point).arg2;
}

// Run 1: the preset from the driver's settings (Baud 9600, SDec 100, PDec 100, T10 on line 8), the group click
// handlers, then a new choice confirmed with OK into a cnf.INI that does not exist yet.
void CheckOk(HostSetup& host, TestMenuItem& entry, const SettingsFile& file) {
    DeleteFileA(file.Path().c_str());
    ClickSettingsEntry(entry, [&](HWND dialog) {
        CheckLayout(dialog);
        ExpectEqual(Selected(dialog, 'S'), std::string("S2"), "settings dialog: SDec 100 selects S2 alone");
        ExpectEqual(Selected(dialog, 'C'), std::string("C2"), "settings dialog: PDec 100 selects C2 alone");
        ExpectEqual(SpeedItem(dialog), LRESULT{1}, "settings dialog: Baud 9600 selects the item \"9600\"");
        ExpectEqual(T10Lines(dialog), std::string("00000001"), "settings dialog: T10Com8 alone is checked");
        Expect(SaveScreenshot("settings-dialog.bmp"), "settings dialog: screenshot settings-dialog.bmp saved");

        Click(dialog, "S0");
        ExpectEqual(Selected(dialog, 'S'), std::string("S0"), "settings dialog: clicking S0 leaves S0 alone selected");
        Click(dialog, "S2");
        ExpectEqual(Selected(dialog, 'S'), std::string("S2"),
                    "settings dialog: clicking S2 while S0 is selected leaves S2 alone selected");
        Click(dialog, "C1");
        ExpectEqual(Selected(dialog, 'C'), std::string("C1"), "settings dialog: clicking C1 leaves C1 alone selected");
        SendWithin(Control(dialog, "SpeedList"), CB_SETCURSEL, 0);
        Click(dialog, "T10Com2");
        Click(dialog, "T10Com8");
        ExpectEqual(T10Lines(dialog), std::string("01000000"), "settings dialog: the check boxes follow clicks");
        return Click(dialog, "BitBtn1");
    });

    const std::vector<std::string> expected = {"Baud=2400", "SDec=100", "PDec=10", "T10_1=0", "T10_2=1", "T10_3=0",
                                               "T10_4=0",   "T10_5=0",  "T10_6=0", "T10_7=0", "T10_8=0"};
    const std::vector<std::string> written = SectionSB(ReadWhole(file.Path()));
    Expect(written == expected, "settings dialog: OK writes section SB of cnf.INI with its eleven keys in order",
           Joined(written));
    ExpectEqual(OpenedLineSpeed(host, kDeliveryPoint), 2400u,
                "settings dialog: after OK the driver opens lines at 2400");
    ExpectEqual(OpenedLineSpeed(host, kSlotPoint), static_cast<uint32_t>(SB_T10_SPEED_CODE),
                "settings dialog: after OK line 2 is opened as a T10 line");
    ExpectEqual(OpenedLineSpeed(host, kT10Point), 2400u, "settings dialog: after OK line 8 is an ordinary line again");
}

// Run 2: the dialog shows what OK chose; Cancel after changes leaves the driver and the file as they were.
void CheckCancel(HostSetup& host, TestMenuItem& entry, const SettingsFile& file) {
    const std::string before = ReadWhole(file.Path());
    ClickSettingsEntry(entry, [&](HWND dialog) {
        Expect(Selected(dialog, 'S') == "S2" && Selected(dialog, 'C') == "C1" && SpeedItem(dialog) == 0 &&
                   T10Lines(dialog) == "01000000",
               "settings dialog: opened again, it shows the settings chosen with OK");
        Click(dialog, "S3");
        Click(dialog, "C0");
        SendWithin(Control(dialog, "SpeedList"), CB_SETCURSEL, 1);
        Click(dialog, "T10Com8");
        return Click(dialog, "BitBtn2");
    });
    Expect(ReadWhole(file.Path()) == before, "settings dialog: Cancel leaves cnf.INI as it was");
    ExpectEqual(OpenedLineSpeed(host, kDeliveryPoint), 2400u, "settings dialog: Cancel leaves the driver's speed");
    ExpectEqual(OpenedLineSpeed(host, kT10Point), 2400u, "settings dialog: Cancel leaves line 8 without T10");
}

}  // namespace

void ClickSettingsEntry(TestMenuItem& entry, const std::function<bool(HWND dialog)>& operate) {
    TestThread operatorSide([&] {
        HWND dialog = WaitForVisibleWindow(L"#32770", kTitle, kAppearMs);
        if (!Expect(dialog != nullptr, "settings dialog: the menu entry opens \"Настройка ТРК S&B\"")) return;
        if (operate(dialog)) return;
        SendWithin(dialog, WM_COMMAND, IDCANCEL);
        if (!WaitWindowGoneOrHidden(dialog, kAppearMs)) Abandon("settings dialog: cancelled", "it stays open");
    });
    // Returns when the dialog has closed: it is modal in this thread.
    entry.onClick.code(entry.onClick.self, &entry);
    operatorSide.Finish(kOperatorMs, "settings dialog: the operator's side ends");
}

void CheckSettingsDialog(HostSetup& host, TestMenuItem& entry, const SettingsFile& file) {
    CheckOk(host, entry, file);
    CheckCancel(host, entry, file);
}

}  // namespace wintest
