// Names shared by the OBEX driver and the receive service it starts.
#pragma once

// In the profile folder (the launcher puts it there).
#define OBEX_SERVICE_EXE    L"obexsvc.exe"
// Held by the running service; its presence means "serving".
#define OBEX_SERVICE_MUTEX  L"PlatObexService"
// Set by the service once it listens.
#define OBEX_SERVICE_READY  L"PlatObexServiceReady"
// Set by the driver to stop it.
#define OBEX_SERVICE_STOP   L"PlatObexServiceStop"
#define OBEX_DEFAULT_PORT   650
