// The mail program stand-in: what Tavel hands it arrives in the outbox; a
// shortcut to it starts it as the handset's shell does.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"

TEST(MailProgram, SendRecordsTheAttachmentCancelDoesNot)
{
    ResetStore();
    MakeDir(L"\\Windows");
    MakeDir(L"\\My Documents");
    MakeFile(L"\\My Documents\\report.txt", "quarterly");
    ASSERT_TRUE(CopyFileW(BuildPath(L"tools\\tmail.exe").c_str(), L"\\Windows\\tmail.exe", FALSE));
    ASSERT_TRUE(PlatProfileSave(L"mail.json", {{"outbox", "damaged"}}));  // a new outbox replaces it
    WCHAR szTarget[] = L"\"\\Windows\\tmail.exe\" -attach \"\\My Documents\\report.txt\"";
    WCHAR szLink[] = L"\\go.lnk";
    ASSERT_TRUE(SHCreateShortcut(szLink, szTarget));
    EXPECT_FALSE(SHCreateShortcut(szLink, szTarget));  // never replaced
    EXPECT_EQ(std::to_string(wcslen(szTarget)) + "#\"\\Windows\\tmail.exe\" -attach \"\\My Documents\\report.txt\"",
              ReadFileText(szLink));

    for (UINT uCmd : {1002u, 1001u}) {  // Cancel, then Send
        PROCESS_INFORMATION pi = {};
        if (uCmd == 1002u) {
            ASSERT_TRUE(StartProgram(L"P:\\Windows\\tmail.exe", L"-attach \"\\My Documents\\report.txt\"", &pi));
        } else {
            SHELLEXECUTEINFOW sei = {};
            sei.cbSize = sizeof(sei);
            sei.fMask = SEE_MASK_NOCLOSEPROCESS;
            sei.lpFile = szLink;
            ASSERT_TRUE(ShellExecuteExW(&sei));
            pi.hProcess = sei.hProcess;
        }
        HWND hwnd = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (hwnd = FindWindowW(L"tmail", L"Messaging")) != nullptr; }, 10000));
        PostMessageW(hwnd, WM_COMMAND, uCmd, 0);
        EXPECT_EQ(0u, WaitExit(pi.hProcess, 10000));
        CloseHandle(pi.hProcess);
        if (pi.hThread)
            CloseHandle(pi.hThread);
        if (uCmd == 1002u) {
            EXPECT_EQ("damaged", PlatProfileLoad(L"mail.json")["outbox"]);
        }
    }
    nlohmann::json j = PlatProfileLoad(L"mail.json");
    ASSERT_EQ(1u, j["outbox"].size());
    EXPECT_EQ("\\My Documents\\report.txt", j["outbox"][0]["attachment"]);
    DeleteFileW(PlatProfilePath(L"mail.json").c_str());
}
