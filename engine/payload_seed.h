#pragma once
// The payload seed: the state the runtime's pseudo-random generator is set to before
// the 50-byte payload key stream is drawn from it. The installer (to unscramble) and
// pentaro-pack (to scramble) include this one header, so the two cannot drift apart;
// changing the value changes every payload byte and needs no other edit.
#include <cstdint>

inline constexpr std::uint32_t PayloadSeed = 0x7E50D2A3u;
