// The options page: one check box per option flag; Done stores them all and
// applies the two that change the display at once, Cancel stores nothing.
#include "optionsdlg.h"
#include "mainwnd.h"
#include "filelist.h"
#include "options.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>

// In Done's storing order: the listing follows HideHiddenFiles, the font SmallFont.
static const struct {
    int idc;
    UINT ids;
    const char *pszOption;
} kBoxes[] = {{IDC_OPT_REMEMBER_FOLDER, IDS_OPT_REMEMBER_FOLDER, OPT_REMEMBER_FOLDER},
              {IDC_OPT_HIDE_HIDDEN, IDS_OPT_HIDE_HIDDEN, OPT_HIDE_HIDDEN},
              {IDC_OPT_CONFIRM_OVERWRITE, IDS_OPT_CONFIRM_OVERWRITE, OPT_CONFIRM_OVERWRITE},
              {IDC_OPT_CONFIRM_DELETE, IDS_OPT_CONFIRM_DELETE, OPT_CONFIRM_DELETE},
              {IDC_OPT_HIDE_EXTENSIONS, IDS_OPT_HIDE_EXTENSIONS, OPT_HIDE_EXTENSIONS},
              {IDC_OPT_SWITCH_TO_CARD, IDS_OPT_SWITCH_TO_CARD, OPT_SWITCH_TO_CARD},
              {IDC_OPT_SMALL_FONT, IDS_OPT_SMALL_FONT, OPT_SMALL_FONT}};

static HFONT s_hfontPage;
// The font Done gave the list and the tree; replaced by the next Done.
static HFONT s_hfontView;

INT_PTR ShowOptionsPage(HWND hwndOwner)
{
    return RunDialogFromTemplate(g_hInst, IDD_OPTIONS, hwndOwner, OptionsProc, 0);
}

static void OnInitDialog(HWND hdlg)
{
    if (!CreateSoftKeyBar(hdlg, IDR_BAR_OPTIONS) || !InitFullScreenDialog(hdlg))
        return;
    if (!s_hfontPage)
        s_hfontPage = CreateSystemFont(-12, FW_THIN);
    SendMessageW(hdlg, WM_SETFONT, (WPARAM)s_hfontPage, FALSE);
    WCHAR sz[64];
    if (LoadStringW(g_hInst, IDS_OPTIONS, sz, ARRAYSIZE(sz)))
        SetWindowTextW(hdlg, sz);
    for (const auto &b : kBoxes) {
        SendDlgItemMessageW(hdlg, b.idc, WM_SETFONT, (WPARAM)s_hfontPage, FALSE);
        if (LoadStringW(g_hInst, b.ids, sz, ARRAYSIZE(sz)))
            SetDlgItemTextW(hdlg, b.idc, sz);
        CheckDlgButton(hdlg, b.idc, GetOption(b.pszOption) ? BST_CHECKED : BST_UNCHECKED);
    }
}

static void ApplyViewFont()
{
    HFONT hfont = CreateSystemFont(GetOption(OPT_SMALL_FONT) ? -12 : -14, FW_NORMAL);
    if (!hfont)
        return;
    HWND ahwnd[] = {GetFileListWindow(), GetFolderTreeWindow()};
    for (HWND hwndView : ahwnd) {
        if (hwndView)
            SendMessageW(hwndView, WM_SETFONT, (WPARAM)hfont, TRUE);
    }
    if (s_hfontView)
        DeleteObject(s_hfontView);
    s_hfontView = hfont;
}

static void OnDone(HWND hdlg)
{
    for (const auto &b : kBoxes) {
        SetOption(b.pszOption, IsDlgButtonChecked(hdlg, b.idc) == BST_CHECKED);
        if (b.idc == IDC_OPT_HIDE_HIDDEN)
            ListFolder();
    }
    ApplyViewFont();
    EndDialog(hdlg, IDOK);
}

INT_PTR CALLBACK OptionsProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    switch (msg) {
    case WM_INITDIALOG: OnInitDialog(hdlg); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDM_OPTIONS_DONE: OnDone(hdlg); break;
        case IDM_OPTIONS_CANCEL:
        case IDCANCEL: EndDialog(hdlg, IDCANCEL); break;  // Back leaves as Cancel does
        }
        return TRUE;
    case WM_DESTROY:
        if (s_hfontPage)
            DeleteObject(s_hfontPage);
        s_hfontPage = nullptr;
        return FALSE;
    }
    return FALSE;
}
