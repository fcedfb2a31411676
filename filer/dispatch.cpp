// Hand-over point for the commands the main window does not carry out
// itself. Each module that owns a command adds its case here.
#include "mainwnd.h"
#include "foldertree.h"
#include "fileops.h"
#include "properties.h"
#include "optionsdlg.h"
#include "renamedlg.h"
#include "treerename.h"
#include "newfolderdlg.h"
#include "sendmail.h"
#include "find.h"
#include "beam.h"
#include "../res/tavel/resource.h"

LRESULT DispatchToOwner(HWND hwnd, UINT uCmd)
{
    switch (uCmd) {
    case IDM_WINDOW_CREATED:
    case IDM_WINDOW_DESTROYED:
        KillReceiveReminder();
        ResetTreeWindows();
        return 0;
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
    case IDM_PROPERTIES: ShowPropertiesPage(hwnd, FALSE); return 0;
    case IDM_TREE_PROPERTIES: ShowPropertiesPage(hwnd, TRUE); return 0;
    case IDM_OPTIONS:
    case IDM_TREE_OPTIONS: ShowOptionsPage(hwnd); return 0;
    case IDM_RENAME: OnRenameCommand(hwnd); return 0;
    case IDM_TREE_RENAME: OnTreeRenameCommand(hwnd); return 0;
    case IDM_TREE_RENAME_CANCEL: OnTreeRenameEnd(FALSE); return 0;
    case IDM_TREE_RENAME_DONE: OnTreeRenameEnd(TRUE); return 0;
    case IDM_NEW_FOLDER:
    case IDM_TREE_NEW_FOLDER: OnNewFolderCommand(hwnd); return 0;
    case IDM_SEND_EMAIL: OnSendEmailCommand(hwnd); return 0;
    case IDM_FIND:
    case IDM_TREE_FIND: OnFindCommand(hwnd); return 0;
    case IDM_SEND_IR: OnSendByIrCommand(hwnd); return 0;
    case IDM_RECEIVE_IR:
    case IDM_TREE_RECEIVE_IR: OnReceiveFromIrCommand(hwnd); return 0;
    }
    return 0;
}

LRESULT DispatchTreeNotify(HWND hwnd, NMHDR *pnm)
{
    return OnTreeNotify(hwnd, pnm);
}
