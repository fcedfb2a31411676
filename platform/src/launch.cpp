// Starting programs and opening files, as the handset's shell does. A program
// runs only from the store, and a file opens only with a handset program: a
// shortcut's target, a store ".exe", or the program that the handset's own
// classes associate with its extension. Nothing goes to Wine's shell, whose
// handlers are the host's (cmd.exe for a ".bat", a Windows ".lnk" followed to
// any Z:\ target).
#include "internal.h"
#include <shellapi.h>
#include <string>
#include <vector>

namespace {
// A shortcut to a shortcut is followed this many times; more is a loop.
const int kMaxShortcutHops = 4;
// The longest class name or command read from the handset's classes.
const DWORD kMaxClassText = MAX_PATH * 2;

BOOL Fail(DWORD dwErr)
{
    SetLastError(dwErr);
    return FALSE;
}

// The extension with its dot ("" for none), from the last part of the path.
std::wstring ExtensionOf(const std::wstring &path)
{
    size_t slash = path.find_last_of(L"\\/");
    size_t dot = path.find_last_of(L'.');
    return dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ? L"" : path.substr(dot);
}

bool IsExtension(const std::wstring &path, LPCWSTR pszExt)
{
    return _wcsicmp(ExtensionOf(path).c_str(), pszExt) == 0;
}

bool ReadExactly(HANDLE h, LONG lOffset, void *pv, DWORD cb)
{
    DWORD cbRead = 0;
    return SetFilePointer(h, lOffset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           ReadFile(h, pv, cb, &cbRead, nullptr) && cbRead == cb;
}

// A Windows program for this machine: CreateProcessW would give anything else
// (a script, a Unix program, a ".bat" in disguise) to the host to run.
bool IsProgramFile(const std::wstring &host)
{
    HANDLE h = CreateFileW(host.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    IMAGE_DOS_HEADER dos;
    DWORD dwSignature = 0;
    IMAGE_FILE_HEADER fh;
    bool fOk = ReadExactly(h, 0, &dos, sizeof(dos)) && dos.e_magic == IMAGE_DOS_SIGNATURE &&
               dos.e_lfanew >= (LONG)sizeof(dos) && dos.e_lfanew < 0x10000 &&
               ReadExactly(h, dos.e_lfanew, &dwSignature, sizeof(dwSignature)) &&
               ReadExactly(h, dos.e_lfanew + (LONG)sizeof(dwSignature), &fh, sizeof(fh)) &&
               dwSignature == IMAGE_NT_SIGNATURE && fh.Machine == IMAGE_FILE_MACHINE_AMD64 &&
               (fh.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) && !(fh.Characteristics & IMAGE_FILE_DLL);
    CloseHandle(h);
    return fOk;
}

// Starts a store program with its arguments (the handset passes no program
// name in them), in the store's root as the suite's own programs run.
BOOL StartStoreProgram(const std::wstring &program, const std::wstring &args, PROCESS_INFORMATION *ppi)
{
    std::wstring host;
    if (!PlatStorePath(program.c_str(), &host))
        return FALSE;
    DWORD dwAttr = GetFileAttributesW(host.c_str());
    if (dwAttr == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    if ((dwAttr & FILE_ATTRIBUTE_DIRECTORY) || !IsExtension(program, L".exe") || !IsProgramFile(host))
        return Fail(ERROR_BAD_EXE_FORMAT);
    // A desktop program finds its own name first on its command line.
    std::wstring line = L"\"" + program + L"\"" + (args.empty() ? L"" : L" " + args);
    std::vector<WCHAR> buf(line.begin(), line.end());
    buf.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    return CreateProcessW(host.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, PLAT_STORE_DRIVE L"\\",
                          &si, ppi);
}

// The default value of a key below the handset's classes, a text that fits.
bool ReadClassText(const std::wstring &key, std::wstring *pText)
{
    HKEY hk;
    if (RegOpenKeyExW(PLAT_CLASSES_ROOT, (std::wstring(PLAT_CLASSES_KEY L"\\") + key).c_str(), 0, KEY_READ, &hk) !=
        ERROR_SUCCESS)
        return false;
    WCHAR sz[kMaxClassText + 1] = L"";
    DWORD dwType = 0, cb = kMaxClassText * sizeof(WCHAR);
    LONG lr = RegQueryValueExW(hk, nullptr, nullptr, &dwType, (BYTE *)sz, &cb);
    RegCloseKey(hk);
    if (lr != ERROR_SUCCESS || dwType != REG_SZ)
        return false;
    sz[cb / sizeof(WCHAR)] = 0;  // a value stored without its terminator
    *pText = sz;
    return !pText->empty();
}

// The command the handset's classes give for a verb on a file ("%1" is the
// file): ".txt" names its class, and the class's shell\VERB\command holds it.
bool AssociatedCommand(const std::wstring &type, const std::wstring &verb, const std::wstring &file,
                       std::wstring *pCommand)
{
    std::wstring cls;
    if (type.empty() || !ReadClassText(type, &cls) || !ReadClassText(cls + L"\\shell\\" + verb + L"\\command", pCommand))
        return false;
    size_t at = pCommand->find(L"%1");
    if (at == std::wstring::npos)
        *pCommand += L" \"" + file + L"\"";
    for (; at != std::wstring::npos; at = pCommand->find(L"%1", at + file.size()))
        pCommand->replace(at, 2, file);
    return true;
}

// The file at the end of a chain of handset shortcuts, with the arguments the
// last one gave.
BOOL FollowShortcuts(std::wstring *pFile, std::wstring *pArgs, DWORD *pdwAttr)
{
    for (int iHop = 0;; ++iHop) {
        std::wstring host, target;
        if (!PlatStorePath(pFile->c_str(), &host))
            return FALSE;
        *pdwAttr = GetFileAttributesW(host.c_str());
        if (*pdwAttr == INVALID_FILE_ATTRIBUTES)
            return FALSE;
        if ((*pdwAttr & FILE_ATTRIBUTE_DIRECTORY) || !IsExtension(*pFile, L".lnk"))
            return TRUE;
        if (iHop == kMaxShortcutHops)
            return Fail(ERROR_CANT_RESOLVE_FILENAME);
        // A Windows ".lnk" holds no handset target: it is no shortcut here.
        if (!PlatReadShortcut(host.c_str(), &target))
            return Fail(ERROR_BAD_FORMAT);
        PlatSplitCommand(target, pFile, pArgs);
    }
}

BOOL OpenOnHandset(const SHELLEXECUTEINFOW *pei, PROCESS_INFORMATION *ppi)
{
    std::wstring file = pei->lpFile, args = pei->lpParameters ? pei->lpParameters : L"";
    DWORD dwAttr = 0;
    if (!FollowShortcuts(&file, &args, &dwAttr))
        return FALSE;
    BOOL fFolder = (dwAttr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!fFolder && IsExtension(file, L".exe"))
        return StartStoreProgram(file, args, ppi);
    std::wstring verb = pei->lpVerb && pei->lpVerb[0] ? pei->lpVerb : L"open", command, program;
    if (!AssociatedCommand(fFolder ? L"Folder" : ExtensionOf(file), verb, file, &command))
        return Fail(ERROR_NO_ASSOCIATION);
    PlatSplitCommand(command, &program, &args);
    return StartStoreProgram(program, args, ppi);
}

INT_PTR ShellErrorOf(DWORD dwErr)
{
    switch (dwErr) {
    case ERROR_NO_ASSOCIATION: return SE_ERR_NOASSOC;
    case ERROR_FILE_NOT_FOUND: return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND: return SE_ERR_PNF;
    default: return SE_ERR_ACCESSDENIED;
    }
}
} // namespace

extern "C" BOOL WINAPI PlatCreateProcessW(LPCWSTR pszImageName, LPWSTR pszCmdLine, LPSECURITY_ATTRIBUTES psaProcess,
                                          LPSECURITY_ATTRIBUTES psaThread, BOOL fInheritHandles, DWORD dwFlags,
                                          LPVOID pvEnvironment, LPCWSTR pszCurDir, LPSTARTUPINFOW psi,
                                          LPPROCESS_INFORMATION ppi)
{
    if (!pszImageName || !ppi)
        return Fail(ERROR_INVALID_PARAMETER);
    return StartStoreProgram(pszImageName, pszCmdLine ? pszCmdLine : L"", ppi);
}

extern "C" BOOL WINAPI PlatShellExecuteExW(LPSHELLEXECUTEINFOW pei)
{
    if (!pei || pei->cbSize < sizeof(*pei) || !pei->lpFile)
        return Fail(ERROR_INVALID_PARAMETER);
    PROCESS_INFORMATION pi = {};
    BOOL fOk = OpenOnHandset(pei, &pi);
    DWORD dwErr = GetLastError();
    pei->hProcess = nullptr;
    if (fOk) {
        CloseHandle(pi.hThread);
        if (pei->fMask & SEE_MASK_NOCLOSEPROCESS)
            pei->hProcess = pi.hProcess;
        else
            CloseHandle(pi.hProcess);
    }
    pei->hInstApp = (HINSTANCE)(fOk ? 33 : ShellErrorOf(dwErr));  // above 32: done
    SetLastError(fOk ? ERROR_SUCCESS : dwErr);
    return fOk;
}
