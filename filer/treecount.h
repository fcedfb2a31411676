// The folder and file count of the tree's selected node (tree-selection thread).
#pragma once
#include <windows.h>

// Started once with the shared critical section and event.
void StartTreeCountThread();
// A selection change: the count in progress stops early.
void AbortTreeCount();
// Before a folder is removed or renamed: the count stops and closes its
// search of the folder, which would keep the folder from going.
void StopTreeCount();
// Counts abandoned because the selection moved on.
LONG GetAbortedCountRuns();
// What the status strip of tree mode showed last.
LPCWSTR GetTreeCountsText();
// WM_TAVEL_SELPATH and WM_TAVEL_COUNTS, on the UI thread.
LRESULT OnTreeCountMessage(UINT msg, WPARAM wp, LPARAM lp);
