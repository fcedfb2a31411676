// Receive from IR: the OBEX receive server switched on through its driver
// "OBX0:", and the reminder timer that offers to switch it off again.
#include "beam.h"
#include "options.h"
#include "kit.h"
#include "obex.h"
#include "../res/tavel/resource.h"

static UINT_PTR s_idReminder;
static BOOL s_fReminderRunning;

static HANDLE OpenDriver()
{
    return CreateFileW(L"OBX0:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// 0 when the driver cannot be opened, -1 when the request fails.
static int ReadServerState()
{
    HANDLE h = OpenDriver();
    if (h == INVALID_HANDLE_VALUE)
        return SERVICE_STATE_OFF;
    DWORD dwState = 0, cbReturned = 0;
    BOOL fOk = DeviceIoControl(h, IOCTL_SERVICE_STATUS, nullptr, 0, &dwState, sizeof(dwState), &cbReturned, nullptr);
    CloseHandle(h);
    return fOk ? (int)dwState : -1;
}

static BOOL ControlServer(DWORD dwCode)
{
    HANDLE h = OpenDriver();
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD cbReturned = 0;
    BOOL fOk = DeviceIoControl(h, dwCode, nullptr, 0, nullptr, 0, &cbReturned, nullptr);
    CloseHandle(h);
    return fOk;
}

static void ShowIrdaMessage(HWND hwnd, UINT uType, UINT ids)
{
    ShowResourceMessage(hwnd, uType, g_hInst, IDS_IRDA, ids);
}

BOOL IsReceiveReminderRunning()
{
    return s_fReminderRunning;
}

void KillReceiveReminder()
{
    if (!s_fReminderRunning)
        return;
    KillTimer(nullptr, s_idReminder);
    s_idReminder = 0;
    s_fReminderRunning = FALSE;
}

// TRUE when the server ended up off (or was found off).
static BOOL AskToTurnOff()
{
    if (ReadServerState() == SERVICE_STATE_OFF)
        return TRUE;
    if (ShowResourceMessage(nullptr, MB_YESNO | MB_ICONINFORMATION, g_hInst, IDS_IRDA, IDS_OBEX_TURN_OFF_ASK) != IDYES)
        return FALSE;
    if (!ControlServer(IOCTL_SERVICE_STOP)) {
        ShowIrdaMessage(nullptr, MB_ICONHAND, IDS_BEAM_UNKNOWN_ERROR);
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK OnReminderTimer(HWND, UINT, UINT_PTR, DWORD)
{
    // A box's own message loop runs this timer too: one reminder at a time.
    static BOOL s_fAsking;
    if (s_fAsking)
        return;
    s_fAsking = TRUE;
    BOOL fOff = AskToTurnOff();
    s_fAsking = FALSE;
    if (fOff)
        KillReceiveReminder();
    else if (s_fReminderRunning)  // the next one a whole period after the answer
        SetTimer(nullptr, s_idReminder, ReadBeamTimeout(), OnReminderTimer);
}

static void StartServer(HWND hwnd)
{
    NKDbgPrintfW(L"Server is off -- starting\r\n");
    if (!ControlServer(IOCTL_SERVICE_START)) {
        NKDbgPrintfW(L"Setting device IOCTL failed\r\n");
        ShowIrdaMessage(hwnd, MB_ICONHAND, IDS_OBEX_CANT_START);
        return;
    }
    ShowIrdaMessage(hwnd, MB_ICONINFORMATION, IDS_OBEX_STARTED);
    KillReceiveReminder();
    s_idReminder = SetTimer(nullptr, 0, ReadBeamTimeout(), OnReminderTimer);
    s_fReminderRunning = s_idReminder != 0;
}

void OnReceiveFromIrCommand(HWND hwnd)
{
    struct StateCase {
        LPCWSTR pszDebug;
        UINT idsText;
    };
    static const StateCase kCases[] = {
        {nullptr, 0},
        {L"Server is already on \r\n", IDS_OBEX_ALREADY_ON},
        {L"Server is starting up\r\n", IDS_OBEX_STARTING_UP},
        {L"Server is shutting down\r\n", IDS_OBEX_SHUTTING_DOWN},
        {L"Server is unloading\r\n", IDS_OBEX_UNLOADING},
        {L"Server is uninitialized\r\n", IDS_OBEX_UNINITIALIZED},
    };
    int iState = ReadServerState();
    if (iState == SERVICE_STATE_OFF) {
        StartServer(hwnd);
        return;
    }
    if (iState < 0 || iState >= (int)ARRAYSIZE(kCases)) {
        NKDbgPrintfW(L"Server state is unknown at this time\r\n");
        ShowIrdaMessage(hwnd, MB_ICONINFORMATION, IDS_OBEX_UNKNOWN);
        return;
    }
    NKDbgPrintfW(L"%s", kCases[iState].pszDebug);
    ShowIrdaMessage(hwnd, MB_ICONINFORMATION, kCases[iState].idsText);
}
