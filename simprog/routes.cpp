// Commands of the Import/Export menu arrive here.
#include "morlin.h"
#include "smslist.h"
#include "kit.h"
#include "../res/morlin/resource.h"

void RouteTransferCommand(HWND hwnd, UINT id)
{
    switch (id) {
    case IDM_CONTACTS_TO_SIM:
        RunDialogFromTemplate(g_hInst, IDD_TRANSFER, hwnd, SaveContact2SIM, 0);
        break;
    case IDM_SIM_TO_CONTACTS:
        RunDialogFromTemplate(g_hInst, IDD_TRANSFER, hwnd, SaveSIM2Contacts, 0);
        SetFocus(g_hwndPhoneBookList);
        break;
    case IDM_INBOX_TO_SIM:
        RunDialogFromTemplate(g_hInst, IDD_SMSLIST, hwnd, InboxCopyProc, 0);
        break;
    }
}
