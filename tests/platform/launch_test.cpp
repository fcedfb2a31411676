// Opening a file of the store: only the handset's own programs start, from
// any working folder; nothing is handed to the host to run.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include <shobjidl.h>
#include <string>

namespace {
struct Opened {
    BOOL fOk;
    DWORD dwError;
    bool fProcess;
};

Opened Open(LPCWSTR pszFile)
{
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
    sei.lpVerb = L"Open";
    sei.lpFile = pszFile;
    SetLastError(0);
    Opened o = {ShellExecuteExW(&sei), GetLastError(), sei.hProcess != nullptr};
    if (sei.hProcess)
        CloseHandle(sei.hProcess);
    EXPECT_EQ(o.fOk != FALSE, (INT_PTR)sei.hInstApp > 32);
    return o;
}

// A desktop Windows shortcut, as Wine's shell writes and follows it.
bool MakeWindowsShortcut(const std::wstring &path, LPCWSTR pszTarget)
{
    IShellLinkW *psl = nullptr;
    IPersistFile *ppf = nullptr;
    bool fOk = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                          (void **)&psl)) &&
               SUCCEEDED(psl->SetPath(pszTarget)) &&
               SUCCEEDED(psl->QueryInterface(IID_IPersistFile, (void **)&ppf)) &&
               SUCCEEDED(ppf->Save(path.c_str(), TRUE));
    if (ppf)
        ppf->Release();
    if (psl)
        psl->Release();
    return fOk;
}

bool MakeShortcut(LPCWSTR pszShortcut, LPCWSTR pszTarget)
{
    std::wstring link = pszShortcut, target = pszTarget;
    return SHCreateShortcut(&link[0], &target[0]) != FALSE;
}
} // namespace

TEST(OpenFile, NothingOfTheStoreRunsOnTheHost)
{
    ResetStore();
    ClearHandsetClasses();
    DeleteFileW(HostProbe().c_str());
    CoInitialize(nullptr);
    ASSERT_TRUE(MakeDir(L"\\Folder"));
    ASSERT_TRUE(MakeFile(L"\\run.bat", HostScript()));
    std::wstring probe = HostProbe();
    ASSERT_TRUE(MakeFile(L"\\unix.exe", "#!/bin/sh\necho ran >" + std::string(probe.begin(), probe.end()) + "\n"));
    ASSERT_TRUE(MakeWindowsShortcut(L"P:\\win.lnk", L"P:\\run.bat"));
    ASSERT_TRUE(MakeShortcut(L"\\go.lnk", L"\"\\run.bat\""));
    ASSERT_TRUE(MakeShortcut(L"\\viawin.lnk", L"\\win.lnk"));
    ASSERT_TRUE(MakeShortcut(L"\\loop.lnk", L"\\loop2.lnk") && MakeShortcut(L"\\loop2.lnk", L"\\loop.lnk"));
    ASSERT_TRUE(MakeShortcut(L"\\host.lnk", L"Z:\\bin\\sh -c true"));
    const struct {
        LPCWSTR pszFile;
        DWORD dwError;
    } kCases[] = {
        {L"\\run.bat", ERROR_NO_ASSOCIATION},      {L"\\go.lnk", ERROR_NO_ASSOCIATION},
        {L"\\Folder", ERROR_NO_ASSOCIATION},       {L"\\win.lnk", ERROR_BAD_FORMAT},
        {L"\\viawin.lnk", ERROR_BAD_FORMAT},       {L"\\unix.exe", ERROR_BAD_EXE_FORMAT},
        {L"\\loop.lnk", ERROR_CANT_RESOLVE_FILENAME}, {L"\\host.lnk", ERROR_BAD_PATHNAME},
        {L"P:\\run.bat", ERROR_BAD_PATHNAME},      {L"\\none.txt", ERROR_FILE_NOT_FOUND},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(testing::Message() << std::string(c.pszFile, c.pszFile + wcslen(c.pszFile)));
        Opened o = Open(c.pszFile);
        EXPECT_FALSE(o.fOk);
        EXPECT_EQ(c.dwError, o.dwError);
        EXPECT_FALSE(o.fProcess);
    }
    // An association naming a host program is no handset program either.
    SetHandsetAssociation(L".bat", L"C:\\windows\\system32\\cmd.exe /c %1");
    EXPECT_EQ((DWORD)ERROR_BAD_PATHNAME, Open(L"\\run.bat").dwError);
    SetHandsetAssociation(L".bat", L"%1");
    EXPECT_EQ((DWORD)ERROR_BAD_EXE_FORMAT, Open(L"\\run.bat").dwError);
    // Had anything reached the host, the script would have left its traces by now.
    EXPECT_FALSE(PumpUntil([&] { return GetFileAttributesW(probe.c_str()) != INVALID_FILE_ATTRIBUTES; }, 1500));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"P:\\hostname"));
    ClearHandsetClasses();
    CoUninitialize();
}

// Opening through an association from a host folder is Tavel's test; here the
// program's own start.
TEST(OpenFile, CreateProcessStartsOnlyAStoreProgramFromAnyWorkingFolder)
{
    ResetStore();
    ASSERT_TRUE(MakeDir(L"\\Windows"));
    ASSERT_TRUE(CopyFileW(BuildPath(L"tools\\tmail.exe").c_str(), L"\\Windows\\tmail.exe", FALSE));
    ASSERT_TRUE(SetCurrentDirectoryW(L"Z:\\tmp"));  // a host folder: "\Windows" there is not the store's
    WCHAR szArgs[] = L"-attach \"\\b.txt\"";  // the arguments alone, as on the handset
    PROCESS_INFORMATION pi = {};
    EXPECT_TRUE(PlatCreateProcessW(L"\\Windows\\tmail.exe", szArgs, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   nullptr, &pi));
    EXPECT_EQ("\\b.txt", SentAttachment());
    if (pi.hProcess) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    EXPECT_FALSE(PlatCreateProcessW(L"Z:\\bin\\true", szArgs, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                                    &pi));
    EXPECT_EQ((DWORD)ERROR_BAD_PATHNAME, GetLastError());
    SetCurrentDirectoryW(StoreRoot().c_str());
}
