// The options page: the seven flags of the options store.
#pragma once
#include <windows.h>

INT_PTR ShowOptionsPage(HWND hwndOwner);
// Dialog procedure of template 128.
INT_PTR CALLBACK OptionsProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
