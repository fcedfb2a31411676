// An AT modem on a loopback port with a phone book of its own, untidy on
// request the way real modems are: echo, numeric results, unsolicited lines
// anywhere, replies in small pieces, silence, a dropped connection.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ScriptedModem {
public:
    struct Entry {
        std::string number;
        std::wstring name;
    };

    ScriptedModem();
    ~ScriptedModem();
    // "tcp:127.0.0.1:PORT", for sim.json's "modem".
    std::string Name() const;

    // Untidiness; set before the program connects.
    bool fEcho = true;           // echo on until ATE0, as after power-up
    bool fNumeric = true;        // numeric results until ATV1
    bool fUnsolicited = false;   // RING, +CMTI, ^RSSI before and after every reply
    bool fSplit = false;         // replies go out a few bytes at a time
    bool fHexSet = true;         // +CSCS knows "HEX"
    std::function<bool(const std::string &line)> silentOn;  // no answer to such a line
    std::function<bool(const std::string &line)> dropOn;    // the connection closes instead
    std::function<bool(const std::string &line)> floodOn;   // answer lines without end instead

    // The card, guarded by Lock().
    std::map<int, Entry> book;
    std::vector<Entry> ownNumbers;
    int iMaxIndex = 20;
    int cchNumber = 20;
    int cchText = 14;
    std::vector<std::string> lines;  // every command line and data line received
    std::string cmgrReply = "+CMGR: \"REC READ\",\"+447700900123\",,\"26/01/02,10:00:00+00\",145,4,0,0,"
                            "\"+447700900000\",145,2\r\n4869\r\n";
    int cConnections = 0;
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(m_mtx); }
    // Lines received that contain the text.
    int Count(const std::string &text);

private:
    void Serve();
    void Talk(SOCKET s);
    std::string Answer(const std::string &line, bool *pfEcho, bool *pfNumeric, bool *pfUcs2, std::string *pBook);
    std::mutex m_mtx;
    SOCKET m_listen = INVALID_SOCKET;
    WORD m_wPort = 0;
    std::atomic<bool> m_fStop{false};
    std::thread m_thread;
};
