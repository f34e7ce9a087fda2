// The wizard end to end: every page's controls, the layout of the groups,
// the centred dialog, every way out before Install, and the folder picker.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "tests/e2e/driver/outcome.h"
#include "tests/e2e/driver/scenario.h"
#include "tests/e2e/driver/window_driver.h"
#include "tests/e2e/driver/wizard_reference.h"

namespace vorn::e2e {
namespace {

struct Group {
    int first, last;
};
constexpr Group kGroups[] = {{130, 133}, {140, 142}, {150, 159}, {170, 173}, {180, 185}};

// One row of the page table.
struct PageRow {
    const char* name;
    int page;
    int shownGroup;  // first id of the group on show
    const char* button1;
    bool button1Shown, button1Enabled;
    const char* button2;
    int focusId;
    int defaultId;  // the button Enter presses: the focused one, else button 1
};

constexpr PageRow kRows[] = {
    {"Welcome", kWelcome, 130, "&Next >", true, true, "Cancel", 1, 1},
    {"License", kLicense, 140, "&Yes", true, true, "&No", 141, 1},
    {"Options", kOptions, 150, "&Install", true, true, "Cancel", 1, 1},
    {"Progress", kProgress, 170, "&Install", true, false, "Abort", 2, 2},
    {"Finish", kFinish, 180, nullptr, false, false, "&Finish", 2, 2},
};

// Which of buttons 1 and 2 carries the default style, as the dialog manager
// set it; 0 for neither, 3 for both.
int DefaultButtons(HWND wizard)
{
    int found = 0;
    for (int id : {1, 2})
        if ((GetWindowLongA(GetDlgItem(wizard, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            found |= id;
    return found;
}

// An edit control's selection: its start and end.
std::pair<int, int> Selection(HWND dialog, int id)
{
    DWORD_PTR selection = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kSettleMs, &selection);
    return {LOWORD(selection), HIWORD(selection)};
}

std::string Flag(bool b)
{
    return b ? "yes" : "no";
}

// Every difference between the live dialog and the row, one per line.
// withFocus: the Progress row is read while the abort question holds the focus.
std::string CheckRow(HWND wizard, const PageRow& row, bool withFocus = true)
{
    std::string faults;
    auto expect = [&](int id, bool visible, bool enabled) {
        if (ItemVisible(wizard, id) != visible)
            faults += "control " + std::to_string(id) + " visible " + Flag(!visible) + "\n";
        if (ItemEnabled(wizard, id) != enabled)
            faults += "control " + std::to_string(id) + " enabled " + Flag(!enabled) + "\n";
    };
    for (const Group& g : kGroups)
        for (int id = g.first; id <= g.last; ++id) {
            bool bar = id == 171 || id == 173;  // only rectangles: never shown
            if (bar) {
                if (ItemVisible(wizard, id))
                    faults += "bar rectangle " + std::to_string(id) + " shown\n";
            } else if (row.page == kProgress && g.first == 150) {
                if (id == 153)
                    expect(id, true, false);
                else if (id >= 155)
                    expect(id, false, false);
                else
                    expect(id, true, true);
            } else {
                bool shown = g.first == row.shownGroup;
                expect(id, shown, shown);
            }
        }
    if (ItemVisible(wizard, 121) || ItemEnabled(wizard, 121))
        faults += "Back button shown or enabled\n";
    if (ItemVisible(wizard, 120))
        faults += "icon placeholder 120 shown\n";
    if (row.button1 && ItemText(wizard, 1) != row.button1)
        faults += "button 1 reads \"" + ItemText(wizard, 1) + "\"\n";
    if (ItemVisible(wizard, 1) != row.button1Shown)
        faults += "button 1 shown " + Flag(!row.button1Shown) + "\n";
    if (ItemEnabled(wizard, 1) != row.button1Enabled)
        faults += "button 1 enabled " + Flag(!row.button1Enabled) + "\n";
    if (ItemText(wizard, 2) != row.button2)
        faults += "button 2 reads \"" + ItemText(wizard, 2) + "\"\n";
    if (!ItemVisible(wizard, 2) || !ItemEnabled(wizard, 2))
        faults += "button 2 hidden or disabled\n";
    if (withFocus && FocusOf(wizard) != GetDlgItem(wizard, row.focusId)) {
        int focusId = GetDlgCtrlID(FocusOf(wizard));
        faults += "focus on control " + std::to_string(focusId) + ", not " + std::to_string(row.focusId) + "\n";
    }
    if (withFocus && DefaultButtons(wizard) != row.defaultId)
        faults += "default buttons " + std::to_string(DefaultButtons(wizard)) + ", not " +
                  std::to_string(row.defaultId) + "\n";
    return faults;
}

class Wizard : public testing::Test {
protected:
    void SetUp() override { ClearInstallation(); }
    void TearDown() override { ClearInstallation(); }

    void Start(RunOptions options = {})
    {
        std::string error;
        ASSERT_TRUE(run.Launch(options, &error)) << error;
    }

    Scenario run;
};

TEST_F(Wizard, EveryPageShowsItsRow)
{
    RunOptions options;
    options.bigPackage = !inputs.bigInstaller.empty();
    Start(options);
    HWND w = run.wizard;
    ASSERT_TRUE(run.WaitPage(kWelcome));
    EXPECT_EQ(CheckRow(w, kRows[kWelcome]), "") << "page Welcome";
    Click(w, IDOK);
    ASSERT_TRUE(run.WaitPage(kLicense));
    EXPECT_EQ(CheckRow(w, kRows[kLicense]), "") << "page License";
    Click(w, IDOK);
    ASSERT_TRUE(run.WaitPage(kOptions));
    EXPECT_EQ(CheckRow(w, kRows[kOptions]), "") << "page Options";

    // Progress: the focus moves to Abort at once; the rest is read while the
    // abort question holds the extraction still.
    Click(w, IDOK);
    ASSERT_TRUE(run.WaitPage(kProgress));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(w) == GetDlgItem(w, 2); }))
        << "page Progress: focus on control " << GetDlgCtrlID(FocusOf(w));
    EXPECT_EQ(DefaultButtons(w), kRows[kProgress].defaultId) << "page Progress: default buttons";
    Click(w, IDCANCEL);
    MessageBoxSeen question;
    ASSERT_TRUE(WaitMessageBox(run.process.id, 5000, &question)) << "no abort question";
    EXPECT_EQ(ShownPage(w), kProgress);
    EXPECT_EQ(CheckRow(w, kRows[kProgress], false), "") << "page Progress";
    ASSERT_TRUE(Answer(question, IDNO));

    ASSERT_TRUE(run.WaitPage(kFinish, 120000));
    EXPECT_EQ(CheckRow(w, kRows[kFinish]), "") << "page Finish";
    Click(w, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
}

// The prefix's fonts as the wizard is drawn with them: its own font, MS Sans
// Serif, and Marlett, whose glyphs are the caption's buttons. Without them
// Wine draws with a stand-in (the close button reads "r", lines run long).
TEST(WineFonts, TheDialogFontAndTheCaptionSymbolsAreThere)
{
    for (const char* face : {"MS Sans Serif", "Marlett"}) {
        HDC dc = GetDC(nullptr);
        HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
        HGDIOBJ old = SelectObject(dc, font);
        char used[LF_FACESIZE] = "";
        GetTextFaceA(dc, sizeof used, used);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
        EXPECT_STREQ(used, face) << "asked for " << face;
    }
}

TEST_F(Wizard, StartsCentredWithTextsAndDefaults)
{
    Start();
    HWND w = run.wizard;
    ASSERT_TRUE(run.WaitPage(kWelcome));
    EXPECT_EQ(WindowText(w), "Vorn v5.82 32bit Installation");
    EXPECT_EQ(ItemText(w, 130),
              "Welcome to the Vorn installation program! This program will install Vorn v5.82 32bit on your computer.");
    EXPECT_EQ(ItemText(w, 152), kDefaultFolder);
    // The licence up to its end mark "***" (and at most 2900 bytes).
    std::string licence = ItemText(w, 141), carried;
    ASSERT_FALSE(inputs.licence.empty()) << "needs --licence";
    ASSERT_TRUE(ReadFileText(inputs.licence, &carried));
    carried = carried.substr(0, std::min<size_t>(carried.find("***"), 2900));
    EXPECT_FALSE(carried.empty());
    EXPECT_EQ(licence, carried);

    // Icon resource 2 painted at control 120's top-left corner.
    HMODULE module = LoadLibraryExA(run.program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);
    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(2), IMAGE_ICON, 32, 32, 0));
    ASSERT_TRUE(icon) << "no icon resource 2";
    RECT place;
    GetWindowRect(GetDlgItem(w, 120), &place);
    int mismatch = 100;
    WaitUntil([&] { return (mismatch = IconMismatchAt(place.left, place.top, icon)) < 5; });
    EXPECT_LT(mismatch, 5) << "percent of the icon's pixels that differ";
    DestroyIcon(icon);
    FreeLibrary(module);
    for (int id : {156, 157, 158})
        EXPECT_TRUE(ItemChecked(w, id)) << "box " << id;
    for (int id : {183, 184})
        EXPECT_FALSE(ItemChecked(w, id)) << "box " << id;

    // Centred on the desktop, the 10-pixel margin clamp not being needed here.
    RECT d, r;
    GetWindowRect(GetDesktopWindow(), &d);
    GetWindowRect(w, &r);
    LONG width = r.right - r.left, height = r.bottom - r.top;
    EXPECT_EQ(r.left, d.left + (d.right - d.left) / 2 - width / 2) << "dialog x";
    EXPECT_EQ(r.top, d.top + (d.bottom - d.top) / 2 - height / 2) << "dialog y";

    Click(w, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
}

// Template rectangles of the group members and the fixed controls (dialog units).
struct TemplateRect {
    int id, x, y, width, height;
};
constexpr TemplateRect kTemplate[] = {
    {180, 13, 862, 126, 11}, {181, 13, 881, 181, 18}, {182, 13, 907, 185, 27}, {183, 22, 938, 81, 12},
    {184, 22, 952, 81, 12},  {185, 13, 973, 186, 11}, {120, 187, 10, 21, 20},  {121, 83, 162, 40, 16},
    {1, 127, 162, 40, 16},   {2, 174, 162, 40, 16},   {130, 13, 233, 144, 27}, {131, 13, 267, 194, 19},
    {132, 13, 294, 196, 20}, {140, 13, 361, 166, 28}, {141, 11, 390, 201, 93}, {142, 13, 487, 187, 20},
    {150, 13, 565, 172, 10}, {151, 13, 581, 169, 19}, {154, 11, 603, 200, 27}, {152, 17, 615, 156, 9},
    {153, 175, 612, 32, 14}, {155, 13, 637, 150, 10}, {156, 32, 649, 147, 12}, {157, 32, 662, 181, 12},
    {158, 32, 675, 105, 12}, {159, 22, 692, 173, 17}, {170, 47, 759, 102, 10}, {171, 44, 770, 107, 3},
    {172, 47, 776, 72, 10},  {173, 44, 786, 107, 18}, {133, 13, 321, 186, 11},
};

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
           "x" + std::to_string(r.bottom - r.top) + ")";
}

TEST_F(Wizard, GroupsArePlacedByTheLayoutRules)
{
    Start();
    HWND w = run.wizard;
    ASSERT_TRUE(run.WaitPage(kWelcome));
    WizardReference ref;
    std::string error;
    ASSERT_TRUE(ref.Load(run.program, &error)) << error;

    // The template itself: every control where the table puts it.
    for (const TemplateRect& t : kTemplate) {
        ASSERT_TRUE(ref.HasItem(t.id)) << "template lacks control " << t.id;
        EXPECT_EQ(Describe(ref.Item(t.id)), Describe(ref.Map(t.x, t.y, t.width, t.height)))
            << "template rectangle of control " << t.id;
    }
    for (int unused : {134, 143, 160, 174, 186})
        EXPECT_FALSE(ref.HasItem(unused)) << "control " << unused << " would lengthen a group";

    // Fixed controls keep their template positions.
    for (int id : {1, 2, 120, 121})
        EXPECT_EQ(Describe(ItemRect(w, id)), Describe(ref.Item(id))) << "control " << id;

    RECT client;
    GetClientRect(w, &client);
    // The Options group first (the Progress group is placed under its box 156).
    auto placed = [&](int first, int last, POINT target) {
        RECT f = ref.Item(first);
        for (int id = first; id <= last; ++id) {
            RECT t = ref.Item(id);
            OffsetRect(&t, target.x - f.left, target.y - f.top);
            EXPECT_EQ(Describe(ItemRect(w, id)), Describe(t)) << "control " << id << " of group " << first;
        }
    };
    placed(130, 133, {20, 24});
    placed(140, 142, {20, 20});
    placed(150, 159, {20, 20});
    RECT f170 = ref.Item(170);
    LONG width170 = f170.right - f170.left;
    placed(170, 173, {client.right / 2 - width170 / 2, ItemRect(w, 156).top});
    placed(180, 185, {20, 30});

    Click(w, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
}

// Cancel, No, Escape and the close box on every page before Install.
enum Way { kButton2, kEscape, kCloseBox };
struct CancelCase {
    const char* name;
    int page;
    Way way;
};
constexpr CancelCase kCancelCases[] = {
    {"Welcome Cancel", kWelcome, kButton2},   {"Welcome Escape", kWelcome, kEscape},
    {"Welcome close box", kWelcome, kCloseBox}, {"License No", kLicense, kButton2},
    {"License Escape", kLicense, kEscape},    {"License close box", kLicense, kCloseBox},
    {"Options Cancel", kOptions, kButton2},   {"Options Escape", kOptions, kEscape},
    {"Options close box", kOptions, kCloseBox},
};

TEST_F(Wizard, EveryWayOutBeforeInstallEndsWithoutAQuestion)
{
    for (const CancelCase& c : kCancelCases) {
        SCOPED_TRACE(c.name);
        ClearInstallation();
        Scenario one;
        std::string error;
        ASSERT_TRUE(one.Launch({}, &error)) << error;
        ASSERT_TRUE(one.WaitPage(kWelcome));
        for (int page = kWelcome; page < c.page; ++page) {
            Click(one.wizard, IDOK);
            ASSERT_TRUE(one.WaitPage(page + 1));
        }
        switch (c.way) {
        case kButton2: Click(one.wizard, IDCANCEL); break;
        case kEscape: PressKey(one.wizard, VK_ESCAPE); break;
        case kCloseBox: PressCloseBox(one.wizard); break;
        }
        // A box would hold the process open: only then is there one to name.
        const long code = one.WaitExit();
        MessageBoxSeen box;
        if (code == -1 && WaitMessageBox(one.process.id, 0, &box))
            ADD_FAILURE() << "a box appeared: " << box.caption;
        EXPECT_EQ(code, 0);
        EXPECT_FALSE(IsFolder("C:\\Vorn")) << "something was installed";
        EXPECT_FALSE(UninstallKeyExists());
        EXPECT_FALSE(IsFile(kRecordFile)) << "the client was started";
    }
}

TEST_F(Wizard, EnterOnWelcomeOpensTheLicenceWithItsText)
{
    Start();
    HWND w = run.wizard;
    ASSERT_TRUE(run.WaitPage(kWelcome));
    EXPECT_EQ(FocusOf(w), GetDlgItem(w, IDOK)) << "focus on \"&Next >\" after start-up";
    PressKey(w, VK_RETURN);
    ASSERT_TRUE(run.WaitPage(kLicense));
    EXPECT_EQ(FocusOf(w), GetDlgItem(w, 141)) << "focus in the licence text";
    // Shown from its first line, nothing selected, the caret at its start.
    EXPECT_EQ(Selection(w, 141), std::make_pair(0, 0)) << "the licence's selection";
    EXPECT_EQ(SendMessageA(GetDlgItem(w, 141), EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the licence's first line shown";
    Click(w, IDCANCEL);  // "&No"
    EXPECT_EQ(run.WaitExit(), 0);
}

TEST_F(Wizard, MissingWizardTemplateShowsTheSystemErrorAndExits)
{
    // A copy whose wizard template cannot be found by its name.
    std::string bytes;
    ASSERT_TRUE(ReadFileText(inputs.installer, &bytes));
    const std::string name("I\0N\0S\0T\0A\0L\0L\0_\0D\0L\0G\0", 22);
    size_t at = bytes.find(name);
    ASSERT_NE(at, std::string::npos) << "no resource named INSTALL_DLG";
    bytes[at + 20] = 'H';
    CreateDirectoryA(kRunFolder, nullptr);
    Launch launch;
    launch.program = std::string(kRunFolder) + "\\vornsetup-notemplate.exe";
    ASSERT_TRUE(WriteFileText(launch.program, bytes));
    std::string error;
    ASSERT_TRUE(vorn::test::Start(launch, &run.process, &error)) << error;
    MessageBoxSeen box;
    ASSERT_TRUE(WaitMessageBox(run.process.id, 10000, &box));
    EXPECT_EQ(box.caption, "System Error");
    EXPECT_EQ(box.text, "Unable to display dialog");
    EXPECT_TRUE(box.ok && !box.yes && !box.no);
    EXPECT_TRUE(box.errorIcon);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(GetWindowLongA(box.window, GWL_EXSTYLE) & WS_EX_TOPMOST) << "system modal";
    ASSERT_TRUE(Answer(box, IDOK));
    const long code = run.WaitExit();
    MessageBoxSeen second;
    if (code == -1 && WaitMessageBox(run.process.id, 0, &second))
        ADD_FAILURE() << "a second box: " << second.caption;
    EXPECT_EQ(code, 0);
}

TEST_F(Wizard, CancelBeforeInstallStillSeedsTheIgnoreListAtTheDriveRoot)
{
    // No folder was chosen: the settings path is "\vorn.ini" on the current drive.
    ASSERT_TRUE(WriteFileText("C:\\vorn.ini", "[options]\r\nnick=tester\r\n"));
    Start();
    ASSERT_TRUE(run.WaitPage(kWelcome));
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
    char ignore[256] = "", nick[32] = "";
    GetPrivateProfileStringA("text", "ignore", "", ignore, sizeof ignore, "C:\\vorn.ini");
    GetPrivateProfileStringA("options", "nick", "", nick, sizeof nick, "C:\\vorn.ini");
    DeleteFileA("C:\\vorn.ini");
    EXPECT_STREQ(ignore, "*.exe,*.com,*.bat,*.dll,*.ini,*.mrc,*.vbs,*.js,*.pif,*.scr,*.lnk,*.pl,*.shs");
    EXPECT_STREQ(nick, "tester") << "the rest of the file is left alone";
    EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(Wizard, ProposesTheRootOfTheInstallersOwnFixedDrive)
{
    // Started where it was built, on drive Z: (Wine's view of the Unix root).
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string expected = GetDriveTypeA("z:\\") == DRIVE_FIXED
                               ? "z:\\Vorn"
                               : std::string(1, static_cast<char>(tolower(windows[0]))) + ":\\Vorn";
    std::string error;
    ASSERT_TRUE(run.LaunchFile(inputs.installer, {}, &error)) << error;
    ASSERT_TRUE(run.WaitPage(kWelcome));
    EXPECT_EQ(ItemText(run.wizard, 152), expected) << "drive type of Z: " << GetDriveTypeA("z:\\");
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
}

// Run by with-cd-drive.sh, which maps a CD-ROM drive and names it in VORN_CD_DRIVE.
TEST_F(Wizard, CdDriveStartProposesTheWindowsDriveAndMakesItCurrent)
{
    char drive[8] = "";
    if (!GetEnvironmentVariableA("VORN_CD_DRIVE", drive, sizeof drive))
        GTEST_SKIP() << "no CD-ROM drive mapped (see with-cd-drive.sh)";
    std::string root = std::string(drive) + "\\";
    ASSERT_EQ(GetDriveTypeA(root.c_str()), static_cast<UINT>(DRIVE_CDROM)) << root;
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string windowsRoot = std::string(1, windows[0]) + ":\\";

    // A settings file at the root of both drives: the early Cancel below seeds
    // "\vorn.ini" on whichever drive is current.
    const std::string text = "[options]\r\nnick=tester\r\n";
    ASSERT_TRUE(WriteFileText(root + "vorn.ini", text));
    ASSERT_TRUE(WriteFileText(windowsRoot + "vorn.ini", text));
    ASSERT_TRUE(CopyFileA(inputs.installer.c_str(), (root + "vornsetup.exe").c_str(), FALSE));
    RunOptions options;
    options.workDir = root;
    std::string error;
    ASSERT_TRUE(run.LaunchFile(root + "vornsetup.exe", options, &error)) << error;
    ASSERT_TRUE(run.WaitPage(kWelcome));
    EXPECT_EQ(ItemText(run.wizard, 152), std::string(1, static_cast<char>(tolower(windows[0]))) + ":\\Vorn");
    Click(run.wizard, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);

    std::string onCd, onWindows;
    ReadFileText(root + "vorn.ini", &onCd);
    ReadFileText(windowsRoot + "vorn.ini", &onWindows);
    DeleteFileA((root + "vorn.ini").c_str());
    DeleteFileA((windowsRoot + "vorn.ini").c_str());
    DeleteFileA((root + "vornsetup.exe").c_str());
    EXPECT_EQ(onCd, text) << "the CD-ROM drive stayed current";
    EXPECT_NE(onWindows.find("ignore="), std::string::npos) << "the Windows drive did not become current";
}

TEST_F(Wizard, FolderPickerProposesAndReturnsTheChoice)
{
    CreateDirectoryA("C:\\e2egames", nullptr);
    CreateDirectoryA("C:\\vornold", nullptr);
    Start();
    HWND w = run.wizard;
    ASSERT_TRUE(run.GoToOptions());
    ASSERT_EQ(ItemText(w, 152), kDefaultFolder);

    // First Browse: starts at the drive root and proposes "<root>vorn".
    Click(w, 153);
    HWND picker = FindDialog(run.process.id, "Vorn Select Folder", kSettleMs);
    ASSERT_TRUE(picker);
    EXPECT_TRUE(WaitUntil([&] { return ItemText(picker, 102) == "c:\\vorn"; }))
        << "proposal at the root: " << ItemText(picker, 102);
    EXPECT_EQ(Selection(picker, 102), std::make_pair(7, 7)) << "the caret at the proposal's end, nothing selected";

    struct Move {
        const char* into;
        const char* proposal;
    } moves[] = {
        {"e2egames", "c:\\e2egames\\vorn"},  // "\vorn" added
        {"..", "c:\\vorn"},                  // back at the root: no doubled backslash
        {"vornold", "c:\\vornold"},          // the path already holds "\vorn"
    };
    for (const Move& m : moves) {
        ASSERT_TRUE(OpenFolderInPicker(picker, m.into)) << "no folder [" << m.into << "] in " << FolderListText(picker);
        EXPECT_TRUE(WaitUntil([&] { return ItemText(picker, 102) == m.proposal; }))
            << "after opening " << m.into << ": " << ItemText(picker, 102);
    }

    // Cancel leaves control 152 as it was.
    Click(picker, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_EQ(ItemText(w, 152), kDefaultFolder);

    // A typed choice comes back in lower case.
    Click(w, 153);
    picker = FindDialog(run.process.id, "Vorn Select Folder", kSettleMs);
    ASSERT_TRUE(picker);
    // The picker proposes its folder and takes the focus as it is shown; text
    // typed before that would be overwritten.
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(picker) == GetDlgItem(picker, 102) && !ItemText(picker, 102).empty(); }))
        << "the second picker proposed nothing";
    SetItemText(picker, 102, "C:\\E2EGames\\MyVorn");
    Click(picker, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); })) << "OK did not close the picker";
    EXPECT_TRUE(WaitUntil([&] { return ItemText(w, 152) == "c:\\e2egames\\myvorn"; }))
        << "control 152 reads " << ItemText(w, 152);

    Click(w, IDCANCEL);
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_FALSE(IsFolder("C:\\e2egames\\myvorn"));
    RemoveDirectoryA("C:\\e2egames");
    RemoveDirectoryA("C:\\vornold");
}

}  // namespace
}  // namespace vorn::e2e
