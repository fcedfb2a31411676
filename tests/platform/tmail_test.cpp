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
    sei.lpFile = szLink;
    ASSERT_TRUE(ShellExecuteExW(&sei));
    EXPECT_EQ("\\My Documents\\report.txt", SentAttachment());
}
