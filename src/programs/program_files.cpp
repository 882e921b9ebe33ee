// Program and bank files: the ProgramStore members that read and write them.
#include "programs/program_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"
#include "programs/program_store.h"
#include "programs/state_chunk.h"

namespace programs {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

void putBigEndian(std::string& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(bits >> shift));
}

// False when the four bytes are not all inside the file.
bool readBigEndian(std::string_view file, size_t offset, uint32_t& value) {
  if (offset > file.size() || file.size() - offset < 4) return false;
  value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(file[offset + i]);
  return true;
}

bool fieldIs(std::string_view file, size_t offset, int32_t expected) {
  uint32_t value = 0;
  return readBigEndian(file, offset, value) && static_cast<int32_t>(value) == expected;
}

int32_t fieldOr(std::string_view file, size_t offset, int32_t fallback) {
  uint32_t value = 0;
  return readBigEndian(file, offset, value) ? static_cast<int32_t>(value) : fallback;
}

// The name field of a program header: up to its first NUL. The caller has
// checked the field lies inside the file.
std::string headerName(std::string_view file, size_t offset) {
  const std::string_view field = file.substr(offset, fx::kProgramNameBytes);
  return std::string(field.substr(0, field.find('\0')));
}

// The opaque payload as a chunk, and where its state starts behind the
// optional payload header.
int payloadChunk(std::string_view file, size_t offset, qm::IByteChunk& chunk) {
  const std::string_view payload = file.substr(offset);
  chunk.PutBytes(payload.data(), static_cast<int>(payload.size()));
  return chunk.HasBytesAt(fx::kPayloadMarker, sizeof(fx::kPayloadMarker), 0)
             ? fx::kPayloadHeaderBytes
             : 0;
}

bool putPayloadHeader(qm::IByteChunk& payload) {
  return payload.PutBytes(fx::kPayloadMarker, sizeof(fx::kPayloadMarker)) >= 0 &&
         payload.PutBytes(fx::kPayloadVersion, sizeof(fx::kPayloadVersion)) >= 0;
}

void putPayload(std::string& out, const qm::IByteChunk& payload) {
  putBigEndian(out, payload.Size());
  out.append(reinterpret_cast<const char*>(payload.GetData()), static_cast<size_t>(payload.Size()));
}

} // namespace

// --- Saving -----------------------------------------------------------------

bool ProgramStore::programFileBytes(std::string& out) const {
  Lock lock(mutex_);
  qm::IByteChunk payload;
  if (!putPayloadHeader(payload) || !plug_.SerializeState(payload)) return false;

  char name[fx::kProgramNameBytes] = {};
  if (const qm::IPreset* preset = plug_.GetPreset(plug_.GetCurrentPresetIdx()))
    std::memcpy(name, preset->mName, strnlen(preset->mName, fx::kProgramNameBytes - 1));

  out.clear();
  putBigEndian(out, fx::kChunkMagic);
  putBigEndian(out, payload.Size() + fx::kProgramByteSizeExtra);
  putBigEndian(out, fx::kOpaqueProgramMagic);
  putBigEndian(out, fx::kProgramFormatVersion);
  putBigEndian(out, plug_.GetUniqueID());
  putBigEndian(out, plug_.GetPluginVersion(true));
  putBigEndian(out, plug_.NParams());
  out.append(name, sizeof(name));
  putPayload(out, payload);
  return true;
}

bool ProgramStore::bankFileBytes(std::string& out) const {
  Lock lock(mutex_);
  qm::IByteChunk payload;
  if (!putPayloadHeader(payload) || !SerializePresets(payload)) return false;

  out.clear();
  putBigEndian(out, fx::kChunkMagic);
  putBigEndian(out, payload.Size() + fx::kBankByteSizeExtra);
  putBigEndian(out, fx::kOpaqueBankMagic);
  putBigEndian(out, fx::kBankFormatVersion);
  putBigEndian(out, plug_.GetUniqueID());
  putBigEndian(out, plug_.GetPluginVersion(true));
  putBigEndian(out, plug_.NPresets());
  putBigEndian(out, plug_.GetCurrentPresetIdx());
  out.append(fx::kBankReservedBytes, '\0');
  putPayload(out, payload);
  return true;
}

// Written to a temporary and renamed over the target, so a failed save
// leaves the old file whole.
bool ProgramStore::SavePresetAsFXP(const std::string& path) const {
  std::string bytes;
  return !path.empty() && programFileBytes(bytes) && platform::replaceFile(path, bytes);
}

bool ProgramStore::SaveBankAsFXB(const std::string& path) const {
  std::string bytes;
  return !path.empty() && bankFileBytes(bytes) && platform::replaceFile(path, bytes);
}

// --- Loading ----------------------------------------------------------------

bool ProgramStore::LoadPresetFromFXP(const std::string& path) {
  std::string file;
  return !path.empty() && platform::readFile(path, file) && loadPresetFromBytes(file);
}

bool ProgramStore::LoadBankFromFXB(const std::string& path) {
  std::string file;
  return !path.empty() && platform::readFile(path, file) && loadBankFromBytes(file);
}

void ProgramStore::applyParameterList(std::string_view values) {
  for (int i = 0; i < plug_.NParams(); ++i) {
    uint32_t bits = 0;
    if (!readBigEndian(values, static_cast<size_t>(i) * 4, bits)) break;
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    // A NaN goes on to become the default; anything else is a position in 0..1.
    double normalized = value;
    if (!std::isnan(normalized)) normalized = std::clamp(normalized, 0.0, 1.0);
    plug_.GetParam(i)->SetNormalized(normalized);
  }
}

void ProgramStore::storeLoadedProgram(const char* name) {
  qm::IPreset* preset = plug_.GetPreset(plug_.GetCurrentPresetIdx());
  if (!preset) return;
  preset->mChunk.Clear();
  plug_.SerializeState(preset->mChunk);
  // Holding loaded settings, the program counts as used: a recall applies
  // them rather than renaming it "user preset".
  preset->mInitialized = true;
  if (name[0]) setProgramName(*preset, name);
}

bool ProgramStore::loadPresetFromBytes(std::string_view file) {
  Lock lock(mutex_);
  if (!fieldIs(file, fx::kMagicOffset, fx::kChunkMagic) ||
      !fieldIs(file, fx::kVersionOffset, fx::kProgramFormatVersion) ||
      !fieldIs(file, fx::kPluginIDOffset, plug_.GetUniqueID()))
    return false;
  const int32_t format = fieldOr(file, fx::kFormatOffset, 0);
  if (format == fx::kOpaqueProgramMagic) {
    if (file.size() < static_cast<size_t>(fx::kProgramPayloadOffset)) return false;
    qm::IByteChunk chunk;
    const int start = payloadChunk(file, fx::kProgramPayloadOffset, chunk);
    plug_.UnserializeState(chunk, start);
  } else if (format == fx::kParamListProgramMagic) {
    if (file.size() < static_cast<size_t>(fx::kProgramValuesOffset)) return false;
    applyParameterList(file.substr(fx::kProgramValuesOffset));
  } else {
    return false;
  }
  storeLoadedProgram(headerName(file, fx::kProgramNameOffset).c_str());
  restore(plug_.GetCurrentPresetIdx(), true);
  return true;
}

bool ProgramStore::loadBankFromBytes(std::string_view file) {
  Lock lock(mutex_);
  if (!fieldIs(file, fx::kMagicOffset, fx::kChunkMagic) ||
      !fieldIs(file, fx::kPluginIDOffset, plug_.GetUniqueID()))
    return false;
  const int32_t format = fieldOr(file, fx::kFormatOffset, 0);
  if (format == fx::kOpaqueBankMagic) {
    if (file.size() < static_cast<size_t>(fx::kBankPayloadOffset)) return false;
    qm::IByteChunk chunk;
    const int start = payloadChunk(file, fx::kBankPayloadOffset, chunk);
    UnserializePresets(chunk, start);
    return true;
  }
  if (format != fx::kParamListBankMagic) return false;
  if (file.size() < static_cast<size_t>(fx::kBankProgramsOffset)) return false;

  const int32_t programs = fieldOr(file, fx::kCountOffset, 0);
  const int32_t current = fieldOr(file, fx::kBankCurrentOffset, 0);
  const size_t valueBytes = static_cast<size_t>(plug_.NParams()) * 4;
  const size_t recordBytes = fx::kProgramValuesOffset + valueBytes;
  size_t offset = fx::kBankProgramsOffset;
  for (int32_t p = 0; p < programs; ++p, offset += recordBytes) {
    if (!fieldIs(file, offset + fx::kMagicOffset, fx::kChunkMagic) ||
        !fieldIs(file, offset + fx::kFormatOffset, fx::kParamListProgramMagic) ||
        !fieldIs(file, offset + fx::kVersionOffset, fx::kProgramFormatVersion) ||
        !fieldIs(file, offset + fx::kCountOffset, plug_.NParams()) ||
        file.size() - offset < static_cast<size_t>(fx::kProgramValuesOffset))
      return false;
    const std::string name = headerName(file, offset + fx::kProgramNameOffset);
    // A program number past the bank fails to recall, so surplus programs
    // land in the one that was current last.
    restore(p, true);
    applyParameterList(file.substr(offset + fx::kProgramValuesOffset, valueBytes));
    storeLoadedProgram(name.c_str());
  }
  restore(current, true);
  return true;
}

} // namespace programs

namespace programs {

// With no usable startup bank the path is forgotten for this instance only;
// the configuration file keeps it.
bool ProgramStore::initAllPrograms(std::string& startupBankPath, const std::string& pluginFolder) {
  if (LoadBankFromFXB(startupBankPath)) return true;
  startupBankPath.clear();
  return LoadBankFromFXB(platform::joinPath(pluginFolder, kInitialBankPath));
}

} // namespace programs
