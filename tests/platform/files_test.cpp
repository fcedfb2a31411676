// The handset's file calls take only handset paths: a host drive, a
// "\\?\unix" or "\??\unix" name never reaches the host's files.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include <string>
#include <vector>

namespace {
// The host's own name of a file, as Wine's "\\?\unix" form wants it.
std::wstring UnixName(const std::wstring &path)
{
    typedef char *(CDECL * UNIXNAME)(LPCWSTR);
    UNIXNAME pfn = (UNIXNAME)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    char *psz = pfn ? pfn(path.c_str()) : nullptr;
    std::wstring w;
    for (const char *p = psz; p && *p; ++p)
        w += *p == '/' ? L'\\' : (wchar_t)(unsigned char)*p;
    if (psz)
        HeapFree(GetProcessHeap(), 0, psz);
    return w;
}
} // namespace

TEST(FileCalls, HostPathsAreRefusedHandsetPathsWork)
{
    ResetStore();
    std::wstring host = PlatProfilePath(L"host");
    MakeDir(host);
    ASSERT_TRUE(MakeFile(host + L"\\victim.txt", "host"));
    ASSERT_TRUE(MakeFile(L"\\mine.txt", "mine"));
    std::wstring unix = UnixName(host);
    ASSERT_FALSE(unix.empty());
    for (const std::wstring &dir : {host, L"\\\\?\\" + host, L"\\\\?\\unix" + unix, L"\\??\\unix" + unix,
                                    L"\\/" + unix.substr(1), std::wstring(L"host")}) {
        std::wstring file = dir + L"\\victim.txt";
        SCOPED_TRACE(testing::Message() << std::string(file.begin(), file.end()));
        SetLastError(0);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, PlatGetFileAttributesW(file.c_str()));
        EXPECT_EQ((DWORD)ERROR_BAD_PATHNAME, GetLastError());
        WIN32_FIND_DATAW fd;
        EXPECT_EQ(INVALID_HANDLE_VALUE, PlatFindFirstFileW((dir + L"\\*").c_str(), &fd));
        EXPECT_EQ(INVALID_HANDLE_VALUE,
                  PlatCreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(INVALID_HANDLE_VALUE, PlatCreateFileW((dir + L"\\new.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                                        CREATE_ALWAYS, 0, nullptr));
        EXPECT_FALSE(PlatCopyFileW(file.c_str(), L"\\copy.txt", FALSE));
        EXPECT_FALSE(PlatCopyFileW(L"\\mine.txt", file.c_str(), FALSE));
        EXPECT_FALSE(PlatMoveFileW(file.c_str(), L"\\moved.txt"));
        EXPECT_FALSE(PlatMoveFileW(L"\\mine.txt", (dir + L"\\mine.txt").c_str()));
        EXPECT_FALSE(PlatSetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_FALSE(PlatDeleteFileW(file.c_str()));
        EXPECT_FALSE(PlatCreateDirectoryW((dir + L"\\sub").c_str(), nullptr));
        EXPECT_FALSE(PlatRemoveDirectoryW(dir.c_str()));
        ULARGE_INTEGER cb;
        EXPECT_FALSE(PlatGetDiskFreeSpaceExW(dir.c_str(), nullptr, &cb, nullptr));
    }
    // The host's files are as they were; nothing of them came into the store.
    EXPECT_EQ("host", ReadFileText(host + L"\\victim.txt"));
    EXPECT_FALSE(GetFileAttributesW((host + L"\\victim.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((host + L"\\new.txt").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((host + L"\\sub").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"\\copy.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"\\moved.txt"));

    // Handset paths, a "/" in them too, still reach the store (every program test runs on them).
    EXPECT_TRUE(PlatCreateDirectoryW(L"\\sub", nullptr));
    EXPECT_TRUE(PlatMoveFileW(L"\\mine.txt", L"\\sub/moved.txt"));
    EXPECT_EQ("mine", ReadFileText(L"\\sub\\moved.txt"));
    DeleteFileW((host + L"\\victim.txt").c_str());
    RemoveDirectoryW(host.c_str());
}
