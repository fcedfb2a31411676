// The messaging stores as the space manager sees them: their names, the
// default store's folders, and erasing the messages of a store's folders.
#pragma once
#include <windows.h>
#include <cemapi.h>
#include <functional>

#define SPACE_FOLDER_COUNT 5

// Logs on to messaging; null when it cannot (messaging failures are silent).
LPMAPISESSION LogOnMessaging(HWND hwnd);
// Logs off and releases the session.
void LogOffMessaging(LPMAPISESSION pSession);
// Calls fn with each store's display name and entry identifier, in the store table's order.
void ForEachStore(LPMAPISESSION pSession, const std::function<void(LPCWSTR, const SBinary &)> &fn);
// Calls fn with the folder index (1 to 5) and display name of each folder the default store has.
void ForEachDefaultFolder(LPMAPISESSION pSession, const std::function<void(int, LPCWSTR)> &fn);
// Erases folder iFolder (1 to 5) of the store with this entry identifier, or
// its five folders in the order 3, 4, 1, 2, 5 when iFolder is 0. The result
// of opening the store: MAPI_E_NOT_FOUND when it is gone.
HRESULT EraseStoreFolders(HWND hwnd, const SBinary &store, int iFolder);
