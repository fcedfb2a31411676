// Shared set-up of the SIM program's tests: a SIM in the test profile, the
// program's globals reset between tests, and small look-ups.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <strsafe.h>
#include <vector>
#include "platform.h"
#include "platsim.h"
#include "support.h"
#include "morlin.h"
#include "phonebook.h"

struct SimSlot {
    DWORD dwIndex;
    std::string name;
    std::string number;
};

// Writes sim.json: the index range 1..dwMax, the lengths, the entries.
void WriteSim(const std::vector<SimSlot> &slots, DWORD dwMax = 250, DWORD cchText = 14, DWORD cchAddress = 40);
nlohmann::json ReadSim();
// sim.json's message storage: dwTotal slots holding these messages.
void WriteSms(const nlohmann::json &messages, DWORD dwTotal = 20);
// What the radio received and answered (radio.log).
std::string ReadRadioLog();
// While on, the profile file cannot be saved (its temporary file's name is taken).
void BlockSave(const wchar_t *pszFile, bool fBlocked);
void BlockSimSave(bool fBlocked);
// Entries 1..n named "Name 001"... with numbers "0100000001"...
std::vector<SimSlot> NumberedSlots(DWORD n);
// Opens the SIM the way the start-up thread does, without a window.
bool OpenSim();
// Forgets the cache, the SIM handle and the flags a test set.
void ResetMorlin();
// The SIM indexes in the cache, in cache order.
std::vector<WORD> CachedIndexes();
// Width of the text in the font, and in the handset's bold Tahoma of the
// font's height drawn in its own proportions.
int HandsetBoldWidth(HFONT hfont, LPCWSTR psz);
// Trace lines written since the trace file was last removed.
std::string ReadTrace();
void ClearTrace();
// device.json with the trace words (or none).
void WriteTraceWords(int iWord0, int iWord16);

class SimTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A SIM with these slots, opened and read the way the program starts; counters reset.
    void Load(const std::vector<SimSlot> &slots, DWORD dwMax = 250, DWORD cchText = 14, DWORD cchAddress = 40);
    // SIM writes since the counters were reset.
    DWORD Writes();
};
