#include "store/mmd/mmd_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file.h"
#include "store/base/hashing.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_test_util.h"
#include "store/pool_text.h"

namespace {

const CMmdTextCoding kUtf8{true, 65001};
const CMmdTextCoding kAnsi{false, 1252};

TEST(MmdBuffer, NumbersAreLittleEndianAndStringsXored) {
  CMmdWriter writer(kUtf8);
  writer.WriteU32(0x01020304);
  writer.WriteString(L"zÄ");  // ASCII first, then a character that is not
  writer.WriteString(L"ab");
  const std::string_view bytes = writer.GetBytes();
  ASSERT_EQ(bytes.size(), 4u + 2u + 3u + 2u + 2u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(bytes.substr(4, 2), std::string("\x03\x00", 2));
  EXPECT_EQ(static_cast<unsigned char>(bytes[6]), 'z' ^ 0x5D);
  EXPECT_EQ(static_cast<unsigned char>(bytes[7]), 0xC3 ^ 0x5D);
  EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 0x84 ^ 0x5D);
  EXPECT_EQ(bytes.substr(9, 2), std::string("\x02\x00", 2));
  EXPECT_EQ(writer.GetChecksum(),
            unsigned(('z' ^ 0x5D) + (0xC3 ^ 0x5D) + (0x84 ^ 0x5D) + ('a' ^ 0x5D) + ('b' ^ 0x5D)));

  // Reading them back is every database file test's; a reader of a range
  // counts positions from the range's start in the file.
  CMmdReader reader(bytes, 100);
  std::uint32_t value = 0;
  ASSERT_TRUE(reader.ReadU32(value));
  EXPECT_EQ(value, 0x01020304u);
  EXPECT_EQ(reader.GetPosition(), 104u);
}

// Texts in the code page, and characters it lacks as "?", read back in the
// ANSI database file tests; a plain string is a count and the bytes unkeyed.
TEST(MmdBuffer, PlainStringsAreNotKeyed) {
  CMmdWriter writer(kAnsi);
  writer.WritePlainString(L"ä");
  EXPECT_EQ(writer.GetBytes(), std::string("\x01\x00\xE4", 3));
  CMmdReader reader(writer.GetBytes());
  CString text;
  ASSERT_TRUE(reader.ReadPlainString(text, kAnsi));
  EXPECT_EQ(text, L"ä");
}
TEST(MmdBuffer, TextsAreCountZeroWhenEmptyAndRefusedFrom32768Bytes) {
  CMmdWriter empty(kUtf8);
  empty.WriteString(nullptr);
  empty.WriteString(L"");
  EXPECT_EQ(empty.GetBytes(), std::string(4, '\0'));
  CMmdWriter writer(kUtf8);
  writer.WriteString(CString(mmd::kMaxStringBytes, L'a'));
  EXPECT_FALSE(writer.IsFailed());
  // 16,384 two-byte characters: 32,768 bytes, one too many.
  writer.WriteString(CString(16384, L'ß'));
  EXPECT_TRUE(writer.IsFailed());
  EXPECT_EQ(writer.GetFailedLength(), 32768u);
  EXPECT_EQ(writer.GetFailedText(), CString(40, L'ß'));
}

TEST(MmdBuffer, KeyedTextsAreTheirEncodedBytesKeyed) {
  // Plain ASCII, umlauts, a C1 control (no 1252 code), the last text that
  // fits in UTF-8 and the first that does not.
  std::vector<CString> texts = {L"ab", L"Gr\u00F6\u00DFe \u00E4u\u00DFerst", L"a\u0085b",
                                CString(16383, L'\u00DF') + L"a", CString(16384, L'\u00DF')};
  // Texts are written a word of eight characters at a time, the last word
  // over the end of the one before: every length to three words, plain and
  // with a character beyond ASCII at each place (one byte in the pool or
  // not: U+0141 would pass as 'A' if only its low byte were looked at).
  for (std::size_t n = 1; n <= 24; ++n) {
    const CString plain = CString(L"ABCDEFGHIJKLMNOPQRSTUVWX").substr(0, n);
    texts.push_back(plain);
    for (std::size_t at = 0; at < n; ++at) {
      for (const wchar_t c : {L'\u00FC', L'\u0085', L'\u009F', L'\u0141', L'\u20AC'}) {
        CString text = plain;
        text[at] = c;
        texts.push_back(text);
      }
    }
  }
  for (const CMmdTextCoding& coding : {kUtf8, kAnsi, CMmdTextCoding{false, 850}}) {
    for (const CString& text : texts) {
      SCOPED_TRACE(::testing::Message() << coding.m_nCodePage << " " << text.size());
      // What every writer must give: the plain text's bytes keyed, and their sum.
      CMmdWriter plain(coding);
      plain.WritePlainString(text.c_str());
      std::string expected(plain.GetBytes());
      std::uint32_t nSum = 0;
      for (std::size_t i = 2; i < expected.size(); ++i) {
        expected[i] = static_cast<char>(expected[i] ^ mmd::kStringKey);
        nSum += static_cast<unsigned char>(expected[i]);
      }
      CMmdWriter fromWide(coding);
      fromWide.WriteString(text);
      EXPECT_EQ(fromWide.GetBytes(), expected);
      EXPECT_EQ(fromWide.GetChecksum(), nSum);
      if (text.find_first_of(L"\u0141\u20AC") != CString::npos) continue;
      // The pool keeps these one byte a character.
      std::string narrow(text.size() + 1, '\0');
      CPoolText::CopyNarrow(text.data(), text.size(), narrow.data());
      CMmdWriter fromNarrow(coding);
      fromNarrow.WriteString(CPoolText(CPoolText::NarrowEntry(narrow.data())));
      EXPECT_EQ(fromNarrow.GetBytes(), expected);
      EXPECT_EQ(fromNarrow.GetChecksum(), nSum);
      EXPECT_EQ(fromNarrow.IsFailed(), fromWide.IsFailed());
    }
  }
}

TEST(MmdBuffer, ReadsPastTheEndFailAndStayFailed) {
  const std::string bytes(
      "\x06\x00"
      "abc"
      "\x01\x02",
      7);
  CMmdReader reader(bytes);
  CString text;
  EXPECT_FALSE(reader.ReadString(text, kUtf8));  // count 6, 5 bytes there
  EXPECT_TRUE(reader.IsFailed());
  std::uint16_t small = 0;
  EXPECT_FALSE(reader.ReadU16(small));  // still failed, though 2 bytes fit
  EXPECT_FALSE(reader.HasRoom(0));

  CMmdReader other(bytes);
  EXPECT_TRUE(other.HasRoom(7));
  EXPECT_FALSE(other.HasRoom(8));
  EXPECT_FALSE(other.Skip(8));
  EXPECT_TRUE(other.IsFailed());
}

// A stored string of raw bytes (the writer refuses texts this long; a
// reader must still take every count a u16 can hold).
std::string Stored(const std::string& bytes) {
  std::string out{char(bytes.size() & 0xFF), char(bytes.size() >> 8)};
  for (char c : bytes) out += char(static_cast<unsigned char>(c) ^ mmd::kStringKey);
  return out;
}

std::string U32(std::uint32_t n) {
  return std::string{char(n & 0xFF), char((n >> 8) & 0xFF), char((n >> 16) & 0xFF), char(n >> 24)};
}

// A file reader sees only a small window of the file at a time: values and
// texts that cross the window's edge, skips beyond it, the end of the range
// and a file shorter than the range all behave as in memory.
TEST(MmdBuffer, FileWindowReadsAsMemoryDoes) {
  CTempFolder folder;
  const CString path = (folder / L"window.bin");
  const std::size_t nWindow = CMmdReader::kWindowBytes;
  std::string utf8;
  for (int i = 0; i < 65535 / 2; ++i) utf8 += "\xC3\xBC";          // ü
  const std::string bytes = Stored(std::string(nWindow - 5, 'a'))  // ends 3 bytes before the edge
                            + U32(0xA1B2C3D4)                      // crosses it
                            + Stored(utf8)  // the longest, over the next edge
                            + U32(7) + Stored("weit hinten") + U32(0x12345678);
  ASSERT_TRUE(WriteFileAtomically(path, bytes));
  CFile file;
  ASSERT_TRUE(file.Open(path, CFile::eRead));

  CMmdReader reader(file, 0, bytes.size());
  CString text;
  std::uint32_t value = 0;
  ASSERT_TRUE(reader.ReadString(text, kUtf8));
  EXPECT_TRUE(text == CString(nWindow - 5, L'a'));
  ASSERT_TRUE(reader.ReadU32(value));
  EXPECT_EQ(value, 0xA1B2C3D4u);
  ASSERT_TRUE(reader.ReadString(text, kUtf8));
  EXPECT_TRUE(text == CString(65535 / 2, L'ü'));
  ASSERT_TRUE(reader.ReadU32(value));
  EXPECT_EQ(value, 7u);
  ASSERT_TRUE(reader.ReadString(text, kUtf8));
  EXPECT_EQ(text, L"weit hinten");
  ASSERT_TRUE(reader.ReadU32(value));
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.GetPosition(), bytes.size());

  // Skipping far past the window, then reading the last value.
  CMmdReader skipping(file, 0, bytes.size());
  ASSERT_TRUE(skipping.Skip(bytes.size() - 4));
  ASSERT_TRUE(skipping.ReadU32(value));
  EXPECT_EQ(value, 0x12345678u);

  // A range ends where it says, though the file goes on.
  CMmdReader range(file, bytes.size() - 8, 5);
  std::uint16_t half = 0;
  ASSERT_TRUE(range.ReadU16(half));
  EXPECT_FALSE(range.ReadU32(value));
  EXPECT_TRUE(range.IsFailed());

  // A range beyond the file's end (a file that shrank): the missing bytes fail.
  CMmdReader beyond(file, bytes.size() - 2, 8);
  EXPECT_TRUE(beyond.HasRoom(8));
  EXPECT_TRUE(beyond.Skip(2));
  EXPECT_FALSE(beyond.ReadU32(value));
  EXPECT_TRUE(beyond.IsFailed());
}

// A sink in memory that may refuse after a number of bytes (a full disk).
class CMemorySink : public CMmdSink {
 public:
  bool Append(std::string_view bytes) override {
    if (m_Bytes.size() + bytes.size() > m_nRoom) return false;
    m_Bytes += bytes;
    return true;
  }
  bool WriteAt(std::uint64_t offset, std::string_view bytes) override {
    if (offset + bytes.size() > m_Bytes.size()) return false;
    m_Bytes.replace(offset, bytes.size(), bytes);
    return true;
  }
  bool Crc32c(std::uint32_t& crc) override {
    crc = CHashing::crc32c(m_Bytes);
    return true;
  }
  std::string m_Bytes;
  std::size_t m_nRoom = std::string::npos;
};

// Records nested in records, their sizes patched once they are written, as
// a save writes tables: the same bytes and data check whether they were kept
// in memory or handed over in chunks of any size.
void WriteNestedRecords(CMmdWriter& writer) {
  std::vector<std::uint64_t> open;
  for (int i = 0; i < 40; ++i) {
    writer.WriteTag(mmd::kTagTable);
    open.push_back(writer.WritePlaceholder());
    writer.WriteString(i % 3 == 0 ? L"Größe" : L"Rohr");
    writer.WriteU32(std::uint32_t(i));
    if (i % 4 == 3) {
      for (int k = 0; k < 3 && !open.empty(); ++k) {
        ASSERT_TRUE(writer.PatchSize(open.back()));
        open.pop_back();
      }
    }
  }
  while (!open.empty()) {
    ASSERT_TRUE(writer.PatchSize(open.back()));
    open.pop_back();
  }
}

TEST(MmdBuffer, PlaceholdersArePatchedAlsoAfterTheirChunkWasHandedOver) {
  CMmdWriter whole(kUtf8);
  WriteNestedRecords(whole);
  std::uint32_t nWholeCrc = 0;
  ASSERT_TRUE(whole.GetDataCheck(nWholeCrc));
  CMmdReader reader(whole.GetBytes());
  char tag[4];
  std::uint32_t size = 0;
  ASSERT_TRUE(reader.ReadTag(tag) && reader.ReadU32(size));
  EXPECT_EQ(std::string(tag, 4), "MMtb");
  EXPECT_EQ(size, whole.GetSize() - 4) << "the first record holds all others";

  for (const std::size_t nChunk : {1u, 5u, 64u, 100000u}) {
    SCOPED_TRACE(nChunk);
    CMemorySink sink;
    CMmdWriter streamed(kUtf8);
    streamed.StreamTo(&sink, nChunk);
    WriteNestedRecords(streamed);
    std::uint32_t nCrc = 0;
    ASSERT_TRUE(streamed.GetDataCheck(nCrc));
    EXPECT_EQ(sink.m_Bytes, whole.GetBytes());
    EXPECT_EQ(nCrc, nWholeCrc);
    EXPECT_EQ(streamed.GetChecksum(), whole.GetChecksum());
  }
}

TEST(MmdBuffer, ASinkThatRefusesFailsTheWriter) {
  CMemorySink sink;
  sink.m_nRoom = 100;
  CMmdWriter writer(kUtf8);
  writer.StreamTo(&sink, 16);
  WriteNestedRecords(writer);
  std::uint32_t nCrc = 0;
  EXPECT_TRUE(writer.IsSinkFailed());
  EXPECT_FALSE(writer.GetDataCheck(nCrc));
  EXPECT_FALSE(writer.Flush());
}

TEST(MmdPaths, CompanionFilesFollowTheNamingRules) {
  EXPECT_EQ(MmdTempPath(L"/d/Her.mmd"), L"/d/Her.mm$");
  EXPECT_EQ(MmdBackupPath(L"/d/Her.mmd"), L"/d/Her.bak");
  EXPECT_EQ(MmdLockPath(L"/d/Her.mmd"), L"/d/Her.$$mmd");
  EXPECT_EQ(MmdLockPath(L"/d/x.y/Her"), L"/d/x.y/Her.$$mmd");
  EXPECT_EQ(MmdBackupPath(L"/d/ab"), L"/d/ab.bak");
}

}  // namespace
