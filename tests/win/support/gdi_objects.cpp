#include "support/gdi_objects.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>

#include "base/win_handles.h"

namespace {

// One entry of the table: the object (8 bytes), its owner (4), a generation byte whose top bit
// marks a stock object, the object's type (0 for a free entry), flags, a user pointer.
constexpr std::size_t kEntrySize = 24;
constexpr std::size_t kUniqueOffset = 12;
constexpr std::size_t kTypeOffset = 14;
constexpr unsigned char kStockFlag = 0x80;
constexpr int kHandleCount = 0x10000;
constexpr std::size_t kTableOffsetInPeb = 0xF8;  // GdiSharedHandleTable on x64

}  // namespace

int LiveGdiObjects() {
  using GetPeb = PPEB(WINAPI*)();
  const auto getPeb = reinterpret_cast<GetPeb>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "RtlGetCurrentPeb")));
  if (!getPeb) return -1;
  auto* peb = reinterpret_cast<const unsigned char*>(getPeb());
  const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + kTableOffsetInPeb);
  if (!table) return -1;
  int live = 0;
  for (int i = 0; i < kHandleCount; ++i) {
    const unsigned char* entry = table + static_cast<std::size_t>(i) * kEntrySize;
    if (entry[kTypeOffset] != 0 && (entry[kUniqueOffset] & kStockFlag) == 0) ++live;
  }
  return live;
}

::testing::AssertionResult GdiCountSeesANewObject() {
  const int before = LiveGdiObjects();
  if (before < 0) return ::testing::AssertionFailure() << "no GDI handle table in this process";
  int during = 0;
  {
    UniqueBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    if (!brush) return ::testing::AssertionFailure() << "no brush to count";
    during = LiveGdiObjects();
  }
  const int after = LiveGdiObjects();
  if (during != before + 1 || after != before) {
    return ::testing::AssertionFailure() << "the count went " << before << ", " << during << ", " << after
                                         << " around one brush";
  }
  return ::testing::AssertionSuccess();
}
