// Mapped kernel memory. The only block the programs map is the trace switch
// at 0x8802EFE0: its two words come from device.json's "traces".
#include "internal.h"
#include "pkfuncs.h"
#include <string>

namespace {
const ULONG_PTR kTraceBlock = 0x8802EFE0;

// A 16-bit word, as a number or a text such as "0x0100"; anything else is 0.
WORD TraceWord(const nlohmann::json &traces, const char *pszKey)
{
    auto it = traces.find(pszKey);
    if (it != traces.end() && it->is_string()) {
        const std::string &s = it->get_ref<const std::string &>();
        char *pszEnd = nullptr;
        unsigned long ul = strtoul(s.c_str(), &pszEnd, 0);
        bool fWhole = !s.empty() && s.size() <= 8 && s[0] != '-' && *pszEnd == 0;
        return fWhole && ul <= 0xFFFF ? (WORD)ul : 0;
    }
    return (WORD)PlatProfileNumber(traces, pszKey, 0, 0xFFFF, 0);
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
    const nlohmann::json &traces = PlatProfileObject(device, "traces");
    WORD *pw = (WORD *)pBlock;
    pw[0] = TraceWord(traces, "word0");
    pw[8] = TraceWord(traces, "word16");
    return TRUE;
}
