// Hand-over point for the commands the main window does not carry out
// itself. Each module that owns a command adds its case here; until then
// the command has no effect.
#include "mainwnd.h"

LRESULT DispatchToOwner(HWND hwnd, UINT uCmd)
{
    (void)hwnd;
    (void)uCmd;
    return 0;
}

LRESULT DispatchTreeNotify(HWND hwnd, NMHDR *pnm)
{
    (void)hwnd;
    (void)pnm;
    return 0;
}
