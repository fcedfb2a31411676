// Rename of a folder in tree mode: label editing with bar 124.
#pragma once
#include <windows.h>
#include <commctrl.h>

// 40137: edit the selected node's label (never the root's).
void OnTreeRenameCommand(HWND hwnd);
// After a refused name: the same folder's edit again, with the text typed;
// nothing when the folder has gone from the tree.
void OnTreeRenameAgain();
// 40053 / 40055: end the edit, discarding or accepting it.
void OnTreeRenameEnd(BOOL fAccept);
// TVN_ENDLABELEDITW of the folder tree: TRUE when the folder was renamed.
BOOL OnTreeLabelEdited(HWND hwndTree, const NMTVDISPINFOW *pdi);
