// Ostrel's pages opened as modeless dialogs over an owner window, on an empty
// store with a device profile of the test's own.
#pragma once
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include "kit.h"

class OstrelPage : public testing::Test {
protected:
    HWND m_hwndOwner = nullptr;
    HWND m_hdlg = nullptr;

    void SetUp() override
    {
        ResetStore();
        MessageBoxes::Reset();
        m_hwndOwner = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                      nullptr, nullptr);
    }
    void TearDown() override
    {
        if (m_hdlg)
            DestroyWindow(m_hdlg);
        DestroyWindow(m_hwndOwner);
        DeleteFileW(PlatProfilePath(L"device.json").c_str());
    }
    HWND OpenPage(UINT idd, DLGPROC pfn)
    {
        HWND hdlg = CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(idd), m_hwndOwner, pfn, 0);
        EXPECT_NE(nullptr, hdlg);
        ShowWindow(hdlg, SW_SHOW);  // activation fills the task list
        Pump();
        return hdlg;
    }
    void Command(UINT id, LPARAM lp = 0)
    {
        SendMessageW(m_hdlg, WM_COMMAND, id, lp);
        Pump();
    }
};
