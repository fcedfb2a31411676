// The names a user may give a file or folder here.
#pragma once
#include <windows.h>

// FALSE for an empty name, one holding a path character (\ / : * ? " < > |)
// or one made only of dots and blanks: each would name another place than
// the folder the user sees.
BOOL IsUsableItemName(LPCWSTR pszName);
