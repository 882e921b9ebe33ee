#include "dsp/mts_client.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <new>

namespace {

// Where the tuning library lives. Only these paths are searched.
constexpr const char* kLibraryPaths[] = {
#ifdef __APPLE__
    "/Library/Application Support/MTS-ESP/libMTS.dylib",
#endif
    "/usr/local/lib/libMTS.so",
};

constexpr int kNotes = 128;
constexpr int kChannels = 16;
constexpr int kNoteMask = kNotes - 1;

double equalTempered(int note) {
  return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

bool isChannel(signed char channel) {
  return static_cast<unsigned char>(channel) < kChannels;
}

int noteIndex(signed char note) {
  return static_cast<unsigned char>(note) & kNoteMask;
}

// The process-wide loader: the library handle, its entry points and the
// tables it publishes. Written only while loading, which happens before any
// client exists.
class MtsClientGlobal {
public:
  using VoidFn = void (*)();
  using BoolFn = bool (*)();
  using FilterFn = bool (*)(signed char, signed char);
  using TableFn = const double* (*)();
  using ChannelTableFn = const double* (*)(signed char);
  using UseChannelFn = bool (*)(signed char);
  using NameFn = const char* (*)();

  VoidFn registerClient = nullptr;
  VoidFn deregisterClient = nullptr;
  BoolFn hasMaster = nullptr;
  FilterFn shouldFilterNote = nullptr;
  FilterFn shouldFilterNoteMultiChannel = nullptr;
  TableFn getTuningTable = nullptr;
  ChannelTableFn getMultiChannelTuningTable = nullptr;
  UseChannelFn useMultiChannelTuning = nullptr;
  NameFn getScaleName = nullptr;

  double inverseFrequencies[kNotes];
  const double* tuningTable = nullptr;
  const double* channelTables[kChannels] = {};

  std::atomic<int> clients{0};

  MtsClientGlobal() {
    for (int i = 0; i < kNotes; ++i) inverseFrequencies[i] = 1.0 / equalTempered(i);
    for (const char* path : kLibraryPaths)
      if (open(path)) break;
  }
  ~MtsClientGlobal() { close(); }
  MtsClientGlobal(const MtsClientGlobal&) = delete;
  MtsClientGlobal& operator=(const MtsClientGlobal&) = delete;

  static MtsClientGlobal& instance() {
    static MtsClientGlobal global; // created on first use, thread-safe
    return global;
  }

  bool open(const char* path) {
    close();
    handle_ = dlopen(path, RTLD_NOW);
    if (!handle_) return false;
    resolve(registerClient, "MTS_RegisterClient");
    resolve(deregisterClient, "MTS_DeregisterClient");
    resolve(hasMaster, "MTS_HasMaster");
    resolve(shouldFilterNote, "MTS_ShouldFilterNote");
    resolve(shouldFilterNoteMultiChannel, "MTS_ShouldFilterNoteMultiChannel");
    resolve(getTuningTable, "MTS_GetTuningTable");
    resolve(getMultiChannelTuningTable, "MTS_GetMultiChannelTuningTable");
    resolve(useMultiChannelTuning, "MTS_UseMultiChannelTuning");
    resolve(getScaleName, "MTS_GetScaleName");
    if (getTuningTable) tuningTable = getTuningTable();
    for (int channel = 0; channel < kChannels; ++channel)
      channelTables[channel] = getMultiChannelTuningTable
                                   ? getMultiChannelTuningTable(static_cast<signed char>(channel))
                                   : nullptr;
    return true;
  }

  void close() {
    registerClient = deregisterClient = nullptr;
    hasMaster = nullptr;
    shouldFilterNote = shouldFilterNoteMultiChannel = nullptr;
    getTuningTable = nullptr;
    getMultiChannelTuningTable = nullptr;
    useMultiChannelTuning = nullptr;
    getScaleName = nullptr;
    tuningTable = nullptr;
    for (auto& table : channelTables) table = nullptr;
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
  }

  bool masterConnected() const { return tuningTable && hasMaster && hasMaster(); }

  bool channelHasOwnTable(const MTSClient& client, signed char channel) const {
    return client.filterChannelValid && client.tuningChannelValid && useMultiChannelTuning &&
           useMultiChannelTuning(channel);
  }

private:
  template <class Fn>
  void resolve(Fn& fn, const char* name) {
    fn = reinterpret_cast<Fn>(dlsym(handle_, name));
  }

  void* handle_ = nullptr;
};

} // namespace

MTSClient* MTS_RegisterClient() {
  MtsClientGlobal& global = MtsClientGlobal::instance();
  auto* client = new (std::nothrow) MTSClient{};
  if (!client) return nullptr;
  for (int i = 0; i < kNotes; ++i) client->retuning[i] = equalTempered(i);
  std::strncpy(client->scaleName, "12-TET", sizeof client->scaleName - 1);
  global.clients.fetch_add(1);
  if (global.registerClient) global.registerClient();
  return client;
}

void MTS_DeregisterClient(MTSClient* client) {
  if (!client) return;
  MtsClientGlobal& global = MtsClientGlobal::instance();
  if (global.deregisterClient) global.deregisterClient();
  global.clients.fetch_sub(1);
  delete client;
}

bool MTS_HasMaster(const MTSClient* client) {
  return client && MtsClientGlobal::instance().masterConnected();
}

bool MTS_ShouldFilterNote(MTSClient* client, signed char midinote, signed char midichannel) {
  if (!client) return false;
  const MtsClientGlobal& global = MtsClientGlobal::instance();
  client->filterChannelValid = isChannel(midichannel);
  if (!client->frequencyRequested) client->tuningChannelValid = client->filterChannelValid;
  if (!global.masterConnected()) return false;
  const auto note = static_cast<signed char>(noteIndex(midinote));
  if (global.channelHasOwnTable(*client, midichannel))
    return global.shouldFilterNoteMultiChannel &&
           global.shouldFilterNoteMultiChannel(note, midichannel);
  return global.shouldFilterNote && global.shouldFilterNote(note, midichannel);
}

double MTS_NoteToFrequency(MTSClient* client, signed char midinote, signed char midichannel) {
  const MtsClientGlobal& global = MtsClientGlobal::instance();
  const int note = noteIndex(midinote);
  if (!client) return 1.0 / global.inverseFrequencies[note];
  client->frequencyRequested = true;
  client->tuningChannelValid = isChannel(midichannel);
  if (global.masterConnected()) {
    if (global.channelHasOwnTable(*client, midichannel)) {
      const double* table = global.channelTables[midichannel & (kChannels - 1)];
      if (table) return table[note];
    }
    return global.tuningTable[note];
  }
  return client->retuning[note];
}

const char* MTS_GetScaleName(MTSClient* client) {
  if (!client) return "";
  const MtsClientGlobal& global = MtsClientGlobal::instance();
  if (global.masterConnected() && global.getScaleName) {
    // A master that publishes no name gets the local one rather than a null.
    if (const char* name = global.getScaleName()) return name;
  }
  return client->scaleName;
}

namespace mts_testing {

LoadResult loadLibrary(const char* path) {
  MtsClientGlobal& global = MtsClientGlobal::instance();
  if (global.clients.load() != 0) return LoadResult::Refused;
  return global.open(path) ? LoadResult::Loaded : LoadResult::NotFound;
}

} // namespace mts_testing
