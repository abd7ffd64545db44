#pragma once
// Timing probes, for finding where start-up and install time go. Built in only when the
// build is configured with -DPENTARO_PROBES=ON; otherwise each probe is an empty inline
// function and costs nothing.
//
// With probes built in, the program writes at its end, into the file named by the
// environment variable PENTARO_PROBE_LOG (nothing when it is not set), one line per probe
// passed: the milliseconds since the process was created, a tab, the probe's name.
namespace tk {

#ifdef PENTARO_PROBES
void Probe(const char* name);
#else
inline void Probe(const char*) {}
#endif

} // namespace tk
