// Shared test helpers: answered message boxes, bounded pumping, the test's
// object store, and starting the real programs.
#pragma once
#include <windows.h>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct BoxCall {
    HWND hwndOwner;
    std::wstring text;
    std::wstring caption;
    UINT uType;
};

// Every message box of the process lands here; answers are queued by tests
// (an empty queue answers IDOK, or IDNO for a question).
struct MessageBoxes {
    static std::vector<BoxCall> calls;
    static std::deque<int> answers;
    static void Reset();
};
// Texts of the message boxes shown since the last reset.
std::vector<std::wstring> BoxTexts();

// Dispatches pending messages for at most ms milliseconds.
void Pump(DWORD ms = 30);
// Pumps until pred() holds or timeoutMs passes; returns pred().
bool PumpUntil(const std::function<bool()> &pred, DWORD timeoutMs = 3000);

// The object store of the test run ("\" of the handset), emptied on demand.
std::wstring StoreRoot();
void ResetStore();
bool MakeDir(const std::wstring &path);
// Removes a folder and everything in it.
void RemoveTree(const std::wstring &dir);
bool MakeFile(const std::wstring &path, const std::string &content);
// A file of cb bytes that takes no room on the host.
bool MakeSparseFile(const std::wstring &path, ULONGLONG cb);
// Whole content of a file; empty when it cannot be read.
std::string ReadFileText(const std::wstring &path);

// The handset's file associations (its own HKEY_CLASSES_ROOT): a file with
// the extension (".txt") opens with the command, "%1" standing for the file.
void SetHandsetAssociation(const std::wstring &ext, const std::wstring &command);
void ClearHandsetClasses();
// Waits for the mail program's compose screen, presses Send and gives the
// attachment it recorded ("" when no screen came); mail.json goes after.
std::string SentAttachment();
// A ".bat" that, were it ever run by the host, would write HostProbe() in
// the host's temporary folder and copy the host's name into the store.
std::string HostScript();
std::wstring HostProbe();

// Windows path of a file in the build folder (programs, helpers).
std::wstring BuildPath(const std::wstring &relative);
// Starts a program with the store as current directory.
bool StartProgram(const std::wstring &exe, const std::wstring &args, PROCESS_INFORMATION *ppi);
// Waits for a process and returns its exit code (or STILL_ACTIVE after the timeout).
DWORD WaitExit(HANDLE hProcess, DWORD timeoutMs);
// Runs a command line of the host's shell to its end (Wine cannot wait on a
// host process): its exit code, or -1 when it did not end within timeoutMs.
int RunHostShell(const std::wstring &cmd, DWORD timeoutMs = 30000);
// A window's text, or its dialog item's when idItem is given.
std::wstring WindowText(HWND hwnd, int idItem = 0);
// The width of a text in a font, in pixels.
int TextWidth(HFONT hfont, LPCWSTR psz);
// The text fits the window's client width in the window's own font.
bool TextFits(HWND hwnd, const std::wstring &text);
// Pixels unlike white that draw paints on a white cx x cy page, counted in
// the columns [xFrom, xTo): the ink of a text as far as the screen shows it.
int Ink(int cx, int cy, const std::function<void(HDC)> &draw, int xFrom = 0, int xTo = 0x7fffffff);
// The ink of a text drawn alone in a font, with room all round: nothing cuts it.
int TextInk(HFONT hfont, const std::wstring &text);
// The text of a list view's row in a column.
std::wstring ListCell(HWND hwndList, int iRow, int iColumn = 0);
// The labels of a window's soft-key bar, "left|right" ("" without a bar).
std::wstring SoftKeyLabels(HWND hwnd);
// Top-level windows of a class in the whole desktop.
std::vector<HWND> FindTopLevel(const wchar_t *pszClass);

// The test executable's own path, for child-process tests.
std::wstring SelfPath();

// Code a test runs in a child copy of the test executable (for behaviour
// that ends the process): TEST_CHILD(Name) { ... return code; }
typedef int (*CHILDMAIN)(int argc, wchar_t **argv);
struct ChildRegistrar {
    ChildRegistrar(const wchar_t *pszName, CHILDMAIN pfn);
};
#define TEST_CHILD(name)                                               \
    static int Child_##name(int argc, wchar_t **argv);                 \
    static ChildRegistrar s_child_##name(L## #name, Child_##name);     \
    static int Child_##name(int argc, wchar_t **argv)
// Runs a child and returns its exit code; pszArg is passed after the name.
DWORD RunChild(const wchar_t *pszName, const std::wstring &arg = L"", DWORD timeoutMs = 10000);
