// The plug-in factory: one per process, describing and creating the one
// instrument class. The module entry points hand it out.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace qm::vst3 {

// The 16 bytes of Halvora's class ID: 0xF2AEE70D, 0x00DE4F4E, 'QuMe',
// 'Hal3', each word most significant byte first.
extern const Steinberg::TUID kHalvoraClassID;

// The process's factory with one more reference for the caller; made on the
// first call, and again after the host has released the last reference.
Steinberg::IPluginFactory* GetFactory();

// Module entry bookkeeping: entries are counted, the first records the path
// of our shared object. Exit fails when there was no entry to balance.
bool EnterModule();
bool ExitModule();
int ModuleEntryCount();
// The shared object's path as recorded by the first entry (empty before).
const char* ModulePath();

} // namespace qm::vst3
