// The compiled templates as Windows builds them: each dialog's caption, font, style and
// size, and its controls in tab order with their class, id, text, style and place.
#include "platform/windows/windows_api.h"
// clang-format off
#include <commctrl.h>
// clang-format on
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "scc/win32_dialogs/dialog_ids.h"
#include "scc/win32_dialogs/tests/dialog_script.h"

namespace brelmoxscc::testing {
namespace {

struct ExpectedControl {
    const wchar_t* className;
    int id;
    const wchar_t* text;
    RECT units;   // left, top, width, height in dialog units
    DWORD style;  // bits that must be set; for buttons also the button type
};

struct ExpectedDialog {
    int templateId;
    const wchar_t* caption;
    int width;
    int height;
    DWORD style;
    std::span<const ExpectedControl> controls;
};

constexpr DWORD kModal = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
// The dialog manager draws an edit's WS_BORDER as a sunken client edge instead.
constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kReadOnly = kEdit | ES_READONLY;
constexpr DWORD kDefault = WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
// A list box drops WS_VSCROLL while its entries fit.
constexpr DWORD kProjects = WS_TABSTOP | LBS_SORT | LBS_NOTIFY;

constexpr ExpectedControl kLogin[] = {
    {L"Button", IDOK, L"OK", {97, 62, 50, 14}, kDefault},
    {L"Button", IDCANCEL, L"Cancel", {156, 62, 50, 14}, kButton},
    {L"Edit", 1000, L"", {70, 7, 136, 14}, kEdit},
    {L"Static", -1, L"Organization:", {7, 11, 59, 10}, SS_RIGHT},
    {L"Edit", 1002, L"", {70, 24, 136, 14}, kEdit},
    {L"Edit", 1003, L"", {70, 41, 136, 14}, kEdit | ES_PASSWORD},
    {L"Static", -1, L"Password:", {7, 45, 59, 10}, SS_RIGHT},
    {L"Static", -1, L"Username:", {7, 28, 59, 10}, SS_RIGHT},
};

constexpr ExpectedControl kSelectProject[] = {
    {L"Button", IDOK, L"OK", {177, 7, 50, 14}, kDefault},
    {L"Button", IDCANCEL, L"Cancel", {177, 24, 50, 14}, kButton},
    {L"ListBox", 1002, L"", {7, 73, 220, 62}, kProjects},
    {L"Static", -1, L"New Project Description:", {7, 35, 109, 8}, SS_LEFT},
    {L"Static", -1, L"Add New Project:", {7, 7, 109, 8}, SS_LEFT},
    {L"Edit", 1003, L"", {7, 17, 160, 15}, kEdit},
    {L"Static", -1, L"Select Existing Project:", {7, 63, 109, 8}, SS_LEFT},
    {L"Edit", 1004, L"", {7, 45, 220, 15}, kEdit},
};

constexpr ExpectedControl kSetProject[] = {
    {L"Button", IDOK, L"OK", {216, 7, 50, 14}, kDefault},
    {L"Button", IDCANCEL, L"Cancel", {216, 24, 50, 14}, kButton},
    {L"ListBox", 1002, L"", {7, 104, 259, 62}, kProjects},
    {L"Static", -1, L"Project Description:", {7, 66, 109, 8}, SS_LEFT},
    {L"Static", -1, L"Create Project:", {7, 38, 109, 8}, SS_LEFT},
    {L"Edit", 1003, L"", {7, 48, 160, 15}, kEdit},
    {L"Static", -1, L"Select Existing Project:", {7, 94, 109, 8}, SS_LEFT},
    {L"Edit", 1004, L"", {7, 76, 259, 15}, kEdit},
    {L"Static",
     -1,
     L"There is no Brelmox project in the Repository for the project you are opening.  Click "
     L"OK to create it or select an existing project and click OK.",
     {7, 7, 204, 25},
     SS_LEFT},
};

constexpr ExpectedControl kProgress[] = {
    {L"Button", IDCANCEL, L"Cancel", {201, 7, 50, 14}, kButton},
    {L"Static", 1004, L"Static", {7, 7, 183, 17}, SS_LEFT},
    {L"Static", 1005, L"Static", {7, 38, 231, 17}, SS_LEFT},
};

constexpr ExpectedControl kHistory[] = {
    {L"SysListView32",
     1006,
     L"",
     {7, 7, 387, 109},
     WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS},
    {L"Button", 1007, L"Get", {286, 124, 50, 14}, kButton},
    {L"Button", IDOK, L"Close", {344, 124, 50, 14}, kDefault},
};

constexpr ExpectedControl kProperties[] = {
    {L"Button", IDOK, L"OK", {73, 158, 50, 14}, kDefault},
    {L"Button", IDCANCEL, L"Cancel", {160, 158, 50, 14}, kButton},
    {L"Edit", 1010, L"", {63, 18, 147, 14}, kReadOnly},
    {L"Static", -1, L"Filename:", {6, 21, 55, 8}, SS_LEFT},
    {L"Edit", 1011, L"", {63, 36, 147, 14}, kReadOnly},
    {L"Static", -1, L"Version:", {6, 39, 55, 8}, SS_LEFT},
    {L"Edit", 1012, L"", {63, 54, 147, 14}, kReadOnly},
    {L"Static", -1, L"Status:", {6, 57, 55, 8}, SS_LEFT},
    {L"Edit", 1020, L"", {63, 72, 147, 14}, kReadOnly},
    {L"Static", -1, L"Created by:", {6, 75, 55, 8}, SS_LEFT},
    {L"Edit", 1014, L"", {63, 90, 147, 14}, kReadOnly},
    {L"Static", -1, L"Creation Date:", {6, 93, 55, 8}, SS_LEFT},
    {L"Edit", 1015, L"", {63, 111, 147, 36}, kReadOnly},
    {L"Static", -1, L"Description:", {6, 114, 55, 8}, SS_LEFT},
};

constexpr ExpectedControl kOptions[] = {
    {L"Button", IDOK, L"OK", {339, 7, 50, 14}, kDefault},
    {L"Button", IDCANCEL, L"Cancel", {339, 24, 50, 14}, kButton},
    {L"Button", -1, L"File Comparison Utility", {7, 7, 320, 72}, BS_GROUPBOX},
    {L"Edit", 1008, L"", {17, 56, 248, 14}, kEdit},
    {L"Button", 1009, L"Browse", {273, 56, 50, 14}, kButton},
    {L"Static",
     -1,
     L"Enter command line to invoke file comparison utility.",
     {17, 20, 296, 8},
     SS_LEFT},
    {L"Static", -1, L"Enclose program in quotes if path has spaces.", {17, 31, 189, 8}, SS_LEFT},
    {L"Static",
     -1,
     L"Use '%s' to indicate position of files to compare.",
     {17, 42, 189, 8},
     SS_LEFT},
};

const ExpectedDialog kDialogs[] = {
    {1000, L"Brelmox Login", 213, 83, kModal, kLogin},
    {1004, L"Brelmox Select Project", 234, 142, kModal, kSelectProject},
    {1001, L"Brelmox Set Project", 273, 174, kModal, kSetProject},
    {1002, L"", 258, 73, WS_POPUP | WS_CAPTION | DS_MODALFRAME, kProgress},
    {1005, L"Version History", 401, 145, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
     kHistory},
    {1007, L"SCC Properties", 217, 179, kModal, kProperties},
    {1006, L"Brelmox Options", 396, 86, kModal, kOptions},
};

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Position and size are converted apart, as the dialog manager does, so that the rounding
// of each is that of the control's.
RECT InPixels(HWND dialog, const RECT& units) {
    RECT origin{units.left, units.top, units.left, units.top};
    RECT size{0, 0, units.right, units.bottom};
    MapDialogRect(dialog, &origin);
    MapDialogRect(dialog, &size);
    return {origin.left, origin.top, origin.left + size.right, origin.top + size.bottom};
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

void ExpectControl(HWND dialog, HWND child, const ExpectedControl& expected) {
    EXPECT_EQ(ClassOf(child), expected.className);
    EXPECT_EQ(GetDlgCtrlID(child), expected.id);
    EXPECT_EQ(Text(child), expected.text);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
    EXPECT_EQ(style & expected.style, expected.style) << std::hex << style;
    if (ClassOf(child) == L"Button") {
        EXPECT_EQ(style & BS_TYPEMASK, expected.style & BS_TYPEMASK);
    }
    RECT placed;
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    const RECT wanted = InPixels(dialog, expected.units);
    EXPECT_EQ(placed.left, wanted.left);
    EXPECT_EQ(placed.top, wanted.top);
    EXPECT_EQ(placed.right, wanted.right);
    // A list box without LBS_NOINTEGRALHEIGHT shortens itself to whole rows.
    if (ClassOf(child) != L"ListBox") {
        EXPECT_EQ(placed.bottom, wanted.bottom);
    }
}

TEST(DialogTemplatesTest, BuildAsDesigned) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    for (const ExpectedDialog& expected : kDialogs) {
        SCOPED_TRACE(expected.templateId);
        const HWND dialog = CreateDialogParamW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(expected.templateId), nullptr, Inert, 0);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Text(dialog), expected.caption);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE));
        EXPECT_EQ(style & expected.style, expected.style) << std::hex << style;
        // Only the history dialog can be resized.
        EXPECT_EQ((style & WS_THICKFRAME) != 0, expected.templateId == 1005);

        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg");
        const HDC screen = GetDC(nullptr);
        EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(nullptr, screen);

        RECT client;
        GetClientRect(dialog, &client);
        const RECT size = InPixels(dialog, {0, 0, expected.width, expected.height});
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);

        // Children are created, and tabbed through, in template order.
        HWND child = GetWindow(dialog, GW_CHILD);
        for (const ExpectedControl& control : expected.controls) {
            SCOPED_TRACE(::testing::Message() << "control " << control.id << " " << control.text);
            ASSERT_NE(child, nullptr);
            ExpectControl(dialog, child, control);
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(child, nullptr) << "more controls than designed";
        DestroyWindow(dialog);
    }
}

}  // namespace
}  // namespace brelmoxscc::testing
