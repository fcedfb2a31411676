// The properties page of the selected list entry or tree folder.
#pragma once
#include <windows.h>

// Modal; fTree takes the folder tree's selected node instead of the list's row.
INT_PTR ShowPropertiesPage(HWND hwndOwner, BOOL fTree);
// Dialog procedure of template 104; the creation parameter is fTree.
INT_PTR CALLBACK PropertiesProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
