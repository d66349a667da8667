/* What a window shows, as text, for the installer test (tests/windows/desktop.sh):
 * the visible top-level window whose title holds TITLE, then each of its visible
 * controls on a line, "CLASS<TAB>ID<TAB>STATE<TAB>TEXT", STATE being checked or
 * unchecked for a check box and - otherwise; line breaks in a text are written \n.
 * In UTF-8; exit code 1 when no such window is there.
 *   windowtexts.exe TITLE
 * The controls of a Windows program are no windows of the X display (wine draws
 * them itself), so only a program inside can read them. */
#include <wchar.h>
#include <windows.h>

static HANDLE out;

static void put(const wchar_t* text) {
    static char bytes[4 * 8192];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, NULL, NULL);
    DWORD written;
    if (n > 1)
        WriteFile(out, bytes, (DWORD)(n - 1), &written, NULL);
}

static void putText(HWND window) {
    wchar_t text[4096], escaped[8192];
    // Of another program's edit box only WM_GETTEXT gets the text; GetWindowText does not.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, (LPARAM)text, SMTO_ABORTIFHUNG, 5000,
                             &length))
        length = 0;
    int j = 0;
    for (DWORD_PTR i = 0; i < length && j < 8190; ++i) {
        if (text[i] == L'\r')
            continue;
        if (text[i] == L'\n') {
            escaped[j++] = L'\\';
            escaped[j++] = L'n';
        } else if (text[i] == L'\t') {
            escaped[j++] = L' ';
        } else {
            escaped[j++] = text[i];
        }
    }
    escaped[j] = 0;
    put(escaped);
}

static BOOL CALLBACK control(HWND window, LPARAM unused) {
    (void)unused;
    if (!IsWindowVisible(window))
        return TRUE;
    wchar_t className[256], line[300];
    GetClassNameW(window, className, 256);
    const wchar_t* state = L"-";
    LONG style = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    if (wcscmp(className, L"Button") == 0 && (style == BS_CHECKBOX || style == BS_AUTOCHECKBOX ||
                                              style == BS_3STATE || style == BS_AUTO3STATE))
        state = SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED ? L"checked" : L"unchecked";
    swprintf(line, 300, L"%ls\t%d\t%ls\t", className, GetDlgCtrlID(window), state);
    put(line);
    LONG type = GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK;
    if (wcscmp(className, L"Static") != 0 || (type != SS_ICON && type != SS_BITMAP))
        putText(window); // a picture's text names its resource
    put(L"\n");
    return TRUE;
}

static const wchar_t* wanted;
static HWND found;

static BOOL CALLBACK topLevel(HWND window, LPARAM unused) {
    (void)unused;
    wchar_t title[512];
    if (IsWindowVisible(window) && GetWindowTextW(window, title, 512) && wcsstr(title, wanted)) {
        found = window;
        return FALSE;
    }
    return TRUE;
}

int wmain(int argc, wchar_t** argv) {
    out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (argc != 2)
        return 2;
    wanted = argv[1];
    EnumWindows(topLevel, 0);
    if (!found)
        return 1;
    put(L"title\t");
    putText(found);
    put(L"\n");
    EnumChildWindows(found, control, 0);
    return 0;
}
