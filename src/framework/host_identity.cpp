#include "framework/host_identity.h"

#include <cctype>
#include <string>

namespace qm {

namespace {
constexpr std::size_t kMaxHostNameLen = 255;

struct HostWord {
  const char* word;
  EHost host;
};

// Tested in this order and the first word found wins, so the order is part
// of the mapping: "wavelab elements" must come before "wavelab", and a name
// such as "Bitwig Studio Live" is taken as Live.
constexpr HostWord kHostWords[] = {
    {"reaper", kHostReaper},
    {"protools", kHostProTools},
    {"cubase", kHostCubase},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"vegas", kHostVegas},
    {"fruity", kHostFL},
    {"samplitude", kHostSamplitude},
    {"live", kHostAbletonLive},
    {"tracktion", kHostTracktion},
    {"ntracks", kHostNTracks},
    {"melodyne", kHostMelodyneStudio},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"bias", kHostBias},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"garageband", kHostGarageBand},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"ardour", kHostArdour},
    {"renoise", kHostRenoise},
    {"openmpt", kHostOpenMPT},
    {"wavelab elements", kHostWaveLabElements},
    {"wavelab", kHostWaveLab},
    {"twistedwave", kHostTwistedWave},
    {"bitwig studio", kHostBitwig},
    {"reason", kHostReason},
    {"gwvst", kHostGoldWave5x},
    {"waveform", kHostWaveform},
    {"audacity", kHostAudacity},
    {"acoustica", kHostAcoustica},
    {"plugindoctor", kHostPluginDoctor},
    {"izotope rx", kHostiZotopeRX},
    {"savihost", kHostSAVIHost},
    {"blue cat's vst host", kHostBlueCat},
    {"mixbus", kHostMixbus},
    {"standalone", kHostStandalone},
    {"www", kHostWWW},
};
} // namespace

EHost IdentifyHost(const char* name) {
  if (!name) return kHostUnknown;
  std::string lower;
  for (std::size_t i = 0; name[i] && i < kMaxHostNameLen; ++i) {
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  }
  for (const auto& entry : kHostWords) {
    if (lower.find(entry.word) != std::string::npos) return entry.host;
  }
  return kHostUnknown;
}

} // namespace qm
