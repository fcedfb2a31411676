// The task manager: running applications, brought forward or ended.
#pragma once
#include <windows.h>
#include "kit.h"
#include <functional>
#include <map>
#include <set>
#include <string>

typedef std::basic_string<wchar_t, std::char_traits<wchar_t>, KitAllocator<wchar_t>> KitString;

// Window class -> icon source (a Start-menu shortcut), and the classes never listed.
struct TaskTables {
    std::map<KitString, KitString, std::less<KitString>, KitAllocator<std::pair<const KitString, KitString>>>
        mapShortcuts;
    std::set<KitString, std::less<KitString>, KitAllocator<KitString>> setHidden;
};

// What the list needs to know of one top-level window.
struct TaskWindow {
    HWND hwnd;
    DWORD dwPid;
    LONG lStyle;
    BOOL fVisible;
    WCHAR szTitle[260];
    WCHAR szModule[260];
    WCHAR szClass[260];
};

// Both tables from the Start-menu folder; both stay empty when it cannot be read.
void BuildTaskTables(TaskTables *ptables);
// Reads a window's facts; titles and paths of other programs are cut to the buffers.
void ReadTaskWindow(HWND hwnd, TaskWindow *ptw);
// Visible, titled, not a pop-up and not of a hidden class.
BOOL IsListedTask(const TaskWindow &tw, const TaskTables &tables);
// The shortcut of the window's class when there is one, else its module.
LPCWSTR TaskIconSource(const TaskWindow &tw, const TaskTables &tables);
// Calls fn for every listed window in enumeration order; FALSE when the enumeration failed.
BOOL EnumTasks(const TaskTables &tables, const std::function<void(const TaskWindow &)> &fn);
// Ends a process; FALSE when it could not be ended or is this program or the shell.
BOOL KillTaskProcess(DWORD dwPid);
// The first visible, non-pop-up top-level window of a process.
HWND FindTaskWindow(DWORD dwPid);

INT_PTR CALLBACK TaskManagerDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
