// CvdiFunction::CVdiVar: the value cell. Storage is owned through m_pData and
// its size is remembered, so every element access is checked against the
// bytes actually allocated, whatever a host wrote into the public fields.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "OrvaMat/formula.h"

using CVdiVar = CvdiFunction::CVdiVar;

namespace {

std::size_t ElementBytes(enPCode eType) { return eType == DOUBLE ? 8 : 4; }

// Copies at most nMax characters of src (up to its NUL) to dst without
// backslashes and terminates dst; dst holds nMax + 1 characters.
void CopyWithoutBackslash(wchar_t* dst, std::wstring_view src, std::size_t nMax) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < src.size() && i < nMax; ++i) {
    if (src[i] != L'\\') dst[n++] = src[i];
  }
  dst[n] = 0;
}

}  // namespace

CVdiVar::CVdiVar() : m_dValue(0) {}

void CVdiVar::Free() {
  std::free(m_pData);
  m_pData = nullptr;
  m_nDataBytes = 0;
  m_nStride = 0;
}

bool CVdiVar::Allocate(std::size_t nBytes, std::size_t nStride) {
  Free();
  if (nBytes == 0) return true;
  if (nBytes > kMaxStorageBytes) return false;
  m_pData = std::calloc(nBytes, 1);
  if (m_pData == nullptr) return false;
  m_nDataBytes = nBytes;
  m_nStride = nStride;
  return true;
}

bool CVdiVar::setType(enPCode eType, int nLength, int nCount, int nLower) {
  Free();
  m_eType = eType;
  m_nLength = std::max(nLength, 0);
  m_nCount = std::max(nCount, 0);
  m_nLower = nLower;
  const std::size_t nElements = static_cast<std::size_t>(std::max(m_nCount, 1));
  bool bOk = true;
  if (eType == CHARACTER) {
    const std::size_t nStride = static_cast<std::size_t>(m_nLength) + 1;
    bOk = nElements <= kMaxStorageBytes / (nStride * sizeof(wchar_t)) &&
          Allocate(nElements * nStride * sizeof(wchar_t), nStride);
  } else if (m_nCount >= 1) {
    bOk = nElements <= kMaxStorageBytes / ElementBytes(eType) &&
          Allocate(nElements * ElementBytes(eType), 0);
  }
  if (!bOk) {
    m_nCount = 0;
    m_nLength = 0;
  }
  return bOk;
}

std::size_t CVdiVar::GetElementCount() const {
  if (m_pData == nullptr) return 0;
  if (m_nStride != 0) return m_nDataBytes / (m_nStride * sizeof(wchar_t));
  return m_nDataBytes / ElementBytes(m_eType);
}

std::wstring_view CVdiVar::GetText(std::size_t nOffset) const {
  if (m_nStride == 0 || nOffset >= GetElementCount()) return {};
  const wchar_t* p = static_cast<const wchar_t*>(m_pData) + nOffset * m_nStride;
  std::size_t n = 0;
  while (n + 1 < m_nStride && p[n] != 0) ++n;
  return {p, n};
}

bool CVdiVar::SetText(std::wstring_view text) {
  if (m_eType != CHARACTER || m_nCount != 0) return false;
  if (m_pData == nullptr || text.size() + 1 > m_nStride) {
    if (text.size() + 1 > kMaxStorageBytes / sizeof(wchar_t)) return false;
    if (!Allocate((std::max<std::size_t>(text.size(), m_nLength) + 1) * sizeof(wchar_t),
                  std::max<std::size_t>(text.size(), m_nLength) + 1)) {
      return false;
    }
    m_nLength = static_cast<std::int32_t>(m_nStride - 1);
  }
  wchar_t* p = static_cast<wchar_t*>(m_pData);
  std::fill(p, p + m_nStride, L'\0');
  std::copy(text.begin(), text.end(), p);
  return true;
}

void CVdiVar::clean() {
  if (m_pData != nullptr) {
    std::memset(m_pData, 0, m_nDataBytes);
  } else {
    m_dValue = 0;
  }
  if (m_nCount == 0 && m_eType != CHARACTER) m_dValue = 0;
}

bool CVdiVar::StoreScalar(const CVdiVar& src) {
  switch (m_eType) {
    case INTEGER:
    case LOGICAL:
      m_nValue = src.m_nValue;
      return true;
    case REAL:
      m_fValue = src.m_fValue;
      return true;
    case DOUBLE:
      m_dValue = src.m_dValue;
      return true;
    case CHARACTER: {
      std::wstring_view text = src.GetText();
      if (src.m_nLength > m_nLength || text.size() + 1 > m_nStride) {
        const std::size_t nLen =
            std::max<std::size_t>(std::max<std::int32_t>(src.m_nLength, m_nLength), text.size());
        if (!Allocate((nLen + 1) * sizeof(wchar_t), nLen + 1)) return false;
        m_nLength = static_cast<std::int32_t>(nLen);
        text = src.GetText();
      }
      CopyWithoutBackslash(static_cast<wchar_t*>(m_pData), text, m_nStride - 1);
      return true;
    }
    default:
      return true;
  }
}

bool CVdiVar::setValue(CVdiVar& src, int nIndex) {
  if (&src == this) return true;
  if (m_eType == CHARACTER && m_pData == nullptr) {
    if (!Allocate((static_cast<std::size_t>(m_nLength) + 1) * sizeof(wchar_t),
                  static_cast<std::size_t>(m_nLength) + 1)) {
      return false;
    }
  }
  if (m_nCount == 0) return StoreScalar(src);
  if (nIndex < 0) {
    // Whole copy, element by element, bounded by both storages.
    const std::size_t nTarget = std::min<std::size_t>(GetElementCount(), m_nCount);
    const std::size_t nSource =
        std::min<std::size_t>(src.GetElementCount(), static_cast<std::size_t>(src.m_nCount));
    if (nTarget > nSource) clean();
    const std::size_t n = std::min(nTarget, nSource);
    if (m_eType == CHARACTER) {
      for (std::size_t i = 0; i < n; ++i) {
        wchar_t* dst = static_cast<wchar_t*>(m_pData) + i * m_nStride;
        std::wstring_view text = src.GetText(i);
        const std::size_t k = std::min(text.size(), m_nStride - 1);
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(k), dst);
        dst[k] = 0;
      }
    } else if (src.m_nStride == 0 && ElementBytes(src.m_eType) == ElementBytes(m_eType)) {
      std::memcpy(m_pData, src.m_pData, n * ElementBytes(m_eType));
    }
    return true;
  }
  const std::int64_t nOffset =
      nIndex > 0 ? static_cast<std::int64_t>(nIndex) - m_nLower : std::int64_t{0};
  if (nOffset < 0) return false;
  return SetElement(src, static_cast<std::size_t>(nOffset));
}

bool CVdiVar::SetElement(const CVdiVar& src, std::size_t k) {
  if (&src == this) return true;
  if (m_nCount == 0) {
    if (m_eType == CHARACTER && m_pData == nullptr && !Allocate(sizeof(wchar_t), 1)) return false;
    return StoreScalar(src);
  }
  if (k >= GetElementCount()) return false;
  switch (m_eType) {
    case DOUBLE:
      static_cast<double*>(m_pData)[k] = src.m_dValue;
      return true;
    case CHARACTER: {
      const std::size_t nMax = std::min<std::size_t>(
          static_cast<std::size_t>(std::max<std::int32_t>(src.m_nLength, 0)), m_nStride - 1);
      CopyWithoutBackslash(static_cast<wchar_t*>(m_pData) + k * m_nStride, src.GetText(), nMax);
      return true;
    }
    case REAL:
      static_cast<float*>(m_pData)[k] = src.m_fValue;
      return true;
    default:
      // INTEGER, LOGICAL and cells of no type keep 32-bit elements.
      static_cast<std::int32_t*>(m_pData)[k] = src.m_nValue;
      return true;
  }
}
