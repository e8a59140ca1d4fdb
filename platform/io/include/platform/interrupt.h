#pragma once
// Ctrl-C and SIGTERM. In batch mode the first one asks the run to stop, as
// if the user had answered Yes to Stop: the run ends after the current
// record or block, keeps the whole lines written so far and says so. A
// second one ends the program at once. Either way no temporary output file
// is left behind: every one being written is registered here and removed
// before the program ends on a signal.
#include <filesystem>

namespace platform {

// Batch mode: the first signal sets the stop request (and says on stderr that
// the run will stop), the second removes the registered temporary files and
// ends the program with status 1.
void InstallBatchInterruptHandlers(const char* program);
// Window mode: a signal removes the registered temporary files and ends the
// program at once (a window has its own Stop).
void InstallWindowInterruptHandlers();

// True once a stop was asked for by a signal. Cheap enough to test for every
// record.
bool InterruptRequested();
// Forgets a stop request (tests, and a window that handled one).
void ClearInterrupt();
// Asks for a stop as the first signal would (tests).
void RequestInterrupt();

// A temporary file that must not outlive the program. Registering returns a
// ticket for Unregister, or -1 when every slot is taken (the file then only
// goes on a normal end).
int RegisterTemporaryFile(const std::filesystem::path& path);
void UnregisterTemporaryFile(int ticket);
// Removes every registered temporary file now (what the signal handler does).
void RemoveTemporaryFiles();

}  // namespace platform
