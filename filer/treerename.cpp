// Tree rename: the edited label becomes the folder's name on disk, or is
// refused and the old one stays.
#include "treerename.h"
#include "itemname.h"
#include "mainwnd.h"
#include "foldertree.h"
#include "filelist.h"
#include "treecount.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>

// A refused name comes back in the edit started again, for the user to mend.
static WCHAR s_szRefused[MAX_PATH];
// The edit already answered: the tree asks again as that edit loses the
// focus on its way out, and one edit is one rename.
static HWND s_hwndEditAnswered;

void OnTreeRenameCommand(HWND hwnd)
{
    (void)hwnd;
    HWND hwndTree = GetFolderTreeWindow();
    if (!hwndTree)
        return;
    HTREEITEM hSel = GetSelectedNode(hwndTree);
    if (!hSel || hSel == (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
        return;
    SetFocus(hwndTree);
    HWND hwndEdit = (HWND)SendMessageW(hwndTree, TVM_EDITLABELW, 0, (LPARAM)hSel);
    if (hwndEdit && s_szRefused[0]) {
        SetWindowTextW(hwndEdit, s_szRefused);
        SendMessageW(hwndEdit, EM_SETSEL, 0, -1);
    }
    s_szRefused[0] = 0;
}

void OnTreeRenameEnd(BOOL fAccept)
{
    HWND hwndTree = GetFolderTreeWindow();
    if (hwndTree)
        SendMessageW(hwndTree, TVM_ENDEDITLABELNOW, !fAccept, 0);
}

BOOL OnTreeLabelEdited(HWND hwndTree, const NMTVDISPINFOW *pdi)
{
    LPCWSTR pszNew = pdi->item.pszText;
    HWND hwndEdit = (HWND)SendMessageW(hwndTree, TVM_GETEDITCONTROL, 0, 0);
    if (!pszNew || (hwndEdit && hwndEdit == s_hwndEditAnswered))
        return FALSE;  // discarded, or answered already
    s_hwndEditAnswered = hwndEdit;
    WCHAR szLabel[MAX_PATH];
    GetNodeText(hwndTree, pdi->item.hItem, szLabel, ARRAYSIZE(szLabel));
    if (lstrcmpW(szLabel, pszNew) == 0)
        return FALSE;  // no new text: nothing to move
    HTREEITEM hNode = pdi->item.hItem;
    if (!IsUsableItemName(pszNew)) {
        ShowResourceMessage(g_hwndMain, MB_ICONHAND, g_hInst, IDS_RENAME, IDS_RENAME_INVALID);
        StringCchCopyW(s_szRefused, ARRAYSIZE(s_szRefused), pszNew);
        // The edit is ending under this notification: it starts again after it.
        PostMessageW(g_hwndMain, WM_COMMAND, IDM_TREE_RENAME, 0);
        return FALSE;
    }
    StopTreeCount();
    WCHAR szOld[MAX_PATH], szParent[MAX_PATH], szTarget[MAX_PATH];
    HTREEITEM hParent = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)hNode);
    BOOL fMoved = GetNodePath(hwndTree, hNode, szOld, ARRAYSIZE(szOld)) && szOld[0] &&
                  GetNodePath(hwndTree, hParent, szParent, ARRAYSIZE(szParent)) &&
                  JoinPath(szParent, pszNew, szTarget, ARRAYSIZE(szTarget)) && MoveFileW(szOld, szTarget);
    if (!fMoved)
        ShowResourceMessage(g_hwndMain, MB_ICONHAND, g_hInst, IDS_RENAME, IDS_CANT_RENAME);
    return fMoved;
}
