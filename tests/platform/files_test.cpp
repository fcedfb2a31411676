// The handset's file calls take only handset paths: a host drive, a
// "\\?\unix" or "\??\unix" name never reaches the host's files.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include <algorithm>
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

// The names the handset's search finds, sorted.
std::vector<std::wstring> Listed(LPCWSTR pszPattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = PlatFindFirstFileW(pszPattern, &fd);
    for (BOOL f = h != INVALID_HANDLE_VALUE; f; f = PlatFindNextFileW(h, &fd))
        names.push_back(fd.cFileName);
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
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

TEST(FileCalls, AHandsetPathMeansTheStoreWhateverTheWorkingFolder)
{
    ResetStore();
    ASSERT_TRUE(MakeDir(L"P:\\tmp") && MakeFile(L"P:\\mine.txt", "mine"));
    const std::wstring probe = L"\\tmp\\phone-store-probe.txt";
    DeleteFileW((L"Z:" + probe).c_str());
    ASSERT_TRUE(SetCurrentDirectoryW(L"Z:\\tmp"));  // started from a host folder
    EXPECT_EQ((std::vector<std::wstring>{L"mine.txt", L"tmp"}), Listed(L"\\*"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, PlatGetFileAttributesW(L"\\etc\\hostname"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, PlatGetFileAttributesW(L"\\tmp\\..\\..\\etc\\hostname"));
    HANDLE hFile = PlatCreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, hFile);
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
    EXPECT_TRUE(PlatCopyFileW(L"\\mine.txt", L"\\tmp\\copy.txt", TRUE));
    SHFILEINFOW sfi = {};
    EXPECT_NE(0u, PlatSHGetFileInfoW(L"\\mine.txt", 0, &sfi, sizeof(sfi), SHGFI_TYPENAME));
    SetCurrentDirectoryW(StoreRoot().c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((L"P:" + probe).c_str()));
    EXPECT_EQ("mine", ReadFileText(L"P:\\tmp\\copy.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((L"Z:" + probe).c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"Z:\\tmp\\copy.txt"));
    DeleteFileW((L"Z:" + probe).c_str());
    DeleteFileW(L"Z:\\tmp\\copy.txt");
}

// On the handset "COM1" or "nul.txt" is a name like any other: it never
// reaches a host device, and a write to it lands in the store.
TEST(FileCalls, DeviceNamesAreOrdinaryFilesOfTheStore)
{
    ResetStore();
    ASSERT_TRUE(MakeDir(L"P:\\x"));
    const std::wstring kNames[] = {L"\\COM1", L"\\x\\com1.txt", L"\\x\\aux.log", L"\\x\\NUL", L"\\x\\con.txt",
                                   L"\\x\\Lpt1.dat", L"\\x\\prn"};
    for (const std::wstring &name : kNames) {
        SCOPED_TRACE(testing::Message() << std::string(name.begin(), name.end()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, PlatGetFileAttributesW(name.c_str()));  // no device answers
        HANDLE h = PlatCreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        // Nothing is written unless the store has the file: a device would take it.
        bool fInStore = GetFileAttributesW((L"\\\\?\\P:" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!fInStore && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        ASSERT_TRUE(fInStore && h != INVALID_HANDLE_VALUE);
        DWORD cb = 0;
        EXPECT_TRUE(WriteFile(h, "data", 4, &cb, nullptr) && cb == 4);
        CloseHandle(h);
        EXPECT_EQ("data", ReadFileText(L"\\\\?\\P:" + name));  // the store's own file holds it
    }
    EXPECT_EQ((std::vector<std::wstring>{L"com1.txt", L"con.txt"}), Listed(L"\\x\\*.txt"));

    // Copied, moved, made a folder, changed and deleted like any file.
    ASSERT_TRUE(MakeFile(L"P:\\x\\src.txt", "source"));
    EXPECT_TRUE(PlatCopyFileW(L"\\x\\src.txt", L"\\x\\nul.txt", TRUE));
    EXPECT_EQ("source", ReadFileText(L"\\\\?\\P:\\x\\nul.txt"));
    EXPECT_FALSE(PlatCopyFileW(L"\\x\\src.txt", L"\\x\\nul.txt", TRUE));  // it exists now
    EXPECT_TRUE(PlatCopyFileW(L"\\x\\com1.txt", L"\\x\\plain.txt", FALSE));
    EXPECT_EQ("data", ReadFileText(L"P:\\x\\plain.txt"));
    EXPECT_TRUE(PlatMoveFileW(L"\\x\\nul.txt", L"\\x\\aux.txt"));
    EXPECT_EQ("source", ReadFileText(L"\\\\?\\P:\\x\\aux.txt"));
    EXPECT_TRUE(PlatCreateDirectoryW(L"\\x\\CON", nullptr));
    EXPECT_TRUE(PlatMoveFileW(L"\\x\\src.txt", L"\\x\\CON\\com2"));
    EXPECT_EQ("source", ReadFileText(L"\\\\?\\P:\\x\\CON\\com2"));
    EXPECT_TRUE(PlatSetFileAttributesW(L"\\x\\aux.log", FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(PlatGetFileAttributesW(L"\\x\\aux.log") & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(PlatSetFileAttributesW(L"\\x\\aux.log", FILE_ATTRIBUTE_NORMAL));
    for (LPCWSTR psz : {L"\\COM1", L"\\x\\com1.txt", L"\\x\\aux.log", L"\\x\\aux.txt", L"\\x\\CON\\com2"}) {
        EXPECT_TRUE(PlatDeleteFileW(psz));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, PlatGetFileAttributesW(psz));
    }
    EXPECT_TRUE(PlatRemoveDirectoryW(L"\\x\\CON"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"\\\\?\\P:\\x\\CON"));
}
