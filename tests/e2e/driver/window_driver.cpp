// Reading and driving another process's dialogs under Wine.
#include "tests/e2e/driver/window_driver.h"

#include <vector>

namespace vorn::e2e {

namespace {

struct Search {
    DWORD processId;
    std::function<bool(HWND)> match;
    HWND found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || !IsWindowVisible(window))
        return TRUE;
    char className[64];
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") != 0 || !search->match(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(DWORD processId, const std::function<bool(HWND)>& match)
{
    Search search{processId, match, nullptr};
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND FindDialog(DWORD processId, const std::string& caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] {
        found = FindTopLevel(processId, [&](HWND w) { return WindowText(w) == caption; });
        return found != nullptr;
    }, timeoutMs);
    return found;
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kSettleMs, nullptr);
    return text;
}

std::string ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? WindowText(item) : "<no control " + std::to_string(id) + ">";
}

bool ItemVisible(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item && (GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE);
}

bool ItemEnabled(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item && IsWindowEnabled(item);
}

bool ItemChecked(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSettleMs, &state);
    return state == BST_CHECKED;
}

RECT ItemRect(HWND dialog, int id)
{
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND FocusOf(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, UINT virtualKey)
{
    HWND target = FocusOf(dialog);
    if (!target)
        target = dialog;
    UINT scan = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void PressCloseBox(HWND dialog)
{
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void SetItemText(HWND dialog, int id, const std::string& text)
{
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, kSettleMs, nullptr);
}

namespace {

bool HasButton(HWND box, int id)
{
    HWND b = GetDlgItem(box, id);
    return b && IsWindowVisible(b);
}

// Pixels of a screen area, read through the screen's device context.
std::vector<COLORREF> Capture(HDC source, int x, int y, int width, int height)
{
    std::vector<COLORREF> pixels;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            pixels.push_back(GetPixel(memory, col, row));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// How many of the box's icon pixels differ from the system icon drawn by the
// driver on the same background, in percent (100 when the box has no icon).
// Icon handles cannot be compared across processes, images can.
int IconMismatch(HWND box, LPCSTR systemIcon)
{
    HWND iconControl = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child))
            iconControl = child;
    if (!iconControl)
        return 100;
    RECT r;
    GetWindowRect(iconControl, &r);
    return IconMismatchAt(r.left, r.top, LoadIconA(nullptr, systemIcon));
}

void ReadIcon(HWND box, MessageBoxSeen* seen)
{
    // The box may not have painted yet when it is found.
    WaitUntil([&] {
        int hand = IconMismatch(box, IDI_HAND), question = IconMismatch(box, IDI_QUESTION);
        seen->errorIcon = hand < 5 && hand < question;
        seen->questionIcon = question < 5 && question < hand;
        return seen->errorIcon || seen->questionIcon;
    });
}

}  // namespace

int IconMismatchAt(int x, int y, HICON icon)
{
    int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> shown = Capture(screen, x, y, width, height);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH background = CreateSolidBrush(shown[0]);  // an icon's corner is transparent
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, background);
    DeleteObject(background);
    DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> drawn = Capture(memory, 0, 0, width, height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    size_t differ = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        differ += shown[i] != drawn[i];
    return static_cast<int>(differ * 100 / shown.size());
}

BarSeen ReadMainBar(HWND wizard)
{
    BarSeen bar;
    RECT r;
    GetWindowRect(GetDlgItem(wizard, 173), &r);
    bar.width = r.right - r.left;
    int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels = Capture(screen, r.left, r.top, bar.width, height);
    ReleaseDC(nullptr, screen);
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * bar.width + x]; };
    bar.blackFrame = at(0, height / 2) == RGB(0, 0, 0) && at(bar.width - 1, height / 2) == RGB(0, 0, 0) &&
                     at(bar.width / 2, 0) == RGB(0, 0, 0) && at(bar.width / 2, height - 1) == RGB(0, 0, 0);
    for (int x = 0; x < bar.width; ++x)
        bar.fill += at(x, height / 2) == RGB(0, 70, 140);
    for (COLORREF c : pixels)
        bar.redText = bar.redText || c == RGB(255, 0, 0);
    return bar;
}

int ReadMemberBarFill(HWND wizard)
{
    RECT r;
    GetWindowRect(GetDlgItem(wizard, 171), &r);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> row = Capture(screen, r.left, (r.top + r.bottom) / 2, r.right - r.left, 1);
    ReleaseDC(nullptr, screen);
    int fill = 0;
    for (COLORREF c : row)
        fill += c == RGB(0, 200, 100);
    return fill;
}

bool WaitMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxSeen* box)
{
    HWND found = nullptr;
    WaitUntil([&] {
        found = FindTopLevel(processId, [](HWND w) {
            std::string caption = WindowText(w);
            return caption != "Vorn Select Folder" && caption != "Vorn v5.82 32bit Installation" &&
                   GetDlgItem(w, 0xFFFF) != nullptr;
        });
        return found != nullptr;
    }, timeoutMs);
    if (!found)
        return false;
    *box = MessageBoxSeen{};
    box->window = found;
    box->owner = GetWindow(found, GW_OWNER);
    box->caption = WindowText(found);
    box->text = ItemText(found, 0xFFFF);
    box->ok = HasButton(found, IDOK);
    box->yes = HasButton(found, IDYES);
    box->no = HasButton(found, IDNO);
    box->cancel = HasButton(found, IDCANCEL);
    ReadIcon(found, box);
    return true;
}

bool Answer(const MessageBoxSeen& box, int buttonId)
{
    PostMessageA(GetDlgItem(box.window, buttonId), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); });
}

namespace {

// List items read with the W messages: across processes the A forms return
// only the first character under Wine.
std::vector<std::wstring> ListItems(HWND list)
{
    std::vector<std::wstring> items;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH] = L"";
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

}  // namespace

std::string FolderListText(HWND picker)
{
    std::string all;
    for (const std::wstring& item : ListItems(GetDlgItem(picker, 1121))) {
        char text[MAX_PATH * 2];
        WideCharToMultiByte(CP_ACP, 0, item.c_str(), -1, text, sizeof text, nullptr, nullptr);
        all += (all.empty() ? "" : "|") + std::string(text);
    }
    return all;
}

bool OpenFolderInPicker(HWND picker, const std::string& name)
{
    HWND list = GetDlgItem(picker, 1121);
    std::wstring item = L"[";
    for (char c : name)
        item += static_cast<wchar_t>(c);
    item += L"]";
    LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(item.c_str()));
    if (index == LB_ERR)
        return false;
    SendMessageW(list, LB_SETCURSEL, index, 0);
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(1121, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    return true;
}

}  // namespace vorn::e2e
