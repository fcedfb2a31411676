// The recursive folder copy of 1,000 files in 10 folders against a bare
// CopyFileW loop over the same files in the same run.
#include "fileops.h"
#include "options.h"
#include <strsafe.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "../benchtime.h"

static void Wipe(const std::wstring &dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*.*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring path = dir + L"\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                Wipe(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

int wmain()
{
    SetCurrentDirectoryW(L"P:\\");
    std::vector<std::wstring> names;
    CreateDirectoryW(L"\\Src", nullptr);
    std::string content(2048, 'c');
    for (int d = 0; d < 10; ++d) {
        std::wstring dir = L"\\Src\\Folder " + std::to_wstring(d);
        CreateDirectoryW(dir.c_str(), nullptr);
        for (int f = 0; f < 100; ++f) {
            std::wstring rel = L"\\Folder " + std::to_wstring(d) + L"\\file " + std::to_wstring(f) + L".dat";
            HANDLE h = CreateFileW((L"\\Src" + rel).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD cb;
            WriteFile(h, content.data(), (DWORD)content.size(), &cb, nullptr);
            CloseHandle(h);
            names.push_back(rel);
        }
    }
    GetOption(OPT_CONFIRM_OVERWRITE);
    const int kRounds = 7;
    std::vector<double> bare, copy;
    for (int r = 0; r < kRounds; ++r) {
        Wipe(L"\\Bare");
        CreateDirectoryW(L"\\Bare", nullptr);
        for (int d = 0; d < 10; ++d)
            CreateDirectoryW((L"\\Bare\\Folder " + std::to_wstring(d)).c_str(), nullptr);
        double t0 = Now();
        for (const std::wstring &rel : names)
            CopyFileW((L"\\Src" + rel).c_str(), (L"\\Bare" + rel).c_str(), TRUE);
        double t1 = Now();
        Wipe(L"\\Copy");
        double t2 = Now();
        BOOL fOk = CopyFolderRecursive(nullptr, L"\\Src", L"\\Copy");
        double t3 = Now();
        if (!fOk)
            return 1;
        bare.push_back(t1 - t0);
        copy.push_back(t3 - t2);
    }
    wprintf(L"bare CopyFileW loop %.1f ms, recursive folder copy %.1f ms\n", Median(bare) * 1000, Median(copy) * 1000);
    wprintf(L"recursive copy of 1,000 files / bare CopyFileW loop (median of %d) = %.2f\n", kRounds,
            Median(copy) / Median(bare));
    return 0;
}
