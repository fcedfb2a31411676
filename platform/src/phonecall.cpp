// The phone's call request: every call is kept in the profile's call log and
// the handset shows that it is calling.
#include "internal.h"
#include "simmgr.h"
#include <strsafe.h>
#include <mutex>
#include <string>

namespace {
std::mutex g_mtxCalls;

std::string Utf8(LPCWSTR psz)
{
    if (!psz)
        return std::string();
    int cb = WideCharToMultiByte(CP_UTF8, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    std::string s(cb > 0 ? cb - 1 : 0, '\0');
    if (cb > 1)
        WideCharToMultiByte(CP_UTF8, 0, psz, -1, &s[0], cb, nullptr, nullptr);
    return s;
}
} // namespace

#define TAPIERR_INVALDESTADDRESS (-4L)

extern "C" LONG WINAPI tapiRequestMakeCall(LPCWSTR pszDestAddress, LPCWSTR pszAppName, LPCWSTR pszCalledParty,
                                           LPCWSTR pszComment)
{
    if (!pszDestAddress || !pszDestAddress[0])
        return TAPIERR_INVALDESTADDRESS;
    SYSTEMTIME st;
    GetSystemTime(&st);
    char szTime[32];
    StringCchPrintfA(szTime, ARRAYSIZE(szTime), "%04u-%02u-%02uT%02u:%02u:%02uZ", st.wYear, st.wMonth, st.wDay,
                     st.wHour, st.wMinute, st.wSecond);
    {
        std::lock_guard<std::mutex> lock(g_mtxCalls);
        nlohmann::json log = PlatProfileLoad(L"calllog.json");
        if (!log.contains("calls"))
            log["calls"] = nlohmann::json::array();
        nlohmann::json call = {{"number", Utf8(pszDestAddress)}, {"time", szTime}};
        if (pszCalledParty && pszCalledParty[0])
            call["party"] = Utf8(pszCalledParty);
        if (pszAppName && pszAppName[0])
            call["app"] = Utf8(pszAppName);
        if (pszComment && pszComment[0])
            call["comment"] = Utf8(pszComment);
        // A "calls" that is no list is the user's, never written over.
        if (log["calls"].is_array()) {
            log["calls"].push_back(call);
            PlatProfileSave(L"calllog.json", log);
        }
    }
    WCHAR szText[300];
    StringCchCopyW(szText, ARRAYSIZE(szText), L"Calling ");
    StringCchCatW(szText, ARRAYSIZE(szText), pszDestAddress);
    PlatMessageBoxW(nullptr, szText, L"Phone", MB_OK | MB_ICONINFORMATION);
    return 0;
}
