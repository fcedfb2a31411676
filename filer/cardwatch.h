// Storage cards: their enumeration and the watcher thread that follows
// cards inserted and removed.
#pragma once
#include <windows.h>

#define MAX_CARDS 16

// Started once; ends at once when card tracking is off.
void StartCardWatcher();
// TRUE once the card watcher holds its first set of cards and watches "\".
BOOL IsCardWatcherRunning();
// How many cards the watcher holds as present since its last check.
int GetCardsSeenCount();
// Names of the cards present, in the platform's order; at most cMax.
int ReadCards(WCHAR (*pNames)[MAX_PATH], int cMax);

// Card sets: names ordered case-sensitively. Returns +1 inserted, -1 removed,
// 0 no change; the card handled is the first in name order.
int CompareCardSets(const WCHAR (*pOld)[MAX_PATH], int cOld, const WCHAR (*pNew)[MAX_PATH], int cNew,
                    WCHAR *pszName, size_t cchName);
// The list and tree work of a card change, on the UI thread.
void OnCardChanged(BOOL fInserted, LPCWSTR pszName);
// TRUE when pszPath is "\" + pszCard or lies inside it.
BOOL IsOnCard(LPCWSTR pszPath, LPCWSTR pszCard);
// TRUE when pszPath is the folder of a card present now (the card itself).
BOOL IsCardFolder(LPCWSTR pszPath);
