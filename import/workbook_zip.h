// The zip package of an .xlsx/.xlsm or .ods workbook, read as untrusted
// input: every part is streamed, and no part may unpack to more than the
// limit however small it is packed (a size the directory claims beyond the
// limit is refused before anything is unpacked; the bytes are counted as
// they come, whatever the directory claims).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "OrvaMat/types.h"

struct zip;

class CWorkbookZip {
 public:
  CWorkbookZip() = default;
  ~CWorkbookZip();
  CWorkbookZip(const CWorkbookZip&) = delete;
  CWorkbookZip& operator=(const CWorkbookZip&) = delete;

  // False, with why, when the file is no zip package that can be read.
  bool Open(const std::string& utf8Path, CString& why);
  // Whether a part of that name exists (names compared without regard to
  // case, as the packages' producers do not agree on it).
  bool Has(std::string_view name) const;
  // Streams the part to sink in pieces; sink returns false to stop (the
  // read then fails without a why of its own). False, with why, when the
  // part is missing, damaged, encrypted, or larger than nMaxBytes.
  using CSink = std::function<bool(const char* p, std::size_t n)>;
  bool Read(std::string_view name, std::uint64_t nMaxBytes, const CSink& sink, CString& why) const;
  // A small part whole.
  bool ReadAll(std::string_view name, std::uint64_t nMaxBytes, std::string& out,
               CString& why) const;

 private:
  zip* m_pZip = nullptr;
};
