// Feeds FormatV hostile formats with arguments of every kind.
// Input: byte 0 = argument count (low 3 bits); then per argument a kind byte
// and 8 value bytes (a text argument takes its length, up to 15, from the
// value's first byte and its characters from the following input); the rest
// of the input is the format in UTF-8.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/format.h"
#include "platform/text.h"

namespace {

class CReader {
 public:
  CReader(const uint8_t* data, size_t size) : m_pData(data), m_nSize(size) {}
  uint8_t Byte() { return m_nPos < m_nSize ? m_pData[m_nPos++] : 0; }
  uint64_t Word() {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value = value << 8 | Byte();
    return value;
  }
  std::string_view Rest() const {
    return m_nPos < m_nSize
               ? std::string_view(reinterpret_cast<const char*>(m_pData + m_nPos), m_nSize - m_nPos)
               : std::string_view();
  }

 private:
  const uint8_t* m_pData;
  size_t m_nSize;
  size_t m_nPos = 0;
};

CFormatArg ReadArg(CReader& in) {
  const uint8_t kind = in.Byte() % 5;
  const uint64_t value = in.Word();
  switch (kind) {
    case 0:
      return CFormatArg(static_cast<long long>(value));
    case 1:
      return CFormatArg(static_cast<unsigned long long>(value));
    case 2: {
      double d = 0;
      std::memcpy(&d, &value, sizeof d);
      return CFormatArg(d);
    }
    case 3:
      return CFormatArg(static_cast<wchar_t>(value & 0x7FFFFFFF));
    default: {
      CString text;
      for (uint64_t i = 0; i < (value >> 56) % 16; ++i) text += static_cast<wchar_t>(in.Byte());
      return CFormatArg(text);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CReader in(data, size);
  std::vector<CFormatArg> args;
  const int count = in.Byte() & 7;
  for (int i = 0; i < count; ++i) args.push_back(ReadArg(in));
  const CString result = FormatV(FromUtf8(in.Rest()), args);
  // The result is bounded by its documented cap.
  if (result.size() > (size_t{1} << 22)) __builtin_trap();
  return 0;
}
