#pragma once

// Telling whether the run that left something behind is still going; the system's twin of
// this file lives in platform/<system>/processes.cpp.
namespace quarnby::platform {

long long thisProcess();
// When this process started, in the system's own units; 0 when the system does not say.
long long thisProcessStart();

// Whether the process with this number is still running (another user's included).
bool processRunning(long long process);
// When the process with this number started, in the units of thisProcessStart(); 0 when
// the system does not say (another user's process it keeps hidden, no such process).
long long processStart(long long process);

// Whether the run that was process `process`, started at `start`, is still going: a later
// process that got the same number (a container's first process, a number used again) is
// not it. A `start` of 0, or a process whose start the system keeps hidden, is told by its
// number alone.
bool processAlive(long long process, long long start);

}  // namespace quarnby::platform
