#pragma once
// The start-up check with the maker's server (reachability, pending message, current version) and the two
// menu commands that reuse it: running the updater and the new-features page.
#include <functional>
#include <string>

#include "platform/Ping.h"

namespace qv {

constexpr int PingTimeout = 3000;  // ms
constexpr int PingWaitStep = 200;  // ms
constexpr double OwnVersion = 7.2;
inline constexpr const char* OwnVersionText = "7.2";
// All HTTP requests of the start-up's server check together: a server that accepts and never answers
// delays the start by this much at most.
constexpr int ServerCheckBudgetMs = 6000;

extern bool PingReplied;
extern bool HostReachable;
extern std::string InstallationId;  // Big5 bytes; empty unless read from "boot.bin"
extern double LatestVersion;        // 0 when unknown
extern int MessageNo;               // the message being shown

std::string MessageUrl();
std::string NewFeatureUrl();

// Echo reply event.
void IdIcmpClientReply(EchoStatus status);

// The integer of the ninth "##" piece; 0 when there is none or it is no integer.
int ReadHashField9(const std::string& text);
// The integer on line 2 of "boot.bin" in AppDir: -1 when missing, too short or empty; 0 when no integer.
int ReadBootBinValue();
// Line 3 of "boot.bin", descrambled from its hexadecimal form; empty when there is no third line.
std::string ReadInstallationId();
// Stores the number on line 2 of "boot.bin" and keeps every other line; creates the file when missing.
bool StoreReadMessageNo(int messageNo);

// Start-up, in the order the main window calls them.
void StartServerCheck();   // clears the flags, sends the echo request
int WaitForServerReply();  // sleeps in steps until the reply or past the time-out; returns the steps slept
// Reads the installation identifier, runs the message check (showMessageWindow is called, modally, when
// a message is due), then the version check and the update offer. True when the updater was started and
// the program is to end once start-up is over. The requests share budgetMs; the time the message window is
// up does not count.
bool FinishServerCheck(const std::function<void()>& showMessageWindow, int budgetMs = ServerCheckBudgetMs);

// The parts of FinishServerCheck.
bool CheckServerMessage();  // true when the message window is to be shown; MessageNo is set then
void CheckLatestVersion();  // sets LatestVersion
bool OfferUpdate();         // asks when a newer version is out; true when the updater was started

// Starts "updater.exe 7.2 QV03" of the program folder; tells the user when it cannot.
bool StartUpdater();

// Menu commands. N14Click: true when the updater was started and the program is to end.
bool N14Click();
// The new-features page answers: the window may be shown. Tells the user otherwise.
bool ProbeNewFeaturePage();

// For the two browser windows: GET of the page; the error box when it fails.
bool FetchPageForBrowser(const std::string& url);

}  // namespace qv
