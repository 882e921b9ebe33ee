// A stand-in for the MTS-ESP tuning library: the nine entry points a client
// looks up, plus setters (prefixed Fake_) that let a test play the master.
// Built as a loadable module and opened with dlopen, like the real library.
#include <cmath>
#include <cstring>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The per-channel side answers differently from the single side (every
// channel table at 1000 Hz, every note filtered), so a test sees which one
// the client consulted.
constexpr double kChannelHz = 1000.0;

double gTable[128];
double gChannelTable[128];
bool gHasMaster = false;
bool gFiltered[128] = {};
char gScaleName[512] = "";
int gClients = 0;

void reset() {
  for (int i = 0; i < 128; ++i) {
    gTable[i] = 440.0 * std::pow(2.0, (i - 69) / 12.0);
    gChannelTable[i] = kChannelHz;
    gFiltered[i] = false;
  }
  gHasMaster = false;
  gScaleName[0] = '\0';
}

struct Init {
  Init() { reset(); }
} gInit;

} // namespace

FAKE_EXPORT void MTS_RegisterClient() {
  ++gClients;
}
FAKE_EXPORT void MTS_DeregisterClient() {
  --gClients;
}
FAKE_EXPORT bool MTS_HasMaster() {
  return gHasMaster;
}
FAKE_EXPORT bool MTS_ShouldFilterNote(signed char note, signed char) {
  return gFiltered[note & 127];
}
FAKE_EXPORT bool MTS_ShouldFilterNoteMultiChannel(signed char, signed char) {
  return true;
}
FAKE_EXPORT const double* MTS_GetTuningTable() {
  return gTable;
}
FAKE_EXPORT const double* MTS_GetMultiChannelTuningTable(signed char) {
  return gChannelTable;
}
FAKE_EXPORT bool MTS_UseMultiChannelTuning(signed char) {
  return true;
}
FAKE_EXPORT const char* MTS_GetScaleName() {
  return gScaleName;
}

FAKE_EXPORT void Fake_Reset() {
  reset();
}
FAKE_EXPORT void Fake_SetHasMaster(bool on) {
  gHasMaster = on;
}
FAKE_EXPORT void Fake_SetFrequency(int note, double hz) {
  gTable[note] = hz;
}
FAKE_EXPORT void Fake_SetFiltered(int note, bool filtered) {
  gFiltered[note] = filtered;
}
FAKE_EXPORT void Fake_SetScaleName(const char* name) {
  std::strncpy(gScaleName, name, sizeof gScaleName - 1);
}
FAKE_EXPORT int Fake_Clients() {
  return gClients;
}
