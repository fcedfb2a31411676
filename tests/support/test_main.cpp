// Test entry: message boxes are answered by the recorder, the kit's module
// is the test executable (its resources), and the store is the test drive.
#include <gtest/gtest.h>
#include <commctrl.h>
#include "platform.h"
#include "kit.h"
#include "support.h"

// A test may run code in a child copy of itself: "--child NAME".
CHILDMAIN FindChildMain(const wchar_t *pszName);

static int CALLBACK RecordBox(HWND hwnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    MessageBoxes::calls.push_back({hwnd, pszText ? pszText : L"", pszCaption ? pszCaption : L"", uType});
    if (!MessageBoxes::answers.empty()) {
        int iAnswer = MessageBoxes::answers.front();
        MessageBoxes::answers.pop_front();
        return iAnswer;
    }
    UINT uButtons = uType & MB_TYPEMASK;
    return uButtons == MB_YESNO || uButtons == MB_YESNOCANCEL ? IDNO : IDOK;
}

int wmain(int argc, wchar_t **argv)
{
    g_hInst = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    PlatSetMessageBoxHook(RecordBox);
    SetCurrentDirectoryW(StoreRoot().c_str());
    if (argc >= 3 && lstrcmpW(argv[1], L"--child") == 0) {
        CHILDMAIN pfn = FindChildMain(argv[2]);
        return pfn ? pfn(argc, argv) : 99;
    }
    testing::InitGoogleTest(&argc, argv);
    int iExit = RUN_ALL_TESTS();
    // Threads of the code under test (a card watcher, a fill) may still run:
    // the process ends them before any static they use is destroyed.
    fflush(stdout);
    fflush(stderr);
    ExitProcess(iExit);
}
