// Commands whose screens (Contacts transfer, Inbox copy) are
// not part of this program yet: they arrive here and do nothing.
#include "morlin.h"

void RouteTransferCommand(HWND hwnd, UINT id)
{
    (void)hwnd;
    (void)id;
}
