// The SIM service's calls on an outside modem (simat.cpp); sim.cpp checks
// the handle, then hands the call over. Results are the service's own.
#pragma once
#include "simmgr.h"

HRESULT SimAtCheckCard();
HRESULT SimAtCaps(DWORD *pdwMin, DWORD *pdwMax, DWORD *pcchNumber, DWORD *pcchText);
HRESULT SimAtBookStatus(DWORD dwLocation, DWORD *pdwUsed, DWORD *pdwTotal);
HRESULT SimAtRead(DWORD dwLocation, DWORD dwIndex, LPSIMPHONEBOOKENTRY pe);
HRESULT SimAtWrite(DWORD dwLocation, DWORD dwIndex, const SIMPHONEBOOKENTRY &entry, DWORD *pdwStored);
HRESULT SimAtDelete(DWORD dwLocation, DWORD dwIndex);
HRESULT SimAtSmsStatus(DWORD *pdwUsed, DWORD *pdwTotal);
HRESULT SimAtDeleteMessage(DWORD dwIndex);
