#include "app/CarriedImage.h"

namespace {

// Offsets and values of the PE format, read by hand: the same on every build.
const DWORD kDosHeaderSize = 0x40;
const DWORD kNewHeaderOffset = 0x3C;  // e_lfanew
const DWORD kFileHeaderSize = 20;
const DWORD kSectionHeaderSize = 40;
const WORD kMachineAmd64 = 0x8664;
const WORD kExecutableImage = 0x0002;
const WORD kDll = 0x2000;
const WORD kPe32PlusMagic = 0x20B;
const WORD kWindowsGui = 2;
const DWORD kSubsystemOffset = 68;        // in the optional header
const DWORD kOptionalHeaderFixedSize = 112;  // PE32+, before the data directories
const WORD kMaxSections = 96;

WORD ReadWord(const BYTE* at) { return static_cast<WORD>(at[0] | (at[1] << 8)); }

DWORD ReadDword(const BYTE* at) {
  return static_cast<DWORD>(at[0]) | (static_cast<DWORD>(at[1]) << 8) | (static_cast<DWORD>(at[2]) << 16) |
         (static_cast<DWORD>(at[3]) << 24);
}

}  // namespace

bool IsX64ProgramImage(const BYTE* data, DWORD size) {
  if (data == nullptr || size < kDosHeaderSize || data[0] != 'M' || data[1] != 'Z') return false;
  const DWORD peOffset = ReadDword(data + kNewHeaderOffset);
  // Sizes are added in 64 bits: a huge offset must not wrap into the data.
  const unsigned long long fileHeader = static_cast<unsigned long long>(peOffset) + 4;
  if (peOffset < kDosHeaderSize || fileHeader + kFileHeaderSize > size) return false;
  const BYTE* pe = data + peOffset;
  if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) return false;
  const BYTE* header = pe + 4;
  const WORD machine = ReadWord(header);
  const WORD sections = ReadWord(header + 2);
  const WORD optionalSize = ReadWord(header + 16);
  const WORD characteristics = ReadWord(header + 18);
  if (machine != kMachineAmd64 || sections == 0 || sections > kMaxSections) return false;
  if ((characteristics & kExecutableImage) == 0 || (characteristics & kDll) != 0) return false;
  if (optionalSize < kOptionalHeaderFixedSize) return false;
  const unsigned long long optional = fileHeader + kFileHeaderSize;
  const unsigned long long sectionTable = optional + optionalSize;
  if (sectionTable + static_cast<unsigned long long>(sections) * kSectionHeaderSize > size) return false;
  const BYTE* optionalHeader = data + optional;
  return ReadWord(optionalHeader) == kPe32PlusMagic && ReadWord(optionalHeader + kSubsystemOffset) == kWindowsGui;
}
