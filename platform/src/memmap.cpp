// Mapped kernel memory. The only block the programs map is the trace switch
// at 0x8802EFE0: its two words come from device.json's "traces".
#include "internal.h"
#include "pkfuncs.h"
#include <string>

namespace {
const ULONG_PTR kTraceBlock = 0x8802EFE0;

WORD TraceWord(const nlohmann::json &traces, const char *pszKey)
{
    auto it = traces.find(pszKey);
    if (it == traces.end())
        return 0;
    if (it->is_number_unsigned())
        return (WORD)it->get<unsigned>();
    if (it->is_string())
        return (WORD)strtoul(it->get<std::string>().c_str(), nullptr, 0);
    return 0;
}
} // namespace

extern "C" BOOL WINAPI VirtualCopy(LPVOID lpvDest, LPVOID lpvSrc, DWORD cbSize, DWORD fdwProtect)
{
    ULONG_PTR src = (ULONG_PTR)lpvSrc;
    if (fdwProtect & PAGE_PHYSICAL)
        src <<= 8;
    if (!lpvDest || cbSize == 0 || kTraceBlock < src || kTraceBlock + 32 > src + cbSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!VirtualAlloc(lpvDest, cbSize, MEM_COMMIT, PAGE_READWRITE))
        return FALSE;
    BYTE *pBlock = (BYTE *)lpvDest + (kTraceBlock - src);
    ZeroMemory(pBlock, 32);
    nlohmann::json device = PlatProfileLoad(L"device.json");
    auto it = device.find("traces");
    if (it != device.end() && it->is_object()) {
        WORD *pw = (WORD *)pBlock;
        pw[0] = TraceWord(*it, "word0");
        pw[8] = TraceWord(*it, "word16");
    }
    return TRUE;
}
