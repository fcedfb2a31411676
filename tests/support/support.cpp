#include "support.h"
#include <algorithm>
#include "platform.h"
#include <commctrl.h>
#include <strsafe.h>

std::vector<BoxCall> MessageBoxes::calls;
std::deque<int> MessageBoxes::answers;

void MessageBoxes::Reset()
{
    calls.clear();
    answers.clear();
}

std::vector<std::wstring> BoxTexts()
{
    std::vector<std::wstring> v;
    for (const BoxCall &c : MessageBoxes::calls)
        v.push_back(c.text);
    return v;
}

void Pump(DWORD ms)
{
    DWORD dwStart = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - dwStart < ms);
}

bool PumpUntil(const std::function<bool()> &pred, DWORD timeoutMs)
{
    DWORD dwStart = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - dwStart > timeoutMs)
            return pred();
        Pump(10);
    }
    return true;
}

std::wstring StoreRoot()
{
    return L"P:\\";
}

void RemoveTree(const std::wstring &dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    for (BOOL f = h != INVALID_HANDLE_VALUE; f; f = FindNextFileW(h, &fd)) {
        std::wstring name = fd.cFileName, path = dir + L"\\" + name;
        if (name == L"." || name == L"..")
            continue;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            DeleteFileW(path.c_str());
    }
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    RemoveDirectoryW(dir.c_str());
}

void ResetStore()
{
    SetCurrentDirectoryW(L"P:\\");  // so "P:" is the root, which stays
    RemoveTree(L"\\\\?\\P:");  // by the names Wine takes as they are: "nul.txt" is a file there
}

bool MakeDir(const std::wstring &path)
{
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool MakeFile(const std::wstring &path, const std::string &content)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD cb = 0;
    BOOL ok = WriteFile(h, content.data(), (DWORD)content.size(), &cb, nullptr);
    CloseHandle(h);
    return ok && cb == content.size();
}

bool MakeSparseFile(const std::wstring &path, ULONGLONG cb)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER li;
    li.QuadPart = (LONGLONG)cb;
    BOOL ok = SetFilePointerEx(h, li, nullptr, FILE_BEGIN) && SetEndOfFile(h);  // sparse on the host
    CloseHandle(h);
    return ok != FALSE;
}

std::string ReadFileText(const std::wstring &path)
{
    std::string s;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return s;
    char buf[4096];
    DWORD cb = 0;
    while (ReadFile(h, buf, sizeof(buf), &cb, nullptr) && cb)
        s.append(buf, cb);
    CloseHandle(h);
    return s;
}

void SetHandsetAssociation(const std::wstring &ext, const std::wstring &command)
{
    std::wstring cls = ext.substr(1) + L"file", key = std::wstring(PLAT_CLASSES_KEY L"\\") + ext;
    RegSetKeyValueW(PLAT_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, cls.c_str(),
                    (DWORD)((cls.size() + 1) * sizeof(WCHAR)));
    key = std::wstring(PLAT_CLASSES_KEY L"\\") + cls + L"\\shell\\open\\command";
    RegSetKeyValueW(PLAT_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, command.c_str(),
                    (DWORD)((command.size() + 1) * sizeof(WCHAR)));
}

void ClearHandsetClasses()
{
    RegDeleteTreeW(PLAT_CLASSES_ROOT, PLAT_CLASSES_KEY);
}

std::string SentAttachment()
{
    HWND hwndMail = nullptr;
    if (!PumpUntil([&] { return (hwndMail = FindWindowW(L"tmail", L"Messaging")) != nullptr; }, 10000))
        return "";
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hwndMail, &dwPid);
    HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, dwPid);
    PostMessageW(hwndMail, WM_COMMAND, 1001, 0);  // Send
    if (hProcess) {
        WaitExit(hProcess, 10000);
        CloseHandle(hProcess);
    }
    nlohmann::json j = PlatProfileLoad(L"mail.json");
    DeleteFileW(PlatProfilePath(L"mail.json").c_str());
    const nlohmann::json &outbox = PlatProfileArray(j, "outbox");
    return outbox.empty() ? "" : outbox.back().value("attachment", "");
}

std::wstring HostProbe()
{
    WCHAR sz[64];
    StringCchPrintfW(sz, ARRAYSIZE(sz), L"Z:\\tmp\\phone-probe-%lu.txt", GetCurrentProcessId());
    return sz;
}

std::string HostScript()
{
    std::wstring probe = HostProbe();
    return "echo ran> " + std::string(probe.begin(), probe.end()) + "\r\ncopy Z:\\etc\\hostname P:\\hostname\r\n";
}

std::wstring BuildPath(const std::wstring &relative)
{
    WCHAR sz[MAX_PATH];
    DWORD cch = GetEnvironmentVariableW(L"PHONE_BUILD", sz, ARRAYSIZE(sz));
    std::wstring dir = cch && cch < ARRAYSIZE(sz) ? std::wstring(L"Z:") + sz : L".";
    for (auto &ch : dir)
        if (ch == L'/')
            ch = L'\\';
    return dir + L"\\" + relative;
}

bool StartProgram(const std::wstring &exe, const std::wstring &args, PROCESS_INFORMATION *ppi)
{
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    std::vector<wchar_t> buf(cmd.begin(), cmd.end());
    buf.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    return CreateProcessW(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, StoreRoot().c_str(), &si, ppi);
}

int RunHostShell(const std::wstring &cmd, DWORD timeoutMs)
{
    static int s_cRuns;
    WCHAR szDone[64];
    StringCchPrintfW(szDone, ARRAYSIZE(szDone), L"/tmp/phone-host-%lu-%d.rc", GetCurrentProcessId(), ++s_cRuns);
    std::wstring done = std::wstring(L"Z:") + szDone;
    std::replace(done.begin(), done.end(), L'/', L'\\');
    DeleteFileW(done.c_str());
    std::wstring line = L"Z:\\bin\\sh -c \"(" + cmd + L") >/dev/null 2>&1; echo $? >" + szDone + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    std::string rc;
    PumpUntil([&] { return !(rc = ReadFileText(done)).empty(); }, timeoutMs);
    DeleteFileW(done.c_str());
    return rc.empty() ? -1 : atoi(rc.c_str());
}

DWORD WaitExit(HANDLE hProcess, DWORD timeoutMs)
{
    DWORD dwStart = GetTickCount();
    while (WaitForSingleObject(hProcess, 10) == WAIT_TIMEOUT) {
        if (GetTickCount() - dwStart > timeoutMs)
            return STILL_ACTIVE;
        Pump(0);
    }
    DWORD dwCode = 0;
    GetExitCodeProcess(hProcess, &dwCode);
    return dwCode;
}

std::wstring WindowText(HWND hwnd, int idItem)
{
    WCHAR sz[400] = L"";
    GetWindowTextW(idItem ? GetDlgItem(hwnd, idItem) : hwnd, sz, ARRAYSIZE(sz));
    return sz;
}

int TextWidth(HFONT hfont, LPCWSTR psz)
{
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hfontOld = SelectObject(hdc, hfont);
    SIZE size = {};
    GetTextExtentPoint32W(hdc, psz, (int)wcslen(psz), &size);
    SelectObject(hdc, hfontOld);
    ReleaseDC(nullptr, hdc);
    return size.cx;
}

int Ink(int cx, int cy, const std::function<void(HDC)> &draw, int xFrom, int xTo)
{
    HDC hdcScreen = GetDC(nullptr);
    HDC hdc = CreateCompatibleDC(hdcScreen);
    HGDIOBJ hbmOld = SelectObject(hdc, CreateCompatibleBitmap(hdcScreen, cx, cy));
    ReleaseDC(nullptr, hdcScreen);
    RECT rc = {0, 0, cx, cy};
    FillRect(hdc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
    HGDIOBJ hfontOld = GetCurrentObject(hdc, OBJ_FONT);
    draw(hdc);
    SelectObject(hdc, hfontOld);
    int cInk = 0;
    for (int x = xFrom < 0 ? 0 : xFrom; x < cx && x < xTo; ++x)
        for (int y = 0; y < cy; ++y)
            cInk += (GetPixel(hdc, x, y) & 0xFFFFFF) != RGB(255, 255, 255);
    DeleteObject(SelectObject(hdc, hbmOld));
    DeleteDC(hdc);
    return cInk;
}

int TextInk(HFONT hfont, const std::wstring &text)
{
    return Ink(TextWidth(hfont, text.c_str()) + 40, 60, [&](HDC hdc) {
        SelectObject(hdc, hfont);
        SetBkMode(hdc, TRANSPARENT);
        RECT rc = {20, 10, 0x7fff, 60};
        DrawTextW(hdc, text.c_str(), -1, &rc, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    });
}

bool TextFits(HWND hwnd, const std::wstring &text)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    return TextWidth((HFONT)SendMessageW(hwnd, WM_GETFONT, 0, 0), text.c_str()) <= rc.right;
}

std::wstring ListCell(HWND hwndList, int iRow, int iColumn)
{
    WCHAR sz[400] = L"";
    LVITEMW lvi = {};
    lvi.iSubItem = iColumn;
    lvi.pszText = sz;
    lvi.cchTextMax = ARRAYSIZE(sz);
    SendMessageW(hwndList, LVM_GETITEMTEXTW, iRow, (LPARAM)&lvi);
    return sz;
}

std::wstring SoftKeyLabels(HWND hwnd)
{
    HWND hwndBar = PlatFindSoftKeyBar(hwnd);
    WCHAR szLeft[32] = L"", szRight[32] = L"";
    if (!hwndBar || !PlatGetSoftKeyLabel(hwndBar, 0, szLeft, ARRAYSIZE(szLeft)) ||
        !PlatGetSoftKeyLabel(hwndBar, 1, szRight, ARRAYSIZE(szRight)))
        return L"";
    return std::wstring(szLeft) + L"|" + szRight;
}

std::vector<HWND> FindTopLevel(const wchar_t *pszClass)
{
    std::pair<const wchar_t *, std::vector<HWND>> search(pszClass, {});
    EnumWindows([](HWND hwnd, LPARAM lp) {
        auto *ps = (std::pair<const wchar_t *, std::vector<HWND>> *)lp;
        WCHAR sz[64];
        if (GetClassNameW(hwnd, sz, ARRAYSIZE(sz)) && lstrcmpW(sz, ps->first) == 0)
            ps->second.push_back(hwnd);
        return TRUE;
    }, (LPARAM)&search);
    return search.second;
}

std::wstring SelfPath()
{
    WCHAR sz[MAX_PATH];
    GetModuleFileNameW(nullptr, sz, ARRAYSIZE(sz));
    return sz;
}

static std::vector<std::pair<const wchar_t *, CHILDMAIN>> &Children()
{
    static std::vector<std::pair<const wchar_t *, CHILDMAIN>> s_children;
    return s_children;
}

ChildRegistrar::ChildRegistrar(const wchar_t *pszName, CHILDMAIN pfn)
{
    Children().push_back({pszName, pfn});
}

CHILDMAIN FindChildMain(const wchar_t *pszName)
{
    for (const auto &child : Children())
        if (lstrcmpW(child.first, pszName) == 0)
            return child.second;
    return nullptr;
}

DWORD RunChild(const wchar_t *pszName, const std::wstring &arg, DWORD timeoutMs)
{
    PROCESS_INFORMATION pi = {};
    std::wstring args = L"--child " + std::wstring(pszName);
    if (!arg.empty())
        args += L" \"" + arg + L"\"";
    if (!StartProgram(SelfPath(), args, &pi))
        return (DWORD)-1;
    CloseHandle(pi.hThread);
    DWORD dwCode = WaitExit(pi.hProcess, timeoutMs);
    if (dwCode == STILL_ACTIVE)
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    return dwCode;
}
