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

// A refused name comes back in an edit started again on the same folder,
// for the user to mend; never in another rename.
static WCHAR s_szRefused[MAX_PATH];
static WCHAR s_szRefusedPath[MAX_PATH];
// The edit already answered: the tree asks again as that edit loses the
// focus on its way out, and one edit is one rename.
static HWND s_hwndEditAnswered;

static void EditNode(HWND hwndTree, HTREEITEM hNode, LPCWSTR pszText)
{
    SetFocus(hwndTree);
    HWND hwndEdit = (HWND)SendMessageW(hwndTree, TVM_EDITLABELW, 0, (LPARAM)hNode);
    if (hwndEdit && pszText[0]) {
        SetWindowTextW(hwndEdit, pszText);
        SendMessageW(hwndEdit, EM_SETSEL, 0, -1);
    }
}

void OnTreeRenameCommand(HWND hwnd)
{
    (void)hwnd;
    s_szRefused[0] = s_szRefusedPath[0] = 0;
    HWND hwndTree = GetFolderTreeWindow();
    if (!hwndTree)
        return;
    HTREEITEM hSel = GetSelectedNode(hwndTree);
    if (!hSel || hSel == (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
        return;
    EditNode(hwndTree, hSel, L"");
}

void OnTreeRenameAgain()
{
    WCHAR szText[MAX_PATH], szPath[MAX_PATH];
    StringCchCopyW(szText, ARRAYSIZE(szText), s_szRefused);
    StringCchCopyW(szPath, ARRAYSIZE(szPath), s_szRefusedPath);
    s_szRefused[0] = s_szRefusedPath[0] = 0;
    // A card may have moved the selection or taken the folder away meanwhile.
    HWND hwndTree = GetFolderTreeWindow();
    HTREEITEM hNode = hwndTree && IsTreeMode() && szPath[0] ? FindExactFolderNode(szPath) : nullptr;
    if (!hNode)
        return;
    SelectNode(hwndTree, hNode);
    EditNode(hwndTree, hNode, szText);
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
    WCHAR szOld[MAX_PATH], szParent[MAX_PATH], szOnDisk[MAX_PATH];
    HTREEITEM hParent = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)hNode);
    BOOL fPaths = GetNodePath(hwndTree, hNode, szOld, ARRAYSIZE(szOld)) && szOld[0] &&
                  GetNodePath(hwndTree, hParent, szParent, ARRAYSIZE(szParent));
    if (!IsUsableItemName(pszNew)) {
        ShowResourceMessage(g_hwndMain, MB_ICONHAND, g_hInst, IDS_RENAME, IDS_RENAME_INVALID);
        if (fPaths) {
            StringCchCopyW(s_szRefused, ARRAYSIZE(s_szRefused), pszNew);
            StringCchCopyW(s_szRefusedPath, ARRAYSIZE(s_szRefusedPath), szOld);
            // The edit is ending under this notification: it starts again after it.
            PostMessageW(g_hwndMain, WM_TAVEL_RENAMEAGAIN, 0, 0);
        }
        return FALSE;
    }
    StopTreeCount();
    if (!fPaths || !RenameEntry(szParent, szLabel, pszNew, szOnDisk, ARRAYSIZE(szOnDisk))) {
        ShowResourceMessage(g_hwndMain, MB_ICONHAND, g_hInst, IDS_RENAME, IDS_CANT_RENAME);
        return FALSE;
    }
    // The label is the name on disk, which may differ from the text typed.
    SetNodeText(hwndTree, hNode, szOnDisk);
    return FALSE;
}
