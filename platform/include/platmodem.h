// The handset's built-in AT modem (3GPP TS 27.007 / 27.005) as the tools
// and tests reach it: one PlatAtModem per AT client, fed the client's bytes,
// giving back the modem's. Messages, the phone book and the own numbers are
// the profile's SIM (sim.json). The radio's own session (RIL_DevSpecific)
// is another instance of the same engine (atmodem.cpp).
#pragma once
#include <windows.h>
#include <string>

class PlatAtModem {
public:
    enum Kind {
        KIND_TERMINAL,  // an outside client: E1, V1, CMEE 0, CSCS "IRA", "> " prompts
        KIND_RADIO,     // the radio's session: E0, V0, CSCS "HEX", full text headers, no prompt
    };
    // fLog: every command and its answer go to the profile's radio.log.
    explicit PlatAtModem(Kind kind, bool fLog = false);
    // The client's bytes as they arrive; what the modem sends back is
    // appended to *pOut. A line is cut at kMaxLine bytes (answered ERROR).
    void Feed(const char *pb, size_t cb, std::string *pOut);
    void Feed(const std::string &bytes, std::string *pOut) { Feed(bytes.data(), bytes.size(), pOut); }
    // The settings it started with; a line or message half received is dropped.
    void Reset();
    // The last final result code was OK; a message's data is awaited.
    bool LastOk() const { return m_fLastOk; }
    bool InData() const { return m_fData; }

    static const size_t kMaxLine = 65536;
    static const size_t kMaxData = 4096;

    struct Settings {
        bool fEcho, fVerbose, fQuiet;
        int iCmee;      // 0 ERROR, 1 numeric, 2 verbose +CME/+CMS ERROR
        int iCharset;   // index into the +CSCS names
        int iFormat;    // +CMGF: 0 PDU, 1 text
        bool fHeaders;  // +CSDH
        int iFo, iVp, iPid, iDcs;  // +CSMP
        bool fOwnBook;  // +CPBS "ON" (else "SM")
    };

    // Drops a message whose data never ended, answering ERROR.
    void Abandon(std::string *pOut);

private:
    friend struct PlatAtRun;  // the command interpreter (atrun.h)

    Kind m_kind;
    bool m_fLog;
    Settings m_s;
    std::string m_line, m_last;
    bool m_fOverflow = false;
    bool m_fData = false;        // between a +CMGW line and its Ctrl-Z
    std::string m_dataCommand;   // the +CMGW line awaiting its data
    std::string m_data;
    bool m_fLastOk = true;
};

// The radio's own session (RIL_DevSpecific): runs a command text as received
// and gives the whole reply; FALSE when its final result is an error.
// PlatModemReset brings the session back to its start (PDU mode).
BOOL PlatModemRun(const std::string &command, std::string *pReply);
void PlatModemReset();
// The radio's modem is the profile's own unless sim.json's "modem" names an
// outside one; a process that serves the profile's SIM to AT clients calls
// this first so that it always answers from the profile (modemlink.cpp).
void PlatModemServeBuiltin();
