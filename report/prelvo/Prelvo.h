#pragma once

// The interface of the report library Prelvo (libPrelvo.so, Prelvo.dll), loaded at
// run time by file name. Every function returns a one-byte boolean; paths are
// zero-terminated 8-bit strings in the system's encoding, owned by the caller.
// The library keeps one report open at a time; all calls belong on the caller's
// user-interface thread.

#if defined(_WIN32)
#define PRELVO_API __declspec(dllexport)
#else
#define PRELVO_API __attribute__((visibility("default")))
#endif

extern "C" {

// Opens a report: loads the template archive and remembers the result data file
// (read again at every output, so it must stay until CloseReport). False, with
// nothing changed, when a report is open already. A template that cannot be used
// gives an empty page, a missing data file the designed texts.
PRELVO_API bool InitReport(const char* templatePath, const char* resultDataPath);

// Shows the filled report in the preview window until the user closes it. False
// with a message when no report is open or the program cannot show Prelvo's windows.
PRELVO_API bool ShowReport();

// Shows the report designer until the user closes it; the design stays in the
// open report. False with a message when no report is open or no window can be shown.
PRELVO_API bool DesignReport();

// Closes the open report; true also when none was open.
PRELVO_API bool CloseReport();

// Writes the filled report to a PDF file or a 300-dpi PNG picture, by the
// extension of outPath, replacing it atomically. False with a message on stderr
// (or the program's message handler) when no report is open or writing fails.
PRELVO_API bool ExportReport(const char* outPath);

} // extern "C"

// How callers resolve the functions by name.
using InitReportFunction = bool (*)(const char*, const char*);
using ShowReportFunction = bool (*)();
using DesignReportFunction = bool (*)();
using CloseReportFunction = bool (*)();
using ExportReportFunction = bool (*)(const char*);
