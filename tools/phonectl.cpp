// Drives a program on the emulated handset: starts it, presses keys (waiting
// for it to go idle after each), captures the screen, and closes it.
//   phonectl run [--cwd DIR] [--keys "K ..."] [--shot FILE.png] [--stay] [--with "HELPER ARGS"] EXE [ARGS...]
//   phonectl keys "K ..."      phonectl shot FILE.png
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>
#include "png.h"

namespace {
const int kCx = 176, kCy = 220;

struct Named {
    const wchar_t *psz;
    WORD vk;
};
const Named g_keys[] = {
    {L"SOFT1", VK_F1}, {L"SOFT2", VK_F2},   {L"BACK", VK_ESCAPE}, {L"ACTION", VK_RETURN},
    {L"UP", VK_UP},    {L"DOWN", VK_DOWN},  {L"LEFT", VK_LEFT},   {L"RIGHT", VK_RIGHT},
    {L"STAR", VK_F8},  {L"POUND", VK_F9},
};

void Fail(const wchar_t *pszWhat, const std::wstring &arg)
{
    fwprintf(stderr, L"phonectl: %ls%ls\n", pszWhat, arg.c_str());
}

std::vector<uint8_t> Capture()
{
    std::vector<uint8_t> rgb((size_t)kCx * kCy * 3);
    HDC hdcScreen = GetDC(nullptr);
    HDC hdc = CreateCompatibleDC(hdcScreen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = kCx;
    bmi.bmiHeader.biHeight = -kCy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void *pv = nullptr;
    HBITMAP hbm = CreateDIBSection(hdcScreen, &bmi, DIB_RGB_COLORS, &pv, nullptr, 0);
    HGDIOBJ hOld = SelectObject(hdc, hbm);
    BitBlt(hdc, 0, 0, kCx, kCy, hdcScreen, 0, 0, SRCCOPY);
    GdiFlush();
    const uint8_t *p = (const uint8_t *)pv;
    for (size_t i = 0; i < (size_t)kCx * kCy; ++i) {
        rgb[i * 3] = p[i * 4 + 2];
        rgb[i * 3 + 1] = p[i * 4 + 1];
        rgb[i * 3 + 2] = p[i * 4];
    }
    SelectObject(hdc, hOld);
    DeleteObject(hbm);
    DeleteDC(hdc);
    ReleaseDC(nullptr, hdcScreen);
    return rgb;
}

struct ProcWindows {
    DWORD dwPid;
    std::vector<HWND> hwnds;
};

BOOL CALLBACK CollectWindows(HWND hwnd, LPARAM lp)
{
    ProcWindows *pw = (ProcWindows *)lp;
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hwnd, &dwPid);
    if (dwPid == pw->dwPid && IsWindowVisible(hwnd))
        pw->hwnds.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> WindowsOf(DWORD dwPid)
{
    ProcWindows pw = {dwPid, {}};
    EnumWindows(CollectWindows, (LPARAM)&pw);
    return pw.hwnds;
}

const DWORD kAnswerMs = 300000;  // the longest operation the driver waits for
const DWORD kCloseMs = 60000;    // for the program to end once closed

bool Ended(HANDLE hProcess)
{
    return WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0;
}

// Every visible window of the program handles a message: its thread is back
// in a message loop.
bool Answers(DWORD dwPid)
{
    for (HWND hwnd : WindowsOf(dwPid)) {
        DWORD_PTR r;
        if (!SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &r) && IsWindow(hwnd))
            return false;
    }
    return true;
}

// Waits until the program waits for input again and answers. Wine drops the
// input-idle state the moment a key wakes the program, so a long operation
// started by the key is waited out. False when it did not answer in time.
bool WaitAnswer(HANDLE hProcess, DWORD dwPid)
{
    DWORD dwStart = GetTickCount();
    while (!Ended(hProcess)) {
        if (WaitForInputIdle(hProcess, 1000) == 0 && Answers(dwPid))
            return true;
        if (GetTickCount() - dwStart > kAnswerMs) {
            Fail(L"the program did not answer for 300 s", L"");
            return false;
        }
    }
    return true;
}

// Idle: the program answers and the screen has stopped changing.
bool WaitIdle(HANDLE hProcess, DWORD dwPid)
{
    for (int round = 0; round < 5; ++round) {
        if (hProcess && !WaitAnswer(hProcess, dwPid))
            return false;
        std::vector<uint8_t> last = Capture();
        int cSame = 0;
        for (int i = 0; i < 60 && cSame < 2; ++i) {
            Sleep(60);
            std::vector<uint8_t> now = Capture();
            cSame = now == last ? cSame + 1 : 0;
            last.swap(now);
        }
        // Work the program posted itself meanwhile is waited for too.
        if (!hProcess || Ended(hProcess) || WaitForInputIdle(hProcess, 0) == 0)
            return true;
    }
    return true;
}

void SendVk(WORD vk)
{
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

void SendText(const std::wstring &text)
{
    for (wchar_t ch : text) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = ch;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
        Sleep(20);
    }
}

bool Shot(const std::wstring &path)
{
    if (!WritePng(path, kCx, kCy, Capture())) {
        Fail(L"cannot write ", path);
        return false;
    }
    return true;
}

std::vector<std::wstring> Split(const std::wstring &s)
{
    std::vector<std::wstring> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == L' ')
            ++i;
        size_t j = i;
        while (j < s.size() && s[j] != L' ')
            ++j;
        if (j > i)
            out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

bool StartsWith(const std::wstring &s, const wchar_t *pfx)
{
    return s.compare(0, wcslen(pfx), pfx) == 0;
}

bool CheckKeys(const std::vector<std::wstring> &keys)
{
    for (const std::wstring &k : keys) {
        bool ok = StartsWith(k, L"TEXT=") || StartsWith(k, L"SHOT=") || StartsWith(k, L"SNAP=") ||
                  (StartsWith(k, L"WAIT=") && k.size() > 5 && k.find_first_not_of(L"0123456789", 5) == std::wstring::npos) ||
                  (k.size() == 1 && k[0] >= L'0' && k[0] <= L'9');
        for (const Named &n : g_keys)
            ok = ok || k == n.psz;
        if (!ok) {
            Fail(L"unknown key name: ", k);
            return false;
        }
    }
    return true;
}

// A SNAP= follows key i, past any pauses: the screen is to be caught while it
// still changes (a search running), so waiting for it to settle would miss it.
bool SnapAhead(const std::vector<std::wstring> &keys, size_t i)
{
    while (++i < keys.size() && StartsWith(keys[i], L"WAIT="))
        ;
    return i < keys.size() && StartsWith(keys[i], L"SNAP=");
}

bool PressKeys(const std::vector<std::wstring> &keys, HANDLE hProcess, DWORD dwPid)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::wstring &k = keys[i];
        if (hProcess && Ended(hProcess))
            return true;  // the program ended on its own (Exit, Quit)
        if (StartsWith(k, L"WAIT=")) {
            Sleep(_wtoi(k.c_str() + 5));
        } else if (StartsWith(k, L"TEXT=")) {
            SendText(k.substr(5));
        } else if (StartsWith(k, L"SHOT=") || StartsWith(k, L"SNAP=")) {
            if (!Shot(k.substr(5)))
                return false;
            continue;
        } else if (k.size() == 1) {
            SendVk((WORD)k[0]);
        } else {
            for (const Named &n : g_keys)
                if (k == n.psz)
                    SendVk(n.vk);
        }
        if (SnapAhead(keys, i) ? hProcess && !WaitAnswer(hProcess, dwPid) : !WaitIdle(hProcess, dwPid))
            return false;
    }
    return true;
}

int RunProgram(int argc, wchar_t **argv, int i, const std::wstring &cwd, const std::wstring &shot,
               const std::vector<std::wstring> &keys, bool fStay);

// A helper program that runs beside the driven one (a demo's other application).
bool StartHelper(const std::wstring &cmd, const std::wstring &cwd, PROCESS_INFORMATION *ppi)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::vector<wchar_t> cmdBuf(cmd.begin(), cmd.end());
    cmdBuf.push_back(0);
    if (!CreateProcessW(nullptr, cmdBuf.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.empty() ? nullptr : cwd.c_str(),
                        &si, ppi))
        return false;
    CloseHandle(ppi->hThread);
    for (int t = 0; t < 200 && WindowsOf(ppi->dwProcessId).empty(); ++t)
        if (WaitForSingleObject(ppi->hProcess, 50) == WAIT_OBJECT_0)
            break;
    WaitAnswer(ppi->hProcess, ppi->dwProcessId);
    return true;
}

int Run(int argc, wchar_t **argv)
{
    std::wstring cwd, shot, keyText, with;
    bool fStay = false;
    int i = 2;
    for (; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--cwd" && i + 1 < argc)
            cwd = argv[++i];
        else if (a == L"--keys" && i + 1 < argc)
            keyText = argv[++i];
        else if (a == L"--shot" && i + 1 < argc)
            shot = argv[++i];
        else if (a == L"--stay")
            fStay = true;
        else if (a == L"--with" && i + 1 < argc)
            with = argv[++i];
        else
            break;
    }
    if (i >= argc) {
        Fail(L"no program to run", L"");
        return 2;
    }
    std::vector<std::wstring> keys = Split(keyText);
    if (!CheckKeys(keys))
        return 2;
    PROCESS_INFORMATION piHelper = {};
    if (!with.empty() && !StartHelper(with, cwd, &piHelper)) {
        Fail(L"cannot start ", with);
        return 2;
    }
    int rc = RunProgram(argc, argv, i, cwd, shot, keys, fStay);
    if (piHelper.hProcess) {
        TerminateProcess(piHelper.hProcess, 0);
        WaitForSingleObject(piHelper.hProcess, 3000);
        CloseHandle(piHelper.hProcess);
    }
    return rc;
}

int RunProgram(int argc, wchar_t **argv, int i, const std::wstring &cwd, const std::wstring &shot,
               const std::vector<std::wstring> &keys, bool fStay)
{
    std::wstring cmd = L"\"" + std::wstring(argv[i]) + L"\"";
    for (int j = i + 1; j < argc; ++j)
        cmd += L" \"" + std::wstring(argv[j]) + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> cmdBuf(cmd.begin(), cmd.end());
    cmdBuf.push_back(0);
    if (!CreateProcessW(nullptr, cmdBuf.data(), nullptr, nullptr, TRUE, 0, nullptr, cwd.empty() ? nullptr : cwd.c_str(),
                        &si, &pi)) {
        Fail(L"cannot start ", argv[i]);
        return 2;
    }
    CloseHandle(pi.hThread);
    bool fScripted = !keys.empty() || !shot.empty();
    if (!fScripted || fStay) {
        WaitForSingleObject(pi.hProcess, INFINITE);
    } else {
        // Wait for the first window, then for the screen to settle.
        for (int t = 0; t < 200 && WindowsOf(pi.dwProcessId).empty(); ++t)
            if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0)
                break;
        bool ok = WaitIdle(pi.hProcess, pi.dwProcessId) && PressKeys(keys, pi.hProcess, pi.dwProcessId);
        if (ok && !shot.empty())
            ok = Shot(shot);
        if (!Ended(pi.hProcess)) {
            // Closed as the shell closes it; killed only when it will not end.
            for (HWND hwnd : WindowsOf(pi.dwProcessId))
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(pi.hProcess, kCloseMs) == WAIT_TIMEOUT) {
                fwprintf(stderr, L"phonectl: the program did not end when closed; killed it\n");
                TerminateProcess(pi.hProcess, 3);
                WaitForSingleObject(pi.hProcess, 3000);
                ok = false;
            }
            CloseHandle(pi.hProcess);
            return ok ? 0 : 2;
        }
        if (!ok) {
            CloseHandle(pi.hProcess);
            return 2;
        }
    }
    DWORD dwExit = 0;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    CloseHandle(pi.hProcess);
    if (fScripted && dwExit != 0)
        fwprintf(stderr, L"phonectl: the program ended with exit code %lu\n", dwExit);
    return (int)dwExit;
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    std::wstring verb = argc > 1 ? argv[1] : L"";
    if (verb == L"run")
        return Run(argc, argv);
    if (verb == L"shot" && argc == 3)
        return Shot(argv[2]) ? 0 : 2;
    if (verb == L"keys" && argc == 3) {
        std::vector<std::wstring> keys = Split(argv[2]);
        return CheckKeys(keys) && PressKeys(keys, nullptr, 0) ? 0 : 2;
    }
    fwprintf(stderr, L"usage: phonectl run [--cwd DIR] [--keys \"K ...\"] [--shot FILE.png] [--with \"HELPER ARGS\"] EXE [ARGS...]\n"
                     L"       phonectl keys \"K ...\" | phonectl shot FILE.png\n");
    return 2;
}
