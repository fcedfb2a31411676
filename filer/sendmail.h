// Send by E-mail (40058): the selected file handed to the platform's mail program.
#pragma once
#include <windows.h>

void OnSendEmailCommand(HWND hwnd);
