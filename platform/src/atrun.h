// The built-in AT modem's command interpreter, one command line at a time.
// Its commands live by concern: atmodem.cpp (the engine, basic and general
// commands, dispatch), atphonebook.cpp, atmessages.cpp; what they share is
// here.
#pragma once
#include "internal.h"
#include "simmgr.h"
#include "smspdu.h"
#include <string>
#include <vector>

namespace atrun {
enum { CS_GSM, CS_IRA, CS_UCS2, CS_HEX };  // the +CSCS character sets, in kCharsets' order

enum Kind { K_OK, K_ERROR, K_CME, K_CMS };
struct Outcome {
    Kind kind;
    int iCode;
};
inline Outcome Ok() { return {K_OK, 0}; }
inline Outcome Err() { return {K_ERROR, 0}; }
inline Outcome Cme(int i) { return {K_CME, i}; }
inline Outcome Cms(int i) { return {K_CMS, i}; }

struct Arg {
    bool fQuoted;
    std::string s;
};

// A stored message as the SIM keeps it in sim.json (atmessages.cpp).
struct Stored;

// An open SIM service handle for the length of one command.
struct SimSession {
    HSIM h = nullptr;
    HRESULT hr;
    SimSession() { hr = SimInitialize(SIM_INIT_NONE, nullptr, 0, &h); }
    ~SimSession()
    {
        if (h)
            SimDeinitialize(h);
    }
};

// Helpers of the commands (atmodem.cpp).
std::string Upper(std::string s);
std::string Utf8(const std::wstring &w);
bool WellFormed(const std::wstring &w);
bool ParseUint(const std::string &s, int *pi);
std::string ToTe(const std::wstring &text, int iCharset);
bool FromTe(const std::string &te, int iCharset, std::wstring *pText);
bool IsDialable(const std::string &number, size_t cchMax);
Outcome CmeOf(HRESULT hr);
} // namespace atrun

// One command line of one client: its commands run in order until one fails.
struct PlatAtRun {
    typedef atrun::Outcome Outcome;
    typedef atrun::Arg Arg;
    typedef atrun::Stored Stored;
    typedef atrun::SimSession SimSession;

    PlatAtModem &modem;
    PlatAtModem::Settings &s;
    std::vector<std::string> info;

    explicit PlatAtRun(PlatAtModem &m) : modem(m), s(m.m_s) {}

    void Add(const std::string &line) { info.push_back(line); }
    std::string Info();
    std::string Final(Outcome o);

    enum Type { ACTION, SET, READ, TEST };

    // Basic and general commands (atmodem.cpp).
    Outcome Basic(char c, bool fAmp, int iValue, bool fHasValue);
    Outcome Identify(const std::string &value, Type t);
    Outcome Imsi(Type t);
    Outcome Pin(Type t, const std::vector<Arg> &);
    Outcome Fun(Type t, const std::vector<Arg> &a);
    Outcome Setting(Type t, const std::vector<Arg> &a, const char *pszName, const char *pszRange, int iMax,
                    int *pi);
    Outcome Cmee(Type t, const std::vector<Arg> &a);
    Outcome Cscs(Type t, const std::vector<Arg> &a);
    Outcome Registration(Type t);
    Outcome Signal(Type t);

    // The phone book (atphonebook.cpp).
    DWORD Storage() const;
    Outcome Caps(const SimSession &sim, SIMCAPS *pCaps, DWORD *pdwMin, DWORD *pdwMax);
    std::string EntryLine(const char *pszPrefix, DWORD dwIndex, const SIMPHONEBOOKENTRY &e);
    Outcome Cpbs(Type t, const std::vector<Arg> &a);
    Outcome Cpbr(Type t, const std::vector<Arg> &a);
    Outcome Cpbf(Type t, const std::vector<Arg> &a);
    Outcome Cpbw(Type t, const std::vector<Arg> &a);
    Outcome Cnum(Type t);

    // Messages (atmessages.cpp).
    HRESULT Messages(std::vector<Stored> *pv, DWORD *pdwTotal);
    Outcome Cpms(Type t, const std::vector<Arg> &a);
    Outcome Cmgf(Type t, const std::vector<Arg> &a);
    Outcome Csmp(Type t, const std::vector<Arg> &a);
    Outcome Csdh(Type t, const std::vector<Arg> &a);
    std::string TextData(const SmsMessage &m, size_t *pcLength);
    void Show(const char *pszPrefix, const Stored &st, bool fList);
    Outcome Cmgr(Type t, const std::vector<Arg> &a);
    Outcome Cmgl(Type t, const std::vector<Arg> &a);
    Outcome Cmgd(Type t, const std::vector<Arg> &a);
    Outcome Store(int iStatus, const SmsMessage &m);
    Outcome CmgwLine(Type t, const std::vector<Arg> &a);
    Outcome CmgwData(Type t, const std::vector<Arg> &a, const std::string &data);
    Outcome Csca(Type t);
    Outcome Csms(Type t, const std::vector<Arg> &a);
    Outcome Cnmi(Type t, const std::vector<Arg> &a);

    // Dispatch (atmodem.cpp).
    Outcome Extended(const std::string &name, Type t, const std::vector<Arg> &a);
    Outcome Body(const std::string &body, bool *pfData);
};
