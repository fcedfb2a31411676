// Folder tree and destination tree: creation, images, filling by worker
// threads, path look-ups, notifications and keys, and the card nodes. The
// count of the selected folder and the card watcher have files of their own.
//
// Worker threads never touch the trees or the file table themselves: each
// step goes to the main window as a sent message and runs on the UI thread,
// so a refill or a card change cannot pull a node away under a worker.
#include "foldertree.h"
#include "treecount.h"
#include "cardwatch.h"
#include "treerename.h"
#include "mainwnd.h"
#include "filelist.h"
#include "options.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <shlobj.h>
#include <strsafe.h>
#include <cwchar>

#define FILL_BATCH 256
#define FILL_DEPTH_MAX (MAX_PATH / 2 + 1)  // every level adds a backslash and a name

// A folder found by a fill, waiting for its insert.
struct FillRecord {
    HTREEITEM hParent;  // null: the parent is record iParent of the same batch
    int iParent;
    int iImage;
    int iSelectedImage;
    BOOL fWholePath;    // szPath is the folder's path, else only its name (too long a path)
    int ichName;
    WCHAR szPath[MAX_PATH];
    HTREEITEM hItem;    // set by the insert; null when it failed
};

// The parent of the folders being read: a node, or a record not yet sent.
struct FillParent {
    HTREEITEM h;
    int iRecord;
};

// Inserts go to the UI thread in batches, in the order the fill found them:
// one cross-thread send for many folders.
struct FillBatch {
    HWND hwndTree;
    LONG lGeneration;
    BOOL fSelectFirst;  // the first record is the root node: select it
    BOOL fLast;         // the fill is over
    BOOL fWholeTree;    // the fill thread's, not a card's folder filled in place
    int cRecords;
    FillRecord aRecords[FILL_BATCH];
    int cDepth;
    FillParent *apParents[FILL_DEPTH_MAX];  // the parents the recursion holds
    // Read when the root is filled: its folders' images.
    WCHAR szDocs[MAX_PATH];
    int cCards;
    WCHAR aCards[MAX_CARDS][MAX_PATH];
};

static HWND s_hwndFolderTree;
static HWND s_hwndDestTree;
static HWND s_hwndBarRename;
static HWND s_hwndBarDest;
static HIMAGELIST s_himlTree;
static HFONT s_hfontTree;
static HFONT s_hfontDest;
// A fill belongs to one generation of its tree; emptying the tree starts a new one.
static volatile LONG s_lGenCounter;
static volatile LONG s_lGenFolder;
static volatile LONG s_lGenDest;
static volatile LONG s_cFillsFolder;
static volatile LONG s_cFillsDest;

HWND GetDestTreeWindow() { return s_hwndDestTree; }
HWND GetRenameBar() { return s_hwndBarRename; }
HWND GetDestBar() { return s_hwndBarDest; }

static volatile LONG *GenerationOf(HWND hwndTree)
{
    return hwndTree == s_hwndDestTree ? &s_lGenDest : &s_lGenFolder;
}

static volatile LONG *FillsOf(HWND hwndTree)
{
    return hwndTree == s_hwndDestTree ? &s_cFillsDest : &s_cFillsFolder;
}

BOOL IsTreeFilling(HWND hwndTree) { return *FillsOf(hwndTree) > 0; }

void ResetTreeWindows()
{
    InterlockedExchange(&s_lGenFolder, InterlockedIncrement(&s_lGenCounter));
    InterlockedExchange(&s_lGenDest, InterlockedIncrement(&s_lGenCounter));
    s_hwndFolderTree = s_hwndDestTree = nullptr;
    s_hwndBarRename = s_hwndBarDest = nullptr;
    SetFolderTreeWindow(nullptr);
}

// ---- nodes -------------------------------------------------------------------

static HTREEITEM NextItem(HWND hwndTree, HTREEITEM hItem, UINT uFlag)
{
    return (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, uFlag, (LPARAM)hItem);
}

HTREEITEM GetSelectedNode(HWND hwndTree)
{
    return NextItem(hwndTree, nullptr, TVGN_CARET);
}

void GetNodeText(HWND hwndTree, HTREEITEM hNode, WCHAR *psz, size_t cch)
{
    psz[0] = 0;
    TVITEMW tvi = {};
    tvi.mask = TVIF_TEXT | TVIF_HANDLE;
    tvi.hItem = hNode;
    tvi.pszText = psz;
    tvi.cchTextMax = (int)cch;
    if (!SendMessageW(hwndTree, TVM_GETITEMW, 0, (LPARAM)&tvi))
        psz[0] = 0;
}

void SetNodeText(HWND hwndTree, HTREEITEM hNode, LPCWSTR psz)
{
    TVITEMW tvi = {};
    tvi.mask = TVIF_TEXT | TVIF_HANDLE;
    tvi.hItem = hNode;
    tvi.pszText = (LPWSTR)psz;
    SendMessageW(hwndTree, TVM_SETITEMW, 0, (LPARAM)&tvi);
}

void SelectNode(HWND hwndTree, HTREEITEM hNode)
{
    if (!hNode)
        return;
    SendMessageW(hwndTree, TVM_ENSUREVISIBLE, 0, (LPARAM)hNode);
    SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hNode);
}

BOOL GetNodePath(HWND hwndTree, HTREEITEM hNode, WCHAR *pszPath, size_t cchPath)
{
    pszPath[0] = 0;
    HTREEITEM hRoot = NextItem(hwndTree, nullptr, TVGN_ROOT);
    if (!hNode)
        hNode = hRoot;
    if (!hNode || hNode == hRoot)
        return TRUE;
    WCHAR szPath[MAX_PATH], szText[MAX_PATH], szJoined[MAX_PATH];
    GetNodeText(hwndTree, hNode, szPath, ARRAYSIZE(szPath));
    for (HTREEITEM h = NextItem(hwndTree, hNode, TVGN_PARENT); h && h != hRoot; h = NextItem(hwndTree, h, TVGN_PARENT)) {
        GetNodeText(hwndTree, h, szText, ARRAYSIZE(szText));
        if (FAILED(StringCchPrintfW(szJoined, ARRAYSIZE(szJoined), L"%s\\%s", szText, szPath)))
            return FALSE;
        StringCchCopyW(szPath, ARRAYSIZE(szPath), szJoined);
    }
    if (FAILED(StringCchPrintfW(pszPath, cchPath, L"\\%s", szPath))) {
        pszPath[0] = 0;
        return FALSE;
    }
    return TRUE;
}

static HTREEITEM FindChild(HWND hwndTree, HTREEITEM hParent, LPCWSTR pszText, BOOL fIgnoreCase)
{
    WCHAR szText[MAX_PATH];
    for (HTREEITEM h = NextItem(hwndTree, hParent, TVGN_CHILD); h; h = NextItem(hwndTree, h, TVGN_NEXT)) {
        GetNodeText(hwndTree, h, szText, ARRAYSIZE(szText));
        if ((fIgnoreCase ? _wcsicmp(szText, pszText) : wcscmp(szText, pszText)) == 0)
            return h;
    }
    return nullptr;
}

HTREEITEM FindFolderNode(LPCWSTR pszPath)
{
    HWND hwndTree = s_hwndFolderTree;
    if (!hwndTree)
        return nullptr;
    HTREEITEM hCurrent = NextItem(hwndTree, nullptr, TVGN_ROOT);
    WCHAR szPart[MAX_PATH];
    LPCWSTR p = pszPath;
    while (hCurrent && *p == L'\\') {
        LPCWSTR pEnd = wcschr(p + 1, L'\\');
        size_t cch = pEnd ? (size_t)(pEnd - p - 1) : wcslen(p + 1);
        if (cch >= ARRAYSIZE(szPart))
            break;
        wmemcpy(szPart, p + 1, cch);
        szPart[cch] = 0;
        HTREEITEM hFound = FindChild(hwndTree, hCurrent, szPart, FALSE);
        if (hFound)
            hCurrent = hFound;
        if (!pEnd)
            break;
        p = pEnd;
    }
    return hCurrent;
}

HTREEITEM FindExactFolderNode(LPCWSTR pszPath)
{
    HTREEITEM hNode = FindFolderNode(pszPath);
    WCHAR szNodePath[MAX_PATH];
    if (!hNode || !GetNodePath(s_hwndFolderTree, hNode, szNodePath, ARRAYSIZE(szNodePath)))
        return nullptr;
    return _wcsicmp(szNodePath, pszPath) == 0 ? hNode : nullptr;
}

HTREEITEM CopyTreeNode(HWND hwndTree, HTREEITEM hSource, HTREEITEM hNewParent, BOOL fDeleteSource)
{
    WCHAR szText[MAX_PATH];
    TVITEMW tvi = {};
    tvi.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    tvi.hItem = hSource;
    tvi.pszText = szText;
    tvi.cchTextMax = ARRAYSIZE(szText);
    if (!SendMessageW(hwndTree, TVM_GETITEMW, 0, (LPARAM)&tvi))
        return nullptr;
    // A node moved onto a folder of the same name replaces it.
    HTREEITEM hOld = FindChild(hwndTree, hNewParent, szText, TRUE);
    if (hOld && hOld != hSource)
        SendMessageW(hwndTree, TVM_DELETEITEM, 0, (LPARAM)hOld);
    TVINSERTSTRUCTW tvis = {};
    tvis.hParent = hNewParent;
    tvis.hInsertAfter = TVI_SORT;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tvis.item.pszText = szText;
    tvis.item.iImage = tvi.iImage;
    tvis.item.iSelectedImage = tvi.iSelectedImage;
    HTREEITEM hNew = (HTREEITEM)SendMessageW(hwndTree, TVM_INSERTITEMW, 0, (LPARAM)&tvis);
    if (!hNew)
        return nullptr;
    for (HTREEITEM h = NextItem(hwndTree, hSource, TVGN_CHILD); h; h = NextItem(hwndTree, h, TVGN_NEXT))
        CopyTreeNode(hwndTree, h, hNew, FALSE);
    if (fDeleteSource)
        SendMessageW(hwndTree, TVM_DELETEITEM, 0, (LPARAM)hSource);
    return hNew;
}

// ---- filling -------------------------------------------------------------------

// The first switch to the tree comes before the fill reached the current
// folder: its node is selected when it is inserted.
static WCHAR s_szPendingSelect[MAX_PATH];
static BOOL s_fFolderTreeFilled;

// First component of the My Documents folder when it lies in the store.
static void GetDocumentsComponent(WCHAR *psz, size_t cch)
{
    psz[0] = 0;
    WCHAR szDocs[MAX_PATH] = L"";
    if (!SHGetSpecialFolderPathW(nullptr, szDocs, CSIDL_PERSONAL, FALSE) || szDocs[0] != L'\\')
        return;
    StringCchCopyW(psz, cch, szDocs + 1);
    WCHAR *pCut = wcschr(psz, L'\\');
    if (pCut)
        *pCut = 0;
}

static BOOL BeginsWithIgnoreCase(LPCWSTR psz, LPCWSTR pszPrefix)
{
    size_t cch = wcslen(pszPrefix);
    return cch && _wcsnicmp(psz, pszPrefix, cch) == 0;
}

static void RootFolderImages(LPCWSTR pszName, const WCHAR (*pCards)[MAX_PATH], int cCards, LPCWSTR pszDocs,
                             int *piImage, int *piSelected)
{
    *piImage = 0;
    *piSelected = 1;
    for (int i = 0; i < cCards; ++i) {
        if (!BeginsWithIgnoreCase(pszName, pCards[i]))
            continue;
        size_t cchCard = wcslen(pCards[i]);
        BOOL fDocs = pszDocs[0] && _wcsnicmp(pszName, pszDocs, cchCard) == 0;
        *piImage = fDocs ? 5 : 3;
        *piSelected = fDocs ? 5 : 4;
        return;
    }
}

// Sends the batch; FALSE once the tree was emptied (the fill is over).
static BOOL SendFillBatch(FillBatch *pb)
{
    // On the UI thread (a card change) the send is a plain call.
    BOOL fGoOn = SendMessageW(g_hwndMain, WM_TAVEL_FILLINSERT, 0, (LPARAM)pb) != 0;
    for (int d = 0; d < pb->cDepth; ++d) {
        FillParent *pp = pb->apParents[d];
        if (pp->iRecord >= 0) {
            pp->h = pb->aRecords[pp->iRecord].hItem;
            pp->iRecord = -1;
        }
    }
    pb->cRecords = 0;
    pb->fSelectFirst = FALSE;
    return fGoOn;
}

// Queues one folder; returns its record, or null when the fill is over.
static FillRecord *QueueFolder(FillBatch *pb, const FillParent &parent, LPCWSTR pszFolder, LPCWSTR pszName)
{
    if (pb->cRecords == FILL_BATCH && !SendFillBatch(pb))
        return nullptr;
    FillRecord &r = pb->aRecords[pb->cRecords++];
    r.hParent = parent.iRecord >= 0 ? nullptr : parent.h;
    r.iParent = parent.iRecord;
    r.iImage = 0;
    r.iSelectedImage = 1;
    r.hItem = nullptr;
    r.fWholePath = pszFolder && JoinPath(pszFolder, pszName, r.szPath, ARRAYSIZE(r.szPath));
    if (!r.fWholePath)
        StringCchCopyW(r.szPath, ARRAYSIZE(r.szPath), pszName);
    r.ichName = r.fWholePath ? (int)wcslen(pszFolder) + 1 : 0;
    return &r;
}

// Queues the folders of pszPath matching the pattern under the parent, each filled in turn.
static BOOL FillNode(FillBatch *pb, FillParent *pParent, LPCWSTR pszPath, LPCWSTR pszPattern = L"*.*")
{
    if (!pszPath[0]) {
        GetDocumentsComponent(pb->szDocs, ARRAYSIZE(pb->szDocs));
        pb->cCards = ReadCards(pb->aCards, MAX_CARDS);
    }
    WCHAR szPattern[MAX_PATH];
    if (!JoinPath(pszPath, pszPattern, szPattern, ARRAYSIZE(szPattern)) || pb->cDepth == FILL_DEPTH_MAX)
        return TRUE;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(szPattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return TRUE;
    pb->apParents[pb->cDepth++] = pParent;
    BOOL fGoOn = TRUE;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        FillRecord *pr = QueueFolder(pb, *pParent, pszPath, fd.cFileName);
        if (!pr) {
            fGoOn = FALSE;
            break;
        }
        if (!pszPath[0])
            RootFolderImages(fd.cFileName, pb->aCards, pb->cCards, pb->szDocs, &pr->iImage, &pr->iSelectedImage);
        // A deeper path would not fit: the folder shows without children.
        if (!pr->fWholePath)
            continue;
        FillParent child = {nullptr, (int)(pr - pb->aRecords)};
        WCHAR szChild[MAX_PATH];
        StringCchCopyW(szChild, ARRAYSIZE(szChild), pr->szPath);
        fGoOn = FillNode(pb, &child, szChild);
    } while (fGoOn && FindNextFileW(hFind, &fd));
    FindClose(hFind);
    --pb->cDepth;
    return fGoOn;
}

static FillBatch *NewFillBatch(HWND hwndTree, LONG lGen)
{
    FillBatch *pb = (FillBatch *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(FillBatch));
    if (pb) {
        pb->hwndTree = hwndTree;
        pb->lGeneration = lGen;
    }
    return pb;
}

static void FillUnder(FillBatch *pb, FillParent *pParent, LPCWSTR pszPath, LPCWSTR pszPattern = L"*.*")
{
    if (FillNode(pb, pParent, pszPath, pszPattern)) {
        pb->fLast = TRUE;
        SendFillBatch(pb);
    }
}

// Fills the node in place, on the UI thread, with the folders matching the pattern.
static void FillInPlace(HWND hwndTree, HTREEITEM hNode, LPCWSTR pszPath, LPCWSTR pszPattern)
{
    FillBatch *pb = NewFillBatch(hwndTree, *GenerationOf(hwndTree));
    if (!pb)
        return;
    FillParent parent = {hNode, -1};
    FillUnder(pb, &parent, pszPath, pszPattern);
    HeapFree(GetProcessHeap(), 0, pb);
}

void FillFolderNode(HWND hwndTree, HTREEITEM hNode, LPCWSTR pszPath)
{
    FillInPlace(hwndTree, hNode, pszPath, L"*.*");
}

HTREEITEM ReadFolderNode(HWND hwndTree, HTREEITEM hParent, LPCWSTR pszParentPath, LPCWSTR pszName)
{
    HTREEITEM hOld = FindChild(hwndTree, hParent, pszName, TRUE);
    if (hOld)
        SendMessageW(hwndTree, TVM_DELETEITEM, 0, (LPARAM)hOld);
    // The name itself as the pattern: the one folder, if it is there.
    FillInPlace(hwndTree, hParent, pszParentPath, pszName);
    return FindChild(hwndTree, hParent, pszName, TRUE);
}

void RenameFolderNode(LPCWSTR pszParentPath, LPCWSTR pszOld, LPCWSTR pszNew)
{
    WCHAR szOld[MAX_PATH];
    HTREEITEM hOld = s_hwndFolderTree && JoinPath(pszParentPath, pszOld, szOld, ARRAYSIZE(szOld))
                         ? FindExactFolderNode(szOld)
                         : nullptr;
    if (!hOld)
        return;
    HTREEITEM hParent = NextItem(s_hwndFolderTree, hOld, TVGN_PARENT);
    BOOL fSelected = GetSelectedNode(s_hwndFolderTree) == hOld;
    SendMessageW(s_hwndFolderTree, TVM_DELETEITEM, 0, (LPARAM)hOld);
    HTREEITEM hNew = ReadFolderNode(s_hwndFolderTree, hParent, pszParentPath, pszNew);
    if (fSelected)
        SelectNode(s_hwndFolderTree, hNew);
}

struct FillStart {
    HWND hwndTree;
    LONG lGen;
    volatile LONG *pcFills;  // the counter of the tree it was started for
};

static DWORD WINAPI TreeFillThread(LPVOID pv)
{
    FillStart fs = *(FillStart *)pv;
    HeapFree(GetProcessHeap(), 0, pv);
    FillBatch *pb = NewFillBatch(fs.hwndTree, fs.lGen);
    if (pb) {
        pb->fWholeTree = TRUE;
        FillParent root = {TVI_ROOT, -1};
        FillRecord *pr = QueueFolder(pb, root, nullptr, ROOT_TEXT_COLLAPSED);
        pr->iImage = pr->iSelectedImage = 2;
        pb->fSelectFirst = TRUE;
        // The root shows at once; its folders follow batch by batch.
        HTREEITEM hRoot = SendFillBatch(pb) ? pb->aRecords[0].hItem : nullptr;
        if (hRoot) {
            FillParent parent = {hRoot, -1};
            FillUnder(pb, &parent, L"");
        }
        HeapFree(GetProcessHeap(), 0, pb);
    }
    InterlockedDecrement(fs.pcFills);
    return 0;
}

static void StartFillThread(HWND hwndTree)
{
    if (hwndTree == s_hwndFolderTree)
        s_fFolderTreeFilled = FALSE;
    FillStart *pfs = (FillStart *)HeapAlloc(GetProcessHeap(), 0, sizeof(FillStart));
    if (!pfs)
        return;
    pfs->hwndTree = hwndTree;
    pfs->lGen = *GenerationOf(hwndTree);
    pfs->pcFills = FillsOf(hwndTree);
    InterlockedIncrement(pfs->pcFills);
    HANDLE h = CreateThread(nullptr, 0, TreeFillThread, pfs, 0, nullptr);
    if (!h) {
        InterlockedDecrement(pfs->pcFills);
        HeapFree(GetProcessHeap(), 0, pfs);
        return;
    }
    CloseHandle(h);
}

void RefillTree(HWND hwndTree)
{
    if (!hwndTree)
        return;
    InterlockedExchange(GenerationOf(hwndTree), InterlockedIncrement(&s_lGenCounter));
    SendMessageW(hwndTree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
    StartFillThread(hwndTree);
}

static HTREEITEM InsertFillRecord(HWND hwndTree, const FillBatch *pb, const FillRecord &r)
{
    HTREEITEM hParent = r.hParent ? r.hParent : pb->aRecords[r.iParent].hItem;
    if (!hParent)
        return nullptr;
    TVINSERTSTRUCTW tvis = {};
    tvis.hParent = hParent;
    tvis.hInsertAfter = TVI_SORT;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tvis.item.pszText = (LPWSTR)(r.szPath + r.ichName);
    tvis.item.iImage = r.iImage;
    tvis.item.iSelectedImage = r.iSelectedImage;
    // Already on the tree's thread: the tree's procedure is called as a send
    // would call it, without a pass through the message hooks for each folder.
    WNDPROC pfnTree = (WNDPROC)GetWindowLongPtrW(hwndTree, GWLP_WNDPROC);
    return (HTREEITEM)CallWindowProcW(pfnTree, hwndTree, TVM_INSERTITEMW, 0, (LPARAM)&tvis);
}

static LRESULT OnFillInsert(FillBatch *pb)
{
    HWND hwndTree = pb->hwndTree;
    if (!hwndTree || pb->lGeneration != *GenerationOf(hwndTree))
        return 0;
    BOOL fFolderTree = hwndTree == s_hwndFolderTree;
    HTREEITEM hPending = nullptr;
    for (int i = 0; i < pb->cRecords; ++i) {
        FillRecord &r = pb->aRecords[i];
        r.hItem = InsertFillRecord(hwndTree, pb, r);
        if (i == 0 && pb->fSelectFirst && r.hItem) {
            SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)r.hItem);
            SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, (LPARAM)r.hItem);
        }
        BOOL fPending = fFolderTree && r.hItem && r.fWholePath && s_szPendingSelect[0];
        if (fPending && _wcsicmp(r.szPath, s_szPendingSelect) == 0)
            hPending = r.hItem;
    }
    if (fFolderTree && pb->fLast && pb->fWholeTree) {
        s_fFolderTreeFilled = TRUE;
        // No node has the folder's whole path: the deepest that matched, as later switches take.
        if (!hPending && s_szPendingSelect[0])
            hPending = FindFolderNode(s_szPendingSelect);
    }
    if (hPending) {
        s_szPendingSelect[0] = 0;
        SelectNode(hwndTree, hPending);
    }
    return 1;
}

// ---- storage-card nodes ------------------------------------------------------

void AddCardNode(LPCWSTR pszName, LPCWSTR pszCardPath, BOOL fSelect)
{
    if (!s_hwndFolderTree)
        return;
    HTREEITEM hRoot = NextItem(s_hwndFolderTree, nullptr, TVGN_ROOT);
    if (!hRoot || FindChild(s_hwndFolderTree, hRoot, pszName, TRUE))
        return;
    TVINSERTSTRUCTW tvis = {};
    tvis.hParent = hRoot;
    tvis.hInsertAfter = TVI_SORT;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tvis.item.pszText = (LPWSTR)pszName;
    tvis.item.iImage = 3;
    tvis.item.iSelectedImage = 4;
    HTREEITEM hNode = (HTREEITEM)SendMessageW(s_hwndFolderTree, TVM_INSERTITEMW, 0, (LPARAM)&tvis);
    if (!hNode)
        return;
    FillFolderNode(s_hwndFolderTree, hNode, pszCardPath);
    if (fSelect)
        SelectNode(s_hwndFolderTree, hNode);
}

void RemoveCardNode(LPCWSTR pszName)
{
    if (!s_hwndFolderTree)
        return;
    HTREEITEM hNode = FindChild(s_hwndFolderTree, NextItem(s_hwndFolderTree, nullptr, TVGN_ROOT), pszName, TRUE);
    if (hNode)
        SendMessageW(s_hwndFolderTree, TVM_DELETEITEM, 0, (LPARAM)hNode);
}

// ---- creation ----------------------------------------------------------------

static BOOL AddIcon(HICON hicon)
{
    if (!hicon)
        return FALSE;
    BOOL fOk = ImageList_AddIcon(s_himlTree, hicon) >= 0;
    DestroyIcon(hicon);
    return fOk;
}

static BOOL BuildTreeImages()
{
    if (s_himlTree)
        return TRUE;
    s_himlTree = ImageList_Create(16, 16, ILC_MASK, 6, 0);
    if (!s_himlTree)
        return FALSE;
    SHFILEINFOW sfi = {};
    SHGetFileInfoW(L"C:\\FAKE_DIR\\", FILE_ATTRIBUTE_DIRECTORY, &sfi, sizeof(sfi),
                   SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
    // Without a shell icon the program's own folder keeps the image numbers.
    if (!sfi.hIcon)
        sfi.hIcon = (HICON)LoadImageW(g_hInst, MAKEINTRESOURCEW(IDI_FOLDER), IMAGE_ICON, 16, 16, 0);
    if (!AddIcon(sfi.hIcon))
        return FALSE;
    static const UINT kIcons[] = {IDI_FOLDER, IDI_FILE, IDI_CARD, IDI_CARD_SELECTED, IDI_CARD_DOCUMENTS};
    for (UINT id : kIcons) {
        if (!AddIcon((HICON)LoadImageW(g_hInst, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0)))
            return FALSE;
    }
    return TRUE;
}

static HFONT TreeFont(int iHeight)
{
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
    lf.lfHeight = iHeight;
    lf.lfWidth = 0;
    lf.lfWeight = FW_NORMAL;
    return CreateFontIndirectW(&lf);
}

static HWND CreateBarHidden(HWND hwndMain, UINT idBar)
{
    HWND hwndBar = CreateSoftKeyBar(hwndMain, idBar);
    if (!hwndBar)
        return nullptr;
    OverrideBackKey(hwndBar);
    ShowWindow(hwndBar, SW_HIDE);
    return hwndBar;
}

static HWND CreateTree(HWND hwndMain, LPCWSTR pszName, int y, int cy, UINT id, HFONT hfont)
{
    DWORD dwStyle = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS | TVS_DISABLEDRAGDROP |
                    TVS_SHOWSELALWAYS | TVS_TRACKSELECT;
    HWND hwndTree = CreateWindowExW(0, WC_TREEVIEWW, pszName, dwStyle, 0, y, 176, cy, hwndMain,
                                    (HMENU)(UINT_PTR)id, g_hInst, nullptr);
    if (!hwndTree)
        return nullptr;
    SendMessageW(hwndTree, WM_SETFONT, (WPARAM)hfont, FALSE);
    SendMessageW(hwndTree, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)s_himlTree);
    return hwndTree;
}

BOOL CreateFolderTree(HWND hwndMain)
{
    if (s_hwndFolderTree)
        return TRUE;
    if (!s_hwndBarRename)
        s_hwndBarRename = CreateBarHidden(hwndMain, IDR_BAR_RENAME);
    if (!s_hwndBarRename || !BuildTreeImages())
        return FALSE;
    if (GetCurrentBar())
        ShowWindow(GetCurrentBar(), SW_SHOW);
    if (s_hfontTree)
        DeleteObject(s_hfontTree);
    s_hfontTree = TreeFont(GetOption(OPT_SMALL_FONT) ? -12 : -14);
    s_hwndFolderTree = CreateTree(hwndMain, L"Tree View", 0, 160, IDC_FOLDERTREE, s_hfontTree);
    if (!s_hwndFolderTree)
        return FALSE;
    SetFolderTreeWindow(s_hwndFolderTree);
    InterlockedExchange(&s_lGenFolder, InterlockedIncrement(&s_lGenCounter));
    StartFillThread(s_hwndFolderTree);
    return TRUE;
}

HWND PrepareDestTree(HWND hwndMain)
{
    if (s_hwndDestTree) {
        RefillTree(s_hwndDestTree);
        return s_hwndDestTree;
    }
    if (!s_hwndBarDest)
        s_hwndBarDest = CreateBarHidden(hwndMain, IDR_BAR_DESTINATION);
    if (!s_hwndBarDest || !BuildTreeImages())
        return nullptr;
    if (!s_hfontDest)
        s_hfontDest = TreeFont(-12);
    s_hwndDestTree = CreateTree(hwndMain, L"MoveCopyTreeView", 40, 140, IDC_DESTTREE, s_hfontDest);
    if (!s_hwndDestTree)
        return nullptr;
    InterlockedExchange(&s_lGenDest, InterlockedIncrement(&s_lGenCounter));
    StartFillThread(s_hwndDestTree);
    return s_hwndDestTree;
}

// ---- modes ---------------------------------------------------------------------

void OnTreeView(HWND hwnd)
{
    if (IsTreeMode() || IsDestTreeShown() || IsMultiSelectMode())
        return;
    HWND hwndBarTree = GetModeBar(IDR_BAR_TREE);
    ShowWindow(hwndBarTree, SW_SHOW);
    ShowWindow(GetModeBar(IDR_BAR_LIST), SW_HIDE);
    SetCurrentBar(hwndBarTree);
    if (!CreateFolderTree(hwnd)) {
        ShowWindow(GetModeBar(IDR_BAR_LIST), SW_SHOW);
        ShowWindow(hwndBarTree, SW_HIDE);
        SetCurrentBar(GetModeBar(IDR_BAR_LIST));
        return;
    }
    SetTreeMode(TRUE);
    SetFocus(s_hwndFolderTree);
    ShowWindow(s_hwndFolderTree, SW_SHOW);
    ShowWindow(GetFileListWindow(), SW_HIDE);
    s_szPendingSelect[0] = 0;
    HTREEITEM hNode = FindExactFolderNode(g_szCurrentFolder);
    if (!hNode && !s_fFolderTreeFilled && g_szCurrentFolder[0])
        StringCchCopyW(s_szPendingSelect, ARRAYSIZE(s_szPendingSelect), g_szCurrentFolder);
    else if (!hNode)
        hNode = FindFolderNode(g_szCurrentFolder);
    if (hNode)
        SelectNode(s_hwndFolderTree, hNode);
    SetEvent(g_hShowTreeSelectEvent);
}

void OnListView(HWND hwnd)
{
    (void)hwnd;
    if (!IsTreeMode() || !s_hwndFolderTree)
        return;
    WCHAR szPath[MAX_PATH];
    // A folder whose node the fill has not reached is still the one to list.
    if (s_szPendingSelect[0])
        s_szPendingSelect[0] = 0;
    else if (GetNodePath(s_hwndFolderTree, GetSelectedNode(s_hwndFolderTree), szPath, ARRAYSIZE(szPath)))
        StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), szPath);
    HWND hwndBarTree = GetModeBar(IDR_BAR_TREE);
    if (GetCurrentBar() == hwndBarTree) {
        ShowWindow(GetModeBar(IDR_BAR_LIST), SW_SHOW);
        ShowWindow(hwndBarTree, SW_HIDE);
        SetCurrentBar(GetModeBar(IDR_BAR_LIST));
    }
    SetTreeMode(FALSE);
    HWND hwndList = GetFileListWindow();
    SetFocus(hwndList);
    ShowWindow(hwndList, SW_SHOW);
    ShowWindow(s_hwndFolderTree, SW_HIDE);
    ListFolder();
    PaintTitleStrip();
}

void OnTreeRefresh(HWND hwnd)
{
    (void)hwnd;
    RefillTree(s_hwndFolderTree);
}

// ---- notifications and keys ------------------------------------------------------

static void OnItemExpanded(HWND hwndTree, const NMTREEVIEWW *pnmtv)
{
    if (pnmtv->itemNew.hItem != NextItem(hwndTree, nullptr, TVGN_ROOT))
        return;
    UINT uState = (UINT)SendMessageW(hwndTree, TVM_GETITEMSTATE, (WPARAM)pnmtv->itemNew.hItem, TVIS_EXPANDED);
    SetNodeText(hwndTree, pnmtv->itemNew.hItem, (uState & TVIS_EXPANDED) ? ROOT_TEXT_EXPANDED : ROOT_TEXT_COLLAPSED);
}

static void OnTreeKey(HWND hwnd, WORD wVKey)
{
    HWND hwndTree = s_hwndFolderTree;
    switch (wVKey) {
    case VK_RETURN: {
        HTREEITEM hSel = GetSelectedNode(hwndTree);
        if (hSel && !NextItem(hwndTree, hSel, TVGN_CHILD))
            OnListView(hwnd);
        break;
    }
    case '7': SendMessageW(hwndTree, WM_VSCROLL, SB_PAGEUP, 0); break;
    case '9': SendMessageW(hwndTree, WM_VSCROLL, SB_PAGEDOWN, 0); break;
    case VK_F8: SelectNode(hwndTree, NextItem(hwndTree, nullptr, TVGN_ROOT)); break;
    case VK_F9:
        SendMessageW(hwndTree, WM_VSCROLL, SB_BOTTOM, 0);
        SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)NextItem(hwndTree, nullptr, TVGN_FIRSTVISIBLE));
        break;
    }
}

LRESULT OnTreeNotify(HWND hwnd, NMHDR *pnm)
{
    if (pnm->code == TVN_ITEMEXPANDEDW) {
        OnItemExpanded(pnm->hwndFrom, (NMTREEVIEWW *)pnm);
        return 0;
    }
    if (pnm->idFrom != IDC_FOLDERTREE)
        return 0;
    switch (pnm->code) {
    case TVN_SELCHANGINGW:
        AbortTreeCount();
        return 0;
    case TVN_SELCHANGEDW:
        if (((NMTREEVIEWW *)pnm)->action != TVC_UNKNOWN)
            s_szPendingSelect[0] = 0;  // the user chose another node
        // Flag first: a count woken by this signal clears the flag and must not see it again.
        AbortTreeCount();
        SetEvent(g_hShowTreeSelectEvent);
        return 0;
    case TVN_KEYDOWN:
        OnTreeKey(hwnd, ((NMTVKEYDOWN *)pnm)->wVKey);
        return 0;
    case TVN_BEGINLABELEDITW:
        ShowWindow(GetCurrentBar(), SW_HIDE);
        ShowWindow(s_hwndBarRename, SW_SHOW);
        return FALSE;
    case TVN_ENDLABELEDITW:
        ShowWindow(s_hwndBarRename, SW_HIDE);
        ShowWindow(GetCurrentBar(), SW_SHOW);
        return OnTreeLabelEdited(pnm->hwndFrom, (NMTVDISPINFOW *)pnm);
    }
    return 0;
}

void StartTreeThreads()
{
    static BOOL s_fShared = FALSE;
    if (!s_fShared) {
        InitializeCriticalSection(&g_csTree);
        g_hShowTreeSelectEvent = CreateEventW(nullptr, FALSE, FALSE, L"ShowTreeSelectEvent");
        if (g_hShowTreeSelectEvent)
            StartTreeCountThread();
        s_fShared = TRUE;
    }
    StartCardWatcher();
}

LRESULT OnTavelMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)hwnd;
    switch (msg) {
    case WM_TAVEL_FILLINSERT: return OnFillInsert((FillBatch *)lp);
    case WM_TAVEL_SELPATH:
    case WM_TAVEL_COUNTS: return OnTreeCountMessage(msg, wp, lp);
    case WM_TAVEL_CARD: OnCardChanged((BOOL)wp, (LPCWSTR)lp); return 0;
    case WM_TAVEL_RENAMEAGAIN: OnTreeRenameAgain(); return 0;
    }
    return 0;
}
