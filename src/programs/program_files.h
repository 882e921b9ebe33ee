// The program (FXP) and bank (FXB) file layouts of the VST 2 preset store.
// Header fields are big-endian 32-bit integers; the opaque payloads inside
// are our own little-endian state chunk or bank, behind an 8-byte header.
//
//   program: CcnK size FPCh|FxCk 1 id version params name[28] | payload
//   bank:    CcnK size FBCh|FxBk 2 id version programs current reserved[124] | payload
//
// The loaders and savers are ProgramStore members (program_store.h).
#pragma once

#include <cstdint>

#include "framework/config.h"

namespace programs::fx {

inline constexpr int32_t kChunkMagic = qm::FourCC("CcnK");
inline constexpr int32_t kOpaqueProgramMagic = qm::FourCC("FPCh");
inline constexpr int32_t kParamListProgramMagic = qm::FourCC("FxCk");
inline constexpr int32_t kOpaqueBankMagic = qm::FourCC("FBCh");
inline constexpr int32_t kParamListBankMagic = qm::FourCC("FxBk");
inline constexpr int32_t kProgramFormatVersion = 1;
inline constexpr int32_t kBankFormatVersion = 2;

// Offsets into a program file or program record.
inline constexpr int kMagicOffset = 0;
inline constexpr int kByteSizeOffset = 4;
inline constexpr int kFormatOffset = 8;
inline constexpr int kVersionOffset = 12;
inline constexpr int kPluginIDOffset = 16;
inline constexpr int kPluginVersionOffset = 20;
inline constexpr int kCountOffset = 24;
inline constexpr int kProgramNameOffset = 28;
inline constexpr int kProgramNameBytes = 28;
inline constexpr int kProgramValuesOffset = 56;
inline constexpr int kProgramPayloadSizeOffset = 56;
inline constexpr int kProgramPayloadOffset = 60;

// Offsets into a bank file.
inline constexpr int kBankCurrentOffset = 28;
inline constexpr int kBankReservedOffset = 32;
inline constexpr int kBankReservedBytes = 124;
inline constexpr int kBankProgramsOffset = 156;
inline constexpr int kBankPayloadSizeOffset = 156;
inline constexpr int kBankPayloadOffset = 160;

// The byte size field counts eight bytes more than follow it; files in the
// wild carry it that way, and no reader relies on it.
inline constexpr int kProgramByteSizeExtra = kProgramPayloadOffset;
inline constexpr int kBankByteSizeExtra = kBankPayloadOffset;

// The opaque payload header: "tffp" and the framework version 0x10000, both
// little-endian words.
inline constexpr uint8_t kPayloadMarker[4] = {'t', 'f', 'f', 'p'};
inline constexpr uint8_t kPayloadVersion[4] = {0x00, 0x00, 0x01, 0x00};
inline constexpr int kPayloadHeaderBytes = 8;

} // namespace programs::fx
