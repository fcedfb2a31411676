// The handset's OBEX receive service; the launcher puts it in the profile folder.
#include <windows.h>
#include "platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    return PlatRunObexService();
}
