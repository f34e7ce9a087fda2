// The installer's own pieces under Wine: the shell test on the versions that
// decide it, and both progress bars against the real wizard dialog, for
// files and members far larger than the demo package's.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/process_handles.h"
#include "common/ui_seam.h"
#include "resources/resource_ids.h"
#include "shell/startup.h"
#include "tests/support/files.h"
#include "wizard/progress_display.h"
#include "wizard/wizard_pages.h"
#include "wizard/wizard_state.h"

namespace vorn {
namespace {

struct VersionCase {
    const char* name;
    int major, minor;
    int newShell;
};

constexpr VersionCase kVersions[] = {
    {"Windows 95 (4.0)", 4, 0, 1},   {"Windows 98 (4.10)", 4, 10, 1}, {"Windows ME (4.90)", 4, 90, 1},
    {"Windows 3.10", 3, 10, 0},      {"NT 3.51", 3, 51, 0},           {"Windows 2000 (5.0)", 5, 0, 0},
    {"Windows XP (5.1)", 5, 1, 0},   {"Windows 7 (6.1)", 6, 1, 0},    {"3.95", 3, 95, 1},
    {"5.95", 5, 95, 1},              {"3.94", 3, 94, 0},
};

TEST(ShellTest, NewShellByVersion)
{
    for (const VersionCase& c : kVersions) {
        // GetVersion: major in the low byte, minor in the next, build above.
        const DWORD version = 0x0A280000u | (static_cast<DWORD>(c.minor) << 8) | static_cast<DWORD>(c.major);
        EXPECT_EQ(IsNewShell(version), c.newShell) << c.name;
    }
}

// The wizard dialog from the installer's own template, as the shell opens it
// but modeless, so that the test can call its parts directly; and a file of
// the case in the temporary folder. Both go when the test ends.
class WizardDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        appInstance = GetModuleHandleA(nullptr);
        dialog = CreateDialogParamA(appInstance, "INSTALL_DLG", nullptr, WizardDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        if (!path.empty())
            DeleteFileA(path.c_str());
    }

    HWND dialog = nullptr;
    std::string path;  // the case's file
};

// Both progress bars on the wizard dialog.
class WizardBarsTest : public WizardDialogTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(WizardDialogTest::SetUp());
        // On top, so that the pixels read back are the bars' own.
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        UpdateWindow(dialog);
        RECT r;
        GetWindowRect(GetDlgItem(dialog, IDC_MAIN_BAR), &r);
        width = r.right - r.left;
        ASSERT_GT(width, 0);
    }
    // The dialog's pixel in the middle row of a bar, x pixels right of its left edge.
    COLORREF BarPixel(int barId, int x)
    {
        RECT r;
        GetWindowRect(GetDlgItem(dialog, barId), &r);
        POINT p = {r.left + x, r.top + (r.bottom - r.top) / 2};
        ScreenToClient(dialog, &p);
        HDC dc = GetDC(dialog);
        const COLORREF pixel = GetPixel(dc, p.x, p.y);
        ReleaseDC(dialog, dc);
        return pixel;
    }

    int width = 0;
};

struct FillCase {
    const char* name;
    int64_t length, position;
    int numerator, denominator;  // the expected fill as a share of the bar's width
};

constexpr FillCase kFills[] = {
    {"start of a 1 MB file", 1000000, 0, 0, 1},
    {"half of a 1 MB file", 1000000, 500000, 1, 2},
    {"half of a 100 MB file", 100000000, 50000000, 1, 2},
    {"three quarters of a 400 MB file", 400000000, 300000000, 3, 4},
    {"end of a 400 MB file", 400000000, 400000000, 1, 1},
};

TEST_F(WizardBarsTest, FillFollowsThePositionForLargeFiles)
{
    for (const FillCase& c : kFills) {
        ClearMainBar();
        MoveMainBar(c.position, c.length);
        EXPECT_EQ(MainBarFill(), static_cast<int>(static_cast<long long>(width) * c.numerator / c.denominator))
            << c.name;
        // A length of 0 (nothing measured) leaves the fill as it was.
        const int fill = MainBarFill();
        MoveMainBar(c.position / 2, 0);
        EXPECT_EQ(MainBarFill(), fill) << c.name;
    }
}

// Redrawn as it stands: dark blue up to the fill, white just after it (the
// percentage starts 4 pixels further right).
TEST_F(WizardBarsTest, RedrawShowsTheStoredFill)
{
    MoveMainBar(1, 3);
    const int fill = MainBarFill();
    ASSERT_EQ(fill, width / 3);
    DrawMainBar(nullptr);
    EXPECT_EQ(MainBarFill(), fill);
    HDC dc = GetDC(dialog);
    const COLORREF blue = GetNearestColor(dc, RGB(0, 70, 140));
    ReleaseDC(dialog, dc);
    EXPECT_EQ(BarPixel(IDC_MAIN_BAR, fill - 2), blue);
    EXPECT_EQ(BarPixel(IDC_MAIN_BAR, fill + 2), RGB(255, 255, 255));
}

// The main bar as drawn from a stored fill, read back from the dialog: the
// black frame, the dark blue part (from the inner left edge up to the fill,
// at most to the inner right edge), and whether the red percentage shows.
TEST_F(WizardBarsTest, MainBarFrameFillAndPercentage)
{
    struct DrawCase {
        const char* name;
        int fill;
        int bluePixels;  // in the middle row
        bool percentShown;
    };
    const DrawCase cases[] = {
        {"empty: all white, 0% at the left", 0, 0, true},
        {"half", width / 2, width / 2 - 1, true},
        {"one pixel short of the right inner edge", width - 1, width - 2, false},
        {"beyond the bar", width + 10, width - 2, false},
    };
    RECT r;
    GetWindowRect(GetDlgItem(dialog, IDC_MAIN_BAR), &r);
    const int height = r.bottom - r.top;
    POINT origin = {r.left, r.top};
    ScreenToClient(dialog, &origin);
    for (const DrawCase& c : cases) {
        MoveMainBar(c.fill, width);  // a fill of exactly c.fill pixels
        // The bar's pixels, copied out of the dialog in one piece.
        HDC dc = GetDC(dialog);
        const COLORREF blue = GetNearestColor(dc, RGB(0, 70, 140));
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, dc, origin.x, origin.y, SRCCOPY);
        ReleaseDC(dialog, dc);
        int bluePixels = 0;
        bool red = false;
        for (int x = 0; x < width; ++x)
            bluePixels += GetPixel(memory, x, height / 2) == blue;
        for (int y = 1; y < height - 1; ++y)
            for (int x = 1; x < width - 1; ++x)
                red = red || GetPixel(memory, x, y) == RGB(255, 0, 0);
        const COLORREF black = RGB(0, 0, 0);
        const bool frame = GetPixel(memory, 0, height / 2) == black &&
                           GetPixel(memory, width - 1, height / 2) == black && GetPixel(memory, width / 2, 0) == black &&
                           GetPixel(memory, width / 2, height - 1) == black;
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EXPECT_TRUE(frame) << c.name << ": black frame";
        EXPECT_EQ(bluePixels, c.bluePixels) << c.name;
        EXPECT_EQ(red, c.percentShown) << c.name << ": percentage";
    }
}

// The member bar's split, read back from the dialog's pixels: filled in green
// up to done / total of the bar's width, white after it.
struct MemberCase {
    const char* name;
    uint32_t done, total;
    int numerator, denominator;
};

constexpr MemberCase kMembers[] = {
    {"half of 1000 bytes", 500, 1000, 1, 2},
    {"three quarters of 4000000000 bytes", 3000000000u, 4000000000u, 3, 4},
    {"a quarter of 40000000 bytes", 10000000, 40000000, 1, 4},
};

TEST_F(WizardBarsTest, MemberBarFillsItsShareInGreen)
{
    RECT r;
    GetWindowRect(GetDlgItem(dialog, IDC_MEMBER_BAR), &r);
    const int barWidth = r.right - r.left;
    for (const MemberCase& c : kMembers) {
        DrawMemberBar(nullptr, c.done, c.total);
        const int fill = barWidth * c.numerator / c.denominator;
        EXPECT_EQ(BarPixel(IDC_MEMBER_BAR, fill - 2), RGB(0, 200, 100)) << c.name;
        EXPECT_EQ(BarPixel(IDC_MEMBER_BAR, fill + 2), RGB(255, 255, 255)) << c.name;
    }
}

// The licence field, filled from RCDATA 3 of a module made for each case: a
// copy of this program whose resources are replaced by that one alone (none
// at all for the missing case), loaded as data and used as appInstance.
struct LicenceCase {
    const char* name;
    std::string resource;  // empty: no resource 3
    std::string shown;
};

std::string Lines(char letter, size_t bytes)
{
    std::string text;
    while (text.size() < bytes)
        text += std::string(38, letter) + "\r\n";
    return text.substr(0, bytes);
}

const LicenceCase kLicences[] = {
    {"text, end mark, more text", "Terms.\r\n***\r\nnot shown", "Terms.\r\n"},
    {"no end mark", "Terms without a mark.\r\n", "Terms without a mark.\r\n"},
    {"4000 bytes without a mark", Lines('a', 4000), Lines('a', 2900)},
    {"end mark after byte 2900", Lines('b', 2950) + "***\r\n", Lines('b', 2900)},
    {"end mark split by the 2900-byte cut", Lines('c', 2898) + "***", Lines('c', 2898) + "**"},
    {"NUL byte before the end mark", std::string("Kept.\0dropped\r\n***\r\n", 20), "Kept."},
    {"missing resource", "", ""},
};

class LicenceTest : public WizardDialogTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(WizardDialogTest::SetUp());
        char own[MAX_PATH];
        GetModuleFileNameA(nullptr, own, sizeof own);
        path = test::TemporaryFolder() + "vorn_licence_case.exe";
        ASSERT_TRUE(CopyFileA(own, path.c_str(), FALSE));
    }
    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
        appInstance = GetModuleHandleA(nullptr);
        WizardDialogTest::TearDown();
    }
    // Replaces every resource of the copy with RCDATA 3 (or with nothing)
    // and loads the copy as data.
    bool MakeModule(const std::string& licence)
    {
        if (module)
            FreeLibrary(module);
        module = nullptr;
        HANDLE update = BeginUpdateResourceA(path.c_str(), TRUE);
        if (!update)
            return false;
        if (!licence.empty() &&
            !UpdateResourceA(update, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(IDR_LICENCE),
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), const_cast<char*>(licence.data()),
                             static_cast<DWORD>(licence.size()))) {
            EndUpdateResourceA(update, TRUE);
            return false;
        }
        if (!EndUpdateResourceA(update, FALSE))
            return false;
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        return module != nullptr;
    }

    HMODULE module = nullptr;
};

TEST_F(LicenceTest, ShownUpToTheEndMarkNulOr2900Bytes)
{
    for (const LicenceCase& c : kLicences) {
        ASSERT_TRUE(MakeModule(c.resource)) << c.name << ": error " << GetLastError();
        SetDlgItemTextA(dialog, IDC_LICENCE_TEXT, "");
        appInstance = module;
        LoadWizardTexts(dialog);
        appInstance = GetModuleHandleA(nullptr);
        char shown[4000] = "";
        GetDlgItemTextA(dialog, IDC_LICENCE_TEXT, shown, sizeof shown);
        const std::string text = shown;
        EXPECT_TRUE(text == c.shown) << c.name << ": " << text.size() << " bytes shown, " << c.shown.size()
                                     << " expected, from \"" << text.substr(0, 24) << "...\"";
    }
}

}  // namespace
}  // namespace vorn
