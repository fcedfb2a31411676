// Demo helper beside Tavel (tour lines after " -- "):
//   irdapeer.exe out NAME    the IrDA device NAME leaves the range, then ends
//   irdapeer.exe slow SHOT   a slow OBEX receiver on port 650 that takes the
//                            screen (SHOT.png in PHONE_DEMO_OUT) halfway
//                            through a put, while the beam page is sending
#include <windows.h>
#include "platform.h"
#include "../../platform/src/obexwire.h"
#include <string>

static int MarkOutOfRange(const std::wstring &name)
{
    nlohmann::json irda = PlatProfileLoad(L"irda.json");
    std::string utf8(name.begin(), name.end());
    for (nlohmann::json &d : irda["devices"])
        if (d.is_object() && d.value("name", "") == utf8)
            d["inRange"] = false;
    return PlatProfileSave(L"irda.json", irda) ? 0 : 1;
}

// phonectl, beside this program, takes the screen.
static void TakeShot(const std::wstring &name)
{
    WCHAR szExe[MAX_PATH], szOut[MAX_PATH];
    DWORD cch = GetModuleFileNameW(nullptr, szExe, ARRAYSIZE(szExe));
    if (!cch || cch >= ARRAYSIZE(szExe) || !GetEnvironmentVariableW(L"PHONE_DEMO_OUT", szOut, ARRAYSIZE(szOut)))
        return;
    std::wstring dir(szExe);
    dir.erase(dir.find_last_of(L'\\') + 1);
    std::wstring line = L"\"" + dir + L"phonectl.exe\" shot \"" + szOut + L"\\" + name + L".png\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return;
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

static int SlowReceiver(const std::wstring &shot)
{
    if (!ObexStartSockets())
        return 1;
    SOCKET sListen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL fReuse = TRUE;
    setsockopt(sListen, SOL_SOCKET, SO_REUSEADDR, (const char *)&fReuse, sizeof(fReuse));
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(650);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(sListen, (sockaddr *)&sa, sizeof(sa)) != 0 || listen(sListen, 1) != 0)
        return 1;
    SOCKET s = accept(sListen, nullptr, nullptr);
    if (s == INVALID_SOCKET)
        return 1;
    ObexSocketLink link(s, 30000);
    std::vector<BYTE> request, response;
    int cPuts = 0;
    while (link.Receive(request)) {
        BYTE bCode = OBEX_RSP_SUCCESS;
        if (request[0] == OBEX_OP_PUT && ++cPuts == 10)
            TakeShot(shot);
        if (request[0] == OBEX_OP_PUT)
            bCode = OBEX_RSP_CONTINUE;
        ObexPacket pkt(bCode);
        if (request[0] == OBEX_OP_CONNECT) {
            pkt.AddByte(0x10);
            pkt.AddByte(0);
            pkt.AddWord(1024);  // small packets: a put of many turns
        }
        Sleep(100);
        if (!link.Send(pkt.Bytes()) || request[0] == OBEX_OP_DISCONNECT)
            break;
    }
    closesocket(sListen);
    return 0;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    if (__argc < 3)
        return 2;
    std::wstring verb = __wargv[1];
    if (verb == L"out")
        return MarkOutOfRange(__wargv[2]);
    if (verb != L"slow")
        return 2;
    // The receiver works on a thread; this one waits for input, so the
    // launcher sees the helper ready.
    static std::wstring s_shot = __wargv[2];
    HANDLE hThread = CreateThread(
        nullptr, 0, [](void *) -> DWORD { return (DWORD)SlowReceiver(s_shot); }, nullptr, 0, nullptr);
    if (!hThread)
        return 1;
    while (MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    DWORD dwExit = 1;
    GetExitCodeThread(hThread, &dwExit);
    CloseHandle(hThread);
    return (int)dwExit;
}
