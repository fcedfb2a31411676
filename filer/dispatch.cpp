// Hand-over point for the commands the main window does not carry out
// itself. Each module that owns a command adds its case here; until then
// the command has no effect (rename, new folder, properties, beam,
// mail, options and the shortcut are still to come).
#include "mainwnd.h"
#include "foldertree.h"
#include "fileops.h"
#include "find.h"
#include "../res/tavel/resource.h"

LRESULT DispatchToOwner(HWND hwnd, UINT uCmd)
{
    switch (uCmd) {
    case IDM_WINDOW_CREATED:
    case IDM_WINDOW_DESTROYED: ResetTreeWindows(); return 0;
    case IDM_DEST_ACTIVATE: ShowDestTreeAgain(); return 0;
    case IDM_TREE_VIEW: OnTreeView(hwnd); return 0;
    case IDM_LIST_VIEW: OnListView(hwnd); return 0;
    case IDM_TREE_REFRESH: OnTreeRefresh(hwnd); return 0;
    case IDM_MOVE_TO:
    case IDM_TREE_MOVE_TO: EnterDestTree(hwnd, OP_MOVE); return 0;
    case IDM_COPY_TO:
    case IDM_TREE_COPY_TO: EnterDestTree(hwnd, OP_COPY); return 0;
    case IDM_CREATE_SHORTCUT: EnterDestTree(hwnd, OP_SHORTCUT); return 0;
    case IDM_DEST_DONE: OnDestDone(hwnd); return 0;
    case IDM_DEST_CANCEL: OnDestCancel(hwnd); return 0;
    case IDM_DELETE: OnDeleteCommand(hwnd); return 0;
    case IDM_TREE_DELETE: OnTreeDeleteCommand(hwnd); return 0;
    case IDM_FIND:
    case IDM_TREE_FIND: OnFindCommand(hwnd); return 0;
    }
    return 0;
}

LRESULT DispatchTreeNotify(HWND hwnd, NMHDR *pnm)
{
    return OnTreeNotify(hwnd, pnm);
}
