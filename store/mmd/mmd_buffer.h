// Bounded reading and writing of the database file's fields (docs/mmd.md).
//
// CMmdReader walks a byte range, either already in memory or a range of an
// open file read through a window of kWindowBytes (so that opening a dataset
// reads its skeleton and skips its bodies without holding the file). Every
// read checks what remains: a read past the end fails, sets the failed state,
// and every later read fails too, so a loader can read a whole record and
// check once. Nothing is ever allocated from a count read from the file
// beyond the bytes that remain. A file that shrinks while it is read fails
// the read that finds its bytes missing.
//
// CMmdWriter builds a file in memory, or streams it to a sink in chunks, so
// that a save of a database of gigabytes never holds its whole image. A text
// that does not fit a stored string (32,768 bytes or more once encoded) fails
// the writer with a message naming the text's length; the caller then puts
// nothing in place of the old file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "OrvaMat/types.h"
#include "store/pool_text.h"

class CFile;

// How stored texts are encoded: UTF-8 ("MMD3") or an ANSI code page ("MMD2").
struct CMmdTextCoding {
  bool m_bUtf8 = true;
  unsigned m_nCodePage = 1252;
};

class CMmdReader {
 public:
  // bytes: the range to read; base: the file offset of its first byte, so that
  // GetPosition() answers in file offsets.
  CMmdReader(std::string_view bytes, std::uint64_t base = 0);
  // The bytes [nFrom, nFrom + nLength) of an open file, which must outlive
  // the reader. The caller checks the range against the file's length.
  CMmdReader(CFile& file, std::uint64_t nFrom, std::uint64_t nLength);
  ~CMmdReader();
  CMmdReader(const CMmdReader&) = delete;
  CMmdReader& operator=(const CMmdReader&) = delete;

  // Bytes read from a file at once: a stored string (at most 65,535 bytes)
  // always fits, and the window stays in the cache.
  static constexpr std::size_t kWindowBytes = 0x10000;

  bool ReadU32(std::uint32_t& value);
  bool ReadU16(std::uint16_t& value);
  bool ReadTag(char tag[4]);
  // A stored string: u16 count, then the XOR-ed bytes, decoded as coding says.
  bool ReadString(CString& text, const CMmdTextCoding& coding);
  // The old text record's form: u16 count and plain ANSI (or UTF-8) bytes.
  bool ReadPlainString(CString& text, const CMmdTextCoding& coding);
  bool Skip(std::uint64_t count);
  // True when at least count more bytes are there (a count read from the file
  // is checked with this before anything is sized from it).
  bool HasRoom(std::uint64_t count) const { return !m_bFailed && count <= GetRemaining(); }

  std::uint64_t GetPosition() const { return m_nPos; }
  std::uint64_t GetRemaining() const { return m_nEnd - m_nPos; }
  bool AtEnd() const { return m_nPos >= m_nEnd; }
  bool IsFailed() const { return m_bFailed; }
  // The range is one record's body: the records it holds must lie wholly
  // inside it. (Only the file's own end may cut a record short, which a
  // damaged file's reading salvages.)
  void MarkAsBody() { m_bBody = true; }
  bool IsBody() const { return m_bBody; }

 private:
  bool Take(std::size_t count, std::string_view& out);
  // Reads the window anew from the file, starting at the position; false
  // when the file has fewer bytes than count there.
  bool Refill(std::size_t count);

  std::string_view m_Bytes;  // the window: file bytes from m_nWindowPos
  std::uint64_t m_nWindowPos;
  std::uint64_t m_nPos;  // file offset of the next byte
  std::uint64_t m_nEnd;  // file offset after the range
  CFile* m_pFile = nullptr;
  std::unique_ptr<char[]> m_pWindow;
  bool m_bFailed = false;
  bool m_bBody = false;
  std::string m_Scratch;  // a string's bytes while they are decoded
};

// Where a streaming writer hands its bytes: appended in order, a few of them
// patched later at offsets already handed over (the sizes of records).
class CMmdSink {
 public:
  virtual ~CMmdSink() = default;
  virtual bool Append(std::string_view bytes) = 0;
  virtual bool WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
  // The CRC-32C of every byte handed over so far, patches included.
  virtual bool Crc32c(std::uint32_t& crc) = 0;
};

// The bytes a writer holds. Unlike a std::string it grows without first
// filling what is about to be written, and a field of a few bytes is
// written in place, without a call per field: a save writes millions.
class CMmdBytes {
 public:
  std::size_t size() const { return m_nSize; }
  bool empty() const { return m_nSize == 0; }
  std::size_t capacity() const { return m_nCapacity; }
  char* data() { return m_pBytes.get(); }
  const char* data() const { return m_pBytes.get(); }
  operator std::string_view() const { return {m_pBytes.get(), m_nSize}; }
  void clear() { m_nSize = 0; }
  void reserve(std::size_t n) {
    if (n > m_nCapacity) Reallocate(n);
  }
  // Room for n more bytes at the end, where they are to be written.
  char* Grow(std::size_t n) {
    if (m_nCapacity - m_nSize < n) Reallocate(std::max(m_nSize + n, 2 * m_nCapacity));
    char* p = m_pBytes.get() + m_nSize;
    m_nSize += n;
    return p;
  }
  // Gives back the bytes from n on (n no more than the size).
  void Cut(std::size_t n) { m_nSize = n; }
  void Append(std::string_view bytes) {
    if (!bytes.empty()) std::memcpy(Grow(bytes.size()), bytes.data(), bytes.size());
  }

 private:
  void Reallocate(std::size_t nCapacity);

  std::unique_ptr<char[]> m_pBytes;
  std::size_t m_nSize = 0;
  std::size_t m_nCapacity = 0;
};

class CMmdWriter {
 public:
  // A streaming writer hands its bytes over whenever this many are waiting.
  static constexpr std::size_t kStreamChunk = std::size_t{1} << 18;

  explicit CMmdWriter(const CMmdTextCoding& coding) : m_Coding(coding) {}

  void SetCoding(const CMmdTextCoding& coding) { m_Coding = coding; }
  // Takes room for about n bytes before they are written (advised for huge
  // pages: growing a file image of tens of MiB by doubling faulted in every
  // 4 KiB of it). Room beyond what is written is never touched.
  void Reserve(std::size_t n);
  // From now on the bytes go to pSink in chunks of about nChunk bytes.
  void StreamTo(CMmdSink* pSink, std::size_t nChunk = kStreamChunk);
  // Hands over what is waiting; false when the sink refused bytes (now or
  // before).
  bool Flush();
  const CMmdTextCoding& GetCoding() const { return m_Coding; }

  void WriteU32(std::uint32_t value) {
    char* p = m_Bytes.Grow(4);
    p[0] = static_cast<char>(value & 0xFF);
    p[1] = static_cast<char>((value >> 8) & 0xFF);
    p[2] = static_cast<char>((value >> 16) & 0xFF);
    p[3] = static_cast<char>((value >> 24) & 0xFF);
    HandOverIfFull();
  }
  void WriteU16(std::uint16_t value);
  void WriteTag(const char tag[4]);
  // A stored string; a null or empty text is written as count 0.
  void WriteString(const wchar_t* text);
  void WriteString(const CString& text) { WriteString(text.c_str()); }
  void WriteString(const CPoolText& text);
  // The text record's form in an "MMD2" file: count and plain bytes.
  void WritePlainString(const wchar_t* text);

  // A u32 placeholder written now and filled in by Patch.
  std::uint64_t WritePlaceholder();
  void Patch(std::uint64_t offset, std::uint32_t value);
  // Fills the placeholder with the bytes written since it; false (and
  // nothing patched) when they are more than a 32-bit size holds.
  bool PatchSize(std::uint64_t offset);

  std::uint64_t GetSize() const { return m_nHandedOver + m_Bytes.size(); }
  std::uint32_t GetChecksum() const { return m_nChecksum; }
  // The bytes of an in-memory writer (a streaming one's are in its sink).
  std::string_view GetBytes() const { return m_Bytes; }
  // CRC-32C of every byte written; false when the sink failed.
  bool GetDataCheck(std::uint32_t& crc);
  bool IsSinkFailed() const { return m_bSinkFailed; }
  // Failed: a text was too long. The length in bytes and its first characters.
  bool IsFailed() const { return m_bFailed; }
  std::size_t GetFailedLength() const { return m_nFailedLength; }
  const CString& GetFailedText() const { return m_strFailedText; }

 private:
  bool Encode(const wchar_t* text, std::string& bytes);
  // A text of ASCII characters only, written straight into the image where
  // the coding gives them their own bytes; false (nothing written) else.
  bool WriteAsciiString(const wchar_t* text, std::size_t nLength);
  // A one-byte (Latin-1) text, straight into the image: a character from
  // U+0080 takes two bytes in UTF-8 and is its own byte in 1252 from U+00A0
  // on. False (nothing written) where the coding or a character needs the
  // general way.
  bool WriteNarrowString(const unsigned char* text, std::size_t nLength);

  void HandOverIfFull() {
    if (m_pSink != nullptr && m_Bytes.size() >= m_nChunk) Flush();
  }

  CMmdTextCoding m_Coding;
  CMmdBytes m_Bytes;
  CMmdSink* m_pSink = nullptr;
  std::size_t m_nChunk = kStreamChunk;
  std::uint64_t m_nHandedOver = 0;  // bytes already in the sink
  bool m_bSinkFailed = false;
  std::string m_strScratch;  // one text encoded, reused from text to text
  CString m_strWideScratch;  // one pool text widened, likewise
  std::uint32_t m_nChecksum = 0;
  bool m_bFailed = false;
  std::size_t m_nFailedLength = 0;
  CString m_strFailedText;
};
