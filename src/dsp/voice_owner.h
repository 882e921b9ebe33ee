// What a voice needs to know about the instrument that plays it. The
// instrument implements this; tests use a small fake. Every call is made once
// per note or per control block, never per sample, so one virtual call is
// cheap here.
#pragma once

class VoiceOwner {
public:
  // Pitch index of a note (note * 128 without a tuning source).
  virtual int getFrequency(int note) = 0;
  // Keys held for the Synthe and Brass sections; counts may drop below 0
  // when note-offs outnumber note-ons, which a voice treats as none held.
  virtual int syntheKeysHeld() const = 0;
  virtual int brassKeysHeld() const = 0;
  // Whether the shared Brass envelope is sounding.
  virtual bool brassEnvelopeRunning() const = 0;

protected:
  ~VoiceOwner() = default;
};
