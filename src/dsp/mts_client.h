// Client side of the MTS-ESP microtuning protocol.
//
// A tuning master (a separate program) publishes its tuning through a shared
// library; every client in the process reads note frequencies from it. The
// library is opened once per process, on first use, from a fixed path. Without
// it, or without a connected master, every query falls back to equal
// temperament at A = 440 Hz, and the caller cannot tell the difference
// except through MTS_HasMaster().
//
// Notes are MIDI notes taken modulo 128. A channel outside 0..15 (the
// instrument always passes -1) means "not channel-specific".
#pragma once

// One per plug-in instance: the local fallback tuning and the channel state
// of the last queries.
struct MTSClient {
  double retuning[128];
  char scaleName[16];
  bool filterChannelValid;
  bool tuningChannelValid;
  bool frequencyRequested;
};

// Returns a new client with the 440 Hz table and tells the library; null
// only when out of memory. Every function below accepts a null client.
MTSClient* MTS_RegisterClient();
// Tells the library and frees the client; null is ignored.
void MTS_DeregisterClient(MTSClient* client);

bool MTS_HasMaster(const MTSClient* client);
bool MTS_ShouldFilterNote(MTSClient* client, signed char midinote, signed char midichannel);
double MTS_NoteToFrequency(MTSClient* client, signed char midinote, signed char midichannel);
// Never null.
const char* MTS_GetScaleName(MTSClient* client);

namespace mts_testing {

enum class LoadResult { Loaded, NotFound, Refused };

// Replaces the process-wide library with the one at path; a path that cannot
// be opened leaves no library (NotFound). Tests use it to load a fake master.
// Refused, with nothing changed, while any client is registered: those
// clients have announced themselves to the current library.
LoadResult loadLibrary(const char* path);

} // namespace mts_testing
