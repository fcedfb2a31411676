// Helpers shared by the file manager's tests: the registry keys of the
// program and building folders in the test store.
#pragma once
#include <windows.h>
#include <string>

// Removes HKCU\ControlPanel\Tavel and everything below it.
void ClearTavelRegistry();
void SetTavelDword(LPCWSTR pszKey, LPCWSTR pszValue, DWORD dw);
// Reads a DWORD; dwMissing when the value does not exist.
DWORD GetTavelDword(LPCWSTR pszKey, LPCWSTR pszValue, DWORD dwMissing);
// A file of cb bytes with the given last-access and last-write times (days since 2000).
bool MakeSizedFile(const std::wstring &path, DWORD cb, int iAccessDay = 0, int iWriteDay = 0);
// A folder of cFiles one-byte files named by pszFormat from their index.
bool MakeFiles(const std::wstring &dir, LPCWSTR pszFormat, int cFiles);
