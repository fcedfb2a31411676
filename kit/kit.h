// The phone-application kit shared by the three programs: start-up, single
// instance, resource message boxes and dialogs, soft-key bars, Back key.
#pragma once
#include <windows.h>
#include <aygshell.h>
#include <cstdlib>
#include <new>

// The program's module; every string, menu, dialog and icon comes from it.
extern HINSTANCE g_hInst;

HRESULT ActivateExistingInstance(LPCWSTR pszClass, LPCWSTR pszTitle, BOOL *pfAlreadyRunning);
int ShowResourceMessage(HWND hwndOwner, UINT uType, HINSTANCE hinst, UINT idsCaption, UINT idsText, ...);
INT_PTR RunDialogFromTemplate(HINSTANCE hinst, UINT idd, HWND hwndOwner, DLGPROC pfnProc, LPARAM lParam);
HWND CreateSoftKeyBar(HWND hwndParent, UINT idBar);
// Also makes the dialog's check boxes answer the action key.
BOOL InitFullScreenDialog(HWND hdlg);
// The action key ticks or clears the focused check box of the dialog.
void AnswerCheckBoxKeys(HWND hdlg);

// Back key: the bar tells its owner with WM_HOTKEY instead of acting itself.
BOOL OverrideBackKey(HWND hwndBar);
// WM_HOTKEY from an overridden Back: TRUE when it was Back and went to the focus.
BOOL HandleBackHotKey(WPARAM wp, LPARAM lp);

// Registers a program's main window class with the kit's fixed fields.
BOOL RegisterMainClass(LPCWSTR pszClass, WNDPROC pfnProc);
// GetMessageW loop until WM_QUIT; returns its wParam.
int RunMessageLoop();

// Shows the assertion text and ends the process whatever the answer.
void ReportAssertion(BOOL fCondition, LPCWSTR pszFile, int iLine, LPCWSTR pszExpr);

// Out of memory in the program's containers: the installed handler gets a
// chance to free memory; without one the program reports and exits with 1.
typedef void (*KIT_OOM_HANDLER)();
KIT_OOM_HANDLER KitSetOutOfMemoryHandler(KIT_OOM_HANDLER pfn);
void *KitAllocate(size_t cb);
// Allocation primitive, replaceable by tests to simulate exhaustion.
extern void *(*g_pfnKitMalloc)(size_t cb);

template <class T>
struct KitAllocator {
    typedef T value_type;
    KitAllocator() noexcept {}
    template <class U>
    KitAllocator(const KitAllocator<U> &) noexcept {}
    T *allocate(size_t n) { return static_cast<T *>(KitAllocate(n * sizeof(T))); }
    void deallocate(T *p, size_t) noexcept { std::free(p); }
    template <class U>
    bool operator==(const KitAllocator<U> &) const noexcept { return true; }
    template <class U>
    bool operator!=(const KitAllocator<U> &) const noexcept { return false; }
};
