// The two progress bars of the Progress page, drawn by hand with plain GDI
// over the rectangles of the hidden group boxes 173 (main) and 171 (member),
// and the engine's user-interface seam connected to the wizard dialog.
#include "wizard/progress_display.h"

#include "common/process_handles.h"
#include "common/ui_seam.h"
#include "package/error_boxes.h"
#include "resources/resource_ids.h"
#include "wizard/wizard_pages.h"

namespace vorn {
namespace {

constexpr COLORREF kMainFill = RGB(0, 70, 140);
constexpr COLORREF kMemberFill = RGB(0, 200, 100);
constexpr COLORREF kPercentText = RGB(255, 0, 0);
constexpr COLORREF kPercentBack = RGB(255, 255, 255);

// The main bar's filled width in pixels, kept between draws: a repaint of the
// page draws it as it stands.
int mainBarFill;

// A bar's rectangle in the dialog's client coordinates.
RECT BarRect(const RECT& screen)
{
    POINT topLeft = {screen.left, screen.top}, bottomRight = {screen.right, screen.bottom};
    ScreenToClient(wizardDialog, &topLeft);
    ScreenToClient(wizardDialog, &bottomRight);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

// The black frame, then the inner band split at the fill: the filled part
// (empty when fill is 0) and the white remainder (empty when the fill
// reaches the right inner edge). Right edges are exclusive.
struct BarParts {
    RECT filled;
    RECT unfilled;
    bool hasFilled;
    bool hasUnfilled;
};

BarParts SplitBar(const RECT& r, int fill)
{
    BarParts parts = {};
    const int top = r.top + 1, bottom = r.bottom - 1;
    if (fill > 0) {
        parts.hasFilled = true;
        if (r.left + fill >= r.right - 1) {
            parts.filled = {r.left + 1, top, r.right - 1, bottom};
        } else {
            parts.filled = {r.left + 1, top, r.left + fill, bottom};
            parts.unfilled = {r.left + fill, top, r.right - 1, bottom};
            parts.hasUnfilled = true;
        }
    } else {
        parts.unfilled = {r.left + 1, top, r.right - 1, bottom};
        parts.hasUnfilled = true;
    }
    return parts;
}

void FillWith(HDC dc, const RECT& part, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &part, brush);
    DeleteObject(brush);
}

// Frames a bar and paints its filled and its white part.
BarParts PaintBar(HDC dc, const RECT& r, int fill, COLORREF colour)
{
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const BarParts parts = SplitBar(r, fill);
    if (parts.hasFilled)
        FillWith(dc, parts.filled, colour);
    if (parts.hasUnfilled)
        FillRect(dc, &parts.unfilled, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return parts;
}

// The percentage, in red on white, just right of the fill.
void DrawPercent(HDC dc, const RECT& unfilled, int barRight, int percent)
{
    char text[16];
    wsprintfA(text, "%d%%", percent);
    COLORREF oldText = SetTextColor(dc, kPercentText);
    COLORREF oldBack = SetBkColor(dc, kPercentBack);
    const int x = unfilled.left + 4;
    const int y = unfilled.top + (unfilled.bottom - unfilled.top) / 5;
    RECT clip = {x, unfilled.top, barRight - 1, unfilled.bottom};
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, text, lstrlenA(text), nullptr);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

// A bar's rectangle, in screen and in dialog coordinates. Asking the window
// manager for it costs more than the drawing, so it is taken once per draw,
// and for the member bar once as each member's decode begins: nothing moves
// the dialog while a member decodes (no messages are handled meanwhile).
struct BarPlace {
    RECT screen;
    RECT client;
};
BarPlace memberBarPlace;

BarPlace PlaceOf(int bar)
{
    BarPlace place;
    GetWindowRect(GetDlgItem(wizardDialog, bar), &place.screen);
    place.client = BarRect(place.screen);
    return place;
}

int WidthOf(const BarPlace& place)
{
    return place.screen.right - place.screen.left;
}

// Draws the member bar at its place for done of total bytes.
void PaintMemberBar(HDC dc, const BarPlace& place, uint32_t done, uint32_t total)
{
    HDC own = dc ? nullptr : GetDC(wizardDialog);
    HDC target = dc ? dc : own;
    if (!target)
        return;
    const uint32_t width = static_cast<uint32_t>(WidthOf(place));
    // In 64 bits, like the main bar: width times done overflows 32 bits for
    // members of some tens of megabytes.
    const int fill = total > 0 ? static_cast<int>(static_cast<uint64_t>(width) * done / total) : 0;
    PaintBar(target, place.client, fill, kMemberFill);
    if (own)
        ReleaseDC(wizardDialog, own);
}

// Asked once as each member's decode begins.
int MemberBarWidth(void*)
{
    memberBarPlace = PlaceOf(IDC_MEMBER_BAR);
    RECT r;
    GetClientRect(GetDlgItem(wizardDialog, IDC_MEMBER_BAR), &r);
    // The decoder divides by this: never hand it 0.
    return r.right - r.left > 0 ? r.right - r.left : 1;
}

void ReportMember(void*, uint32_t done, uint32_t total)
{
    PaintMemberBar(nullptr, memberBarPlace, done, total);
}

// After a member: the member bar's area is erased and stays blank.
void RepaintMember(void*)
{
    InvalidateControl(wizardDialog, IDC_MEMBER_BAR);
    UpdateWindow(wizardDialog);
}

void SetStatusLine(const char* text)
{
    SendDlgItemMessageA(wizardDialog, IDC_STATUS, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

bool MainBarStarted()
{
    return mainBarFill > 0;
}

// Draws the main bar at its place with its fill as it stands.
void PaintMainBar(HDC dc, const BarPlace& place)
{
    HDC own = dc ? nullptr : GetDC(wizardDialog);
    HDC target = dc ? dc : own;
    if (!target)
        return;
    const int width = WidthOf(place);
    const BarParts parts = PaintBar(target, place.client, mainBarFill, GetNearestColor(target, kMainFill));
    if (parts.hasUnfilled) {
        const int percent = mainBarFill > 0 && width > 0 ? mainBarFill * 100 / width : 0;
        DrawPercent(target, parts.unfilled, place.client.right, percent);
    }
    if (own)
        ReleaseDC(wizardDialog, own);
}

void ShowErrorBox(int number)
{
    if (const ErrorBox* box = FindErrorBox(number))
        MessageBoxA(wizardDialog, box->text, box->caption, MB_ICONERROR | MB_OK);
}

}  // namespace

int MainBarFill()
{
    return mainBarFill;
}

void ClearMainBar()
{
    mainBarFill = 0;
}

void MoveMainBar(int64_t position, int64_t length)
{
    const BarPlace place = PlaceOf(IDC_MAIN_BAR);
    // In 64 bits: position times width overflows 32 bits for files of some
    // tens of megabytes. Unsigned, as every operand is at least 0: the stub
    // then needs only the runtime's unsigned 64-bit division.
    if (length > 0)
        mainBarFill = static_cast<int>(static_cast<uint64_t>(position) * static_cast<uint32_t>(WidthOf(place)) /
                                       static_cast<uint64_t>(length));
    PaintMainBar(nullptr, place);
}

void DrawMainBar(HDC dc)
{
    PaintMainBar(dc, PlaceOf(IDC_MAIN_BAR));
}

void DrawMemberBar(HDC dc, uint32_t done, uint32_t total)
{
    PaintMemberBar(dc, PlaceOf(IDC_MEMBER_BAR), done, total);
}

MemberProgressSink MemberBarSink()
{
    return {MemberBarWidth, ReportMember, RepaintMember, nullptr};
}

void ConnectExtractionUi()
{
    extractionUi = {SetStatusLine, MoveMainBar, MainBarStarted, ShowErrorBox, MemberBarSink()};
}

}  // namespace vorn
