// The mail program stand-in started through a shortcut, as the handset's
// shell does; Tavel's own hand-over is checked in its send-by-e-mail test.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"

TEST(MailProgram, AShortcutStartsItAndSendRecordsTheAttachment)
{
    ResetStore();
    MakeDir(L"\\Windows");
    ASSERT_TRUE(CopyFileW(BuildPath(L"tools\\tmail.exe").c_str(), L"\\Windows\\tmail.exe", FALSE));
    ASSERT_TRUE(PlatProfileSave(L"mail.json", {{"outbox", "damaged"}}));  // a new outbox replaces it
    WCHAR szTarget[] = L"\"\\Windows\\tmail.exe\" -attach \"\\My Documents\\report.txt\"";
    WCHAR szLink[] = L"\\go.lnk";
    ASSERT_TRUE(SHCreateShortcut(szLink, szTarget));
    EXPECT_FALSE(SHCreateShortcut(szLink, szTarget));  // never replaced
    EXPECT_EQ(std::to_string(wcslen(szTarget)) + "#\"\\Windows\\tmail.exe\" -attach \"\\My Documents\\report.txt\"",
              ReadFileText(szLink));
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS;
    sei.lpFile = szLink;
    ASSERT_TRUE(ShellExecuteExW(&sei));
    HWND hwnd = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hwnd = FindWindowW(L"tmail", L"Messaging")) != nullptr; }, 10000));
    PostMessageW(hwnd, WM_COMMAND, 1001, 0);  // Send
    EXPECT_EQ(0u, WaitExit(sei.hProcess, 10000));
    CloseHandle(sei.hProcess);
    nlohmann::json j = PlatProfileLoad(L"mail.json");
    ASSERT_EQ(1u, j["outbox"].size());
    EXPECT_EQ("\\My Documents\\report.txt", j["outbox"][0]["attachment"]);
    DeleteFileW(PlatProfilePath(L"mail.json").c_str());
}
