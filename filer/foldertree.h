// The folder tree of tree mode, the destination tree and their fill threads.
#pragma once
#include <windows.h>
#include <commctrl.h>

#define WM_TAVEL_FILLINSERT (WM_TAVEL_FIRST + 0)
#define WM_TAVEL_SELPATH    (WM_TAVEL_FIRST + 1)
#define WM_TAVEL_COUNTS     (WM_TAVEL_FIRST + 2)
#define WM_TAVEL_CARD       (WM_TAVEL_FIRST + 3)
#define WM_TAVEL_RENAMEAGAIN (WM_TAVEL_FIRST + 4)

#define ROOT_TEXT_COLLAPSED L"Smartphone[+]"
#define ROOT_TEXT_EXPANDED  L"Smartphone[-]"

// The critical section, the event and the two threads that live for the run.
void StartTreeThreads();

// Forgets the trees of a destroyed main window.
void ResetTreeWindows();
BOOL CreateFolderTree(HWND hwndMain);
// Created on first use, emptied and refilled afterwards.
HWND PrepareDestTree(HWND hwndMain);
HWND GetDestTreeWindow();
HWND GetRenameBar();
HWND GetDestBar();
// Empties a tree and starts a new fill thread on it.
void RefillTree(HWND hwndTree);
// TRUE while a fill thread of this tree has not finished.
BOOL IsTreeFilling(HWND hwndTree);

void FillFolderNode(HWND hwndTree, HTREEITEM hNode, LPCWSTR pszPath);
// The child folder pszName of the node as it is on disk now: its old node
// goes, a new one is filled when the folder exists. Returns the new node.
HTREEITEM ReadFolderNode(HWND hwndTree, HTREEITEM hParent, LPCWSTR pszParentPath, LPCWSTR pszName);
// A folder renamed from the list: its node, when the tree has one, is read
// again from disk under the new name.
void RenameFolderNode(LPCWSTR pszParentPath, LPCWSTR pszOld, LPCWSTR pszNew);
// Empty for the root node; FALSE (and empty) when the path would pass 259 characters.
BOOL GetNodePath(HWND hwndTree, HTREEITEM hNode, WCHAR *pszPath, size_t cchPath);
// Node of the folder tree for the path, or the deepest node that matched.
HTREEITEM FindFolderNode(LPCWSTR pszPath);
// The node only when its path is exactly the given one.
HTREEITEM FindExactFolderNode(LPCWSTR pszPath);
HTREEITEM CopyTreeNode(HWND hwndTree, HTREEITEM hSource, HTREEITEM hNewParent, BOOL fDeleteSource);
HTREEITEM GetSelectedNode(HWND hwndTree);
void GetNodeText(HWND hwndTree, HTREEITEM hNode, WCHAR *psz, size_t cch);
void SetNodeText(HWND hwndTree, HTREEITEM hNode, LPCWSTR psz);
void SelectNode(HWND hwndTree, HTREEITEM hNode);

void OnTreeView(HWND hwnd);
void OnListView(HWND hwnd);
void OnTreeRefresh(HWND hwnd);
LRESULT OnTreeNotify(HWND hwnd, NMHDR *pnm);

// A card's node under the root, filled from the card; selected when asked.
void AddCardNode(LPCWSTR pszName, LPCWSTR pszCardPath, BOOL fSelect);
void RemoveCardNode(LPCWSTR pszName);
