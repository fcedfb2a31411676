// Start-up pieces and small services every screen of the programs uses.
#include "kit.h"
#include <strsafe.h>
#include <cstdarg>

HINSTANCE g_hInst;
void *(*g_pfnKitMalloc)(size_t cb) = std::malloc;

static KIT_OOM_HANDLER s_pfnOutOfMemory;

HRESULT ActivateExistingInstance(LPCWSTR pszClass, LPCWSTR pszTitle, BOOL *pfAlreadyRunning)
{
    *pfAlreadyRunning = FALSE;
    for (int cAttempts = 5; cAttempts > 0; --cAttempts) {
        HANDLE hMutex = CreateMutexW(nullptr, FALSE, pszClass);
        if (!hMutex)
            return E_FAIL;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return S_OK;  // first instance; the mutex lives as long as the process
        CloseHandle(hMutex);
        HWND hwnd = FindWindowW(pszClass, pszTitle);
        if (!hwnd) {
            Sleep(500);
            hwnd = FindWindowW(pszClass, pszTitle);
        }
        if (hwnd) {
            // Low bit: the running instance's open dialog comes forward, not just its window.
            SetForegroundWindow((HWND)((ULONG_PTR)hwnd | 1));
            *pfAlreadyRunning = TRUE;
            return S_OK;
        }
    }
    return E_FAIL;
}

int ShowResourceMessage(HWND hwndOwner, UINT uType, HINSTANCE hinst, UINT idsCaption, UINT idsText, ...)
{
    WCHAR szCaption[100];
    WCHAR szText[200];
    WCHAR szMessage[300];
    if (!LoadStringW(hinst, idsCaption, szCaption, ARRAYSIZE(szCaption)))
        return 0;
    if (!LoadStringW(hinst, idsText, szText, ARRAYSIZE(szText)))
        return 0;
    va_list args;
    va_start(args, idsText);
    DWORD cch = FormatMessageW(FORMAT_MESSAGE_FROM_STRING, szText, 0, 0, szMessage, ARRAYSIZE(szMessage), &args);
    va_end(args);
    if (!cch)
        return 0;
    return MessageBoxW(hwndOwner, szMessage, szCaption, uType);
}

INT_PTR RunDialogFromTemplate(HINSTANCE hinst, UINT idd, HWND hwndOwner, DLGPROC pfnProc, LPARAM lParam)
{
    HRSRC hrsrc = FindResourceW(hinst, MAKEINTRESOURCEW(idd), RT_DIALOG);
    HGLOBAL hglob = hrsrc ? LoadResource(hinst, hrsrc) : nullptr;
    if (!hglob)
        return -1;
    return DialogBoxIndirectParamW(hinst, (LPCDLGTEMPLATEW)LockResource(hglob), hwndOwner, pfnProc, lParam);
}

HWND CreateSoftKeyBar(HWND hwndParent, UINT idBar)
{
    SHMENUBARINFO mbi;
    ZeroMemory(&mbi, sizeof(mbi));
    // The handset's 32-bit record is 36 bytes; this build's is larger.
    mbi.cbSize = sizeof(mbi);
    mbi.hwndParent = hwndParent;
    mbi.nToolBarId = idBar;
    mbi.hInstRes = g_hInst;
    if (!SHCreateMenuBar(&mbi))
        return nullptr;
    return mbi.hwndMB;
}

BOOL InitFullScreenDialog(HWND hdlg)
{
    SHINITDLGINFO shidi;
    shidi.dwMask = SHIDIM_FLAGS;
    shidi.hDlg = hdlg;
    shidi.dwFlags = SHIDIF_SIZEDLGFULLSCREEN;
    if (!SHInitDialog(&shidi))
        return FALSE;
    AnswerCheckBoxKeys(hdlg);
    return TRUE;
}

BOOL OverrideBackKey(HWND hwndBar)
{
    return (BOOL)SendMessageW(hwndBar, SHCMBM_OVERRIDEKEY, VK_TBACK,
                              MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY, SHMBOF_NODEFAULT | SHMBOF_NOTIFY));
}

BOOL HandleBackHotKey(WPARAM wp, LPARAM lp)
{
    if (HIWORD(lp) != VK_TBACK)
        return FALSE;
    SHSendBackToFocusWindow(WM_HOTKEY, wp, lp);
    return TRUE;
}

BOOL RegisterMainClass(LPCWSTR pszClass, WNDPROC pfnProc)
{
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = pfnProc;
    wc.hInstance = g_hInst;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = pszClass;
    return RegisterClassW(&wc) != 0;
}

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}

void ReportAssertion(BOOL fCondition, LPCWSTR pszFile, int iLine, LPCWSTR pszExpr)
{
    if (fCondition)
        return;
    WCHAR szText[512];
    StringCchPrintfW(szText, ARRAYSIZE(szText), L"%s:%d assertion failure:\n%s", pszFile, iLine, pszExpr);
    MessageBoxW(nullptr, szText, nullptr, MB_RETRYCANCEL);
    TerminateProcess(GetCurrentProcess(), 0);
}

KIT_OOM_HANDLER KitSetOutOfMemoryHandler(KIT_OOM_HANDLER pfn)
{
    KIT_OOM_HANDLER pfnOld = s_pfnOutOfMemory;
    s_pfnOutOfMemory = pfn;
    return pfnOld;
}

void *KitAllocate(size_t cb)
{
    for (;;) {
        void *p = g_pfnKitMalloc(cb ? cb : 1);
        if (p)
            return p;
        if (!s_pfnOutOfMemory) {
            MessageBoxW(nullptr, L"out of memory", nullptr, MB_OK);
            ExitProcess(1);
        }
        s_pfnOutOfMemory();
    }
}
