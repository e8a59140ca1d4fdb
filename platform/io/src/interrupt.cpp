#include "platform/interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/console.h"

#if defined(_WIN32)
#include <io.h>
#include <stdlib.h>
#include <windows.h>
#define SUITE_WRITE _write
#define SUITE_UNLINK _wunlink
#else
#include <unistd.h>
#define SUITE_WRITE write
#define SUITE_UNLINK unlink
#endif

namespace platform {
namespace {

// Everything the handler touches is a lock-free atomic or a fixed buffer:
// nothing else may be used from inside a signal handler.
constexpr int kSlots = 1024;  // a run over a year of daily files
constexpr std::size_t kPathBytes = 4096;

enum SlotState : int { kFree = 0, kFilling = 1, kInUse = 2 };

// Windows names are wide: a narrow one would go through the ANSI code page.
using PathChar = std::filesystem::path::value_type;

struct Slot {
  std::atomic<int> state{kFree};
  PathChar path[kPathBytes];
};

Slot g_slots[kSlots];
std::atomic<bool> g_stop{false};
std::atomic<int> g_signals{0};
bool g_batch = false;
char g_program[64] = "";

void Say(const char* text) {
  const auto length = static_cast<unsigned>(std::strlen(text));
  // Nothing to do about a failed write to stderr from inside the handler.
  [[maybe_unused]] const auto written = SUITE_WRITE(2, text, length);
}

void RemoveAll() {
  for (Slot& slot : g_slots) {
    if (slot.state.load() == kInUse) SUITE_UNLINK(slot.path);
  }
}

extern "C" void OnInterrupt(int signal_number) {
  const int count = g_signals.fetch_add(1) + 1;
  if (g_batch && count == 1) {
    g_stop.store(true);
    Say("\n");
    Say(g_program);
    Say(": stopping after the current record (press Ctrl-C again to end at once)\n");
    return;
  }
  RemoveAll();
  RestoreConsole();  // Windows: the handler runs on a thread of its own
  if (g_batch) {
    Say(g_program);
    Say(": ended at once; no output was replaced\n");
  }
  (void)signal_number;
  _exit(1);
}

#if defined(_WIN32)
// Ctrl-C and Ctrl-Break follow the rules of SIGINT. Closing the console,
// logging off and shutting down end the program within seconds whatever it
// does, so they are the second signal at once.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) g_signals.fetch_add(1);
  OnInterrupt(SIGINT);
  return TRUE;
}
#endif

void Install() {
#if defined(_WIN32)
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
#endif
}

}  // namespace

void InstallBatchInterruptHandlers(const char* program) {
  g_batch = true;
  std::snprintf(g_program, sizeof g_program, "%s", program);
  Install();
}

void InstallWindowInterruptHandlers() {
  g_batch = false;
  Install();
}

bool InterruptRequested() {
  return g_stop.load(std::memory_order_relaxed);
}

void ClearInterrupt() {
  g_stop.store(false);
  g_signals.store(0);
}

void RequestInterrupt() {
  g_stop.store(true);
  g_signals.fetch_add(1);
}

int RegisterTemporaryFile(const std::filesystem::path& path) {
  const auto& text = path.native();
  if (text.size() >= kPathBytes) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_slots[i].path, text.c_str(), (text.size() + 1) * sizeof(PathChar));
    g_slots[i].state.store(kInUse);
    return i;
  }
  return -1;
}

void UnregisterTemporaryFile(int ticket) {
  if (ticket >= 0 && ticket < kSlots) g_slots[ticket].state.store(kFree);
}

void RemoveTemporaryFiles() {
  RemoveAll();
}

}  // namespace platform
