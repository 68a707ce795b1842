// The record loop of the VDI 3805 reader and the handlers of the records.
#include "vdi/vdi_reader.h"

#include "platform/file.h"
#include "platform/format.h"
#include "platform/host_ui.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/mmd/mmd_backing.h"

namespace {

constexpr wchar_t kEndOfFile = 0x1A;
constexpr std::size_t kProgressStep = 8192;
constexpr VdiRecordId Id(unsigned main, unsigned sub = 0) { return MakeVdiRecordId(main, sub); }

}  // namespace

CVdiReader::CVdiReader(CMatStore* pStore)
    : m_Store(pStore != nullptr ? *pStore : CMatStore::Instance()),
      m_pDataset(m_Store.GetCurrent()) {}

// ---- dispatch

const CVdiReader::CDispatch* CVdiReader::FindDispatch(VdiRecordId nId) {
  using A = eAction;
  static constexpr CDispatch kTable[] = {
      {Id(0x010), A::eSheet, nullptr, eNone, eSheet},
      {Id(0x100), A::eMain, nullptr, eSheet, e100},
      {Id(0x110), A::eMain, nullptr, e100, e110},
      {Id(0x160), A::eMain, nullptr, e110, e160},
      {Id(0x160, 0x01), A::eGroup, L"160_01", e160, eNone},
      {Id(0x200), A::eMainFlag, nullptr, e110, e200},
      {Id(0x200, 0x01), A::eGroup, L"200_01", e200, eNone},
      {Id(0x250), A::eMainFlag, nullptr, e200, e250},
      {Id(0x260), A::eMainFlag, nullptr, e200, e260},
      {Id(0x250, 0x01), A::eGroup, L"250_01", e250, eNone},
      {Id(0x260, 0x01), A::eGroup, L"260_01", e260, eNone},
      {Id(0x300), A::eMainFlag, nullptr, e110, e300},
      {Id(0x300, 0x01), A::eGroup, L"300_01", e300, eNone},
      {Id(0x350), A::eMainFlag, nullptr, e300, e350},
      {Id(0x360), A::eMainFlag, nullptr, e300, e360},
      {Id(0x350, 0x01), A::eGroup, L"350_01", e350, eNone},
      {Id(0x360, 0x01), A::eGroup, L"360_01", e360, eNone},
      {Id(0x400), A::eMainFlag, nullptr, e110, e400},
      {Id(0x400, 0x01), A::eGroup, L"400_01", e400, eNone},
      {Id(0x450), A::eMainFlag, nullptr, e400, e450},
      {Id(0x460), A::eMainFlag, nullptr, e400, e460},
      {Id(0x450, 0x01), A::eGroup, L"450_01", e450, eNone},
      {Id(0x460, 0x01), A::eGroup, L"460_01", e460, eNone},
      {Id(0x500), A::eMainFlag, nullptr, e110, e500},
      {Id(0x500, 0x01), A::eGroup, L"500_01", e500, eNone},
      {Id(0x550), A::eMainFlag, nullptr, e500, e550},
      {Id(0x560), A::eMainFlag, nullptr, e500, e560},
      {Id(0x550, 0x01), A::eGroup, L"550_01", e550, eNone},
      {Id(0x560, 0x01), A::eGroup, L"560_01", e560, eNone},
      {Id(0x600), A::eFunction, nullptr, e110, e600},
      {Id(0x610), A::eFunction, L"610", e600, eNone},
      {Id(0x700), A::eMain, nullptr, e110, e700},
      {Id(0x720), A::eGroup, L"720", e700, eNone},
      {Id(0x730), A::eGroup, L"730", e700, eNone},
      {Id(0x740), A::eGroup, L"740", e700, eNone},
      {Id(0x760), A::eGroup, L"760", e700, e760},
      {Id(0x760, 0x01), A::eMainString, nullptr, e760, e760_01},
      {Id(0x800), A::eTga800, nullptr, eNone, eNone},
      {Id(0x810), A::eTga810, nullptr, eNone, eNone},
      {Id(0x820), A::eMain, nullptr, e110, e820},
      {Id(0x830), A::eMain, nullptr, e110, e830},
      {Id(0x850), A::eMain, nullptr, e110, e850},
      {Id(0x860), A::eGroup, L"860", e850, eNone},
      {Id(0x900), A::eMain, nullptr, eSheet, e900},
      {Id(0x920), A::eGroupSilent, L"920", e900, eNone},
      {Id(0x930), A::eMain, nullptr, eSheet, e930},
      {Id(0x930, 0x01), A::eGroupSilent, L"930_01", e930, e930_01},
      {Id(0x930, 0x02), A::eGroupSilent, L"930_02", e930_01, eNone},
      {Id(0x930, 0x03), A::eGroupSilent, L"930_03", e930_01, e930_03},
      {Id(0x930, 0x04), A::eGroupSilent, L"930_04", e930_03, eNone},
      {Id(0x960), A::eMain, nullptr, eSheet, e960},
      {Id(0x970), A::eMain, nullptr, eSheet, e970},
      {Id(0x970, 0x01), A::eGroupSilent, L"970_01", e970, eNone},
      {Id(0x970, 0x02), A::eGroupSilent, L"970_02", e970, eNone},
      {Id(0x970, 0x03), A::eGroupSilent, L"970_03", e970, eNone},
      {Id(0x970, 0x04), A::eGroupSilent, L"970_04", e970, eNone},
      {Id(0x970, 0x05), A::eGroupSilent, L"970_05", e970, eNone},
      {Id(0x970, 0x06), A::eGroupSilent, L"970_06", e970, eNone},
      {Id(0x970, 0x11), A::eSkip, nullptr, eNone, eNone},
      {Id(0x970, 0x12), A::eSkip, nullptr, eNone, eNone},
      {Id(0x970, 0x13), A::eSkip, nullptr, eNone, eNone},
      {Id(0x970, 0x14), A::eSkip, nullptr, eNone, eNone},
      {Id(0x970, 0x41), A::eSkip, nullptr, eNone, eNone},
  };
  for (const CDispatch& entry : kTable) {
    if (entry.nId == nId) return &entry;
  }
  return nullptr;
}

CVdiReader::CDispatch CVdiReader::Dispatch710(VdiRecordId nId) const {
  // Group names of the 710 sub-records, by sub-number.
  static constexpr const wchar_t* kNames[] = {
      L"710_01", L"710_02", L"710_03", L"710_04", L"710_05", L"710_06", L"710_07",
      L"710_08", L"710_09", L"710_10", L"710_11", L"710_12", L"710_13", L"710_14",
      L"710_15", L"710_16", L"710_17", L"710_18", L"710_19", L"710_21", L"710_22",
      L"710_23", L"710_24", L"710_31", L"710_32", L"710_33", L"710_34", L"710_35",
      L"710_40", L"710_41", L"710_51", L"710_61", L"710_71", L"710_91"};
  const unsigned sub = nId & 0xFFFFu;
  const wchar_t* pName = nullptr;
  for (const wchar_t* p : kNames) {
    const unsigned tens = static_cast<unsigned>(p[4] - L'0');
    const unsigned ones = static_cast<unsigned>(p[5] - L'0');
    if ((tens << 4 | ones) == sub) pName = p;
  }
  const int s = m_nSheet;
  auto in = [s](std::initializer_list<int> sheets) {
    for (int n : sheets)
      if (n == s) return true;
    return false;
  };
  auto group = [&](eSlot parent, eSlot kept = eNone) {
    return CDispatch{nId, eAction::eGroup, pName, parent, kept};
  };
  const CDispatch refused{nId, eAction::eUnknown, nullptr, eNone, eNone};
  const CDispatch ignored{nId, eAction::eSkip, nullptr, eNone, eNone};
  switch (sub) {
    case 0x01:
      return group(e700, e710_01);
    case 0x02:
      return group(in({19, 99}) ? e710_01 : e700, e710_02);
    case 0x03:
      return group(in({19}) ? e710_01 : e700, e710_03);
    case 0x04:
      return group(e700, e710_04);
    case 0x05:
      return group(e700, e710_05);
    case 0x06:
      return group(e700, e710_06);
    case 0x07:
      return group(e700, e710_07);
    case 0x08:
      return group(e700);
    case 0x09:
      return group(e700, e710_09);
    case 0x10:
      return group(e700, e710_10);
    case 0x11:
      return group(in({20, 22}) ? e700 : in({23}) ? e710_10 : e710_01);
    case 0x12:
      return group(in({2, 3, 20, 22, 23}) ? e700 : e710_01, e710_12);
    case 0x13:
      if (in({3, 22, 23})) return group(e700, e710_13);
      return in({20, 29}) ? group(e710_12, e710_13) : refused;
    case 0x14:
      if (in({20, 22})) return group(e700);
      return in({23, 29}) ? group(e710_01) : refused;
    case 0x15:
      return in({23}) ? group(e710_01) : refused;
    case 0x16:
      return in({23}) ? group(e710_13) : refused;
    case 0x17:
      return in({23}) ? group(e700, e710_17) : refused;
    case 0x18:
      return in({23}) ? group(e710_17) : refused;
    case 0x19:
      return in({23}) ? group(e700) : refused;
    case 0x21:
      return group(e710_02, e710_21);
    case 0x22:
      return group(in({29}) ? e710_21 : e710_02);
    case 0x23:
      return in({29}) ? group(e710_02, e710_23) : refused;
    case 0x24:
      return in({29}) ? group(e710_23) : refused;
    case 0x31:
    case 0x32:
    case 0x33:
    case 0x34:
    case 0x35:
      return group(e710_03);
    case 0x40:
      return in({22}) ? group(e700) : ignored;
    case 0x41:
      return group(e710_04);
    case 0x51:
      return group(e710_05);
    case 0x61:
      return in({23}) ? group(e710_06) : refused;
    case 0x71:
      return group(e710_07);
    case 0x91:
      return in({22}) ? group(e710_09) : ignored;
    default:
      return refused;
  }
}

// ---- reading

bool CVdiReader::Read(const CString& path) {
  if (!m_Lines.Open(path)) {
    ShowMessage(MB_OK | MB_ICONERROR, L"Die VDI-Datei %s kann nicht gelesen werden: %s", path,
                m_Lines.GetError());
    return false;
  }
  return ReadOpened();
}

bool CVdiReader::ReadBytes(std::string_view bytes) {
  m_Lines.Assign(bytes);
  return ReadOpened();
}

bool CVdiReader::ReadOpened() {
  m_Store.SetCurrent(m_pDataset);
  if (m_pDataset == nullptr || m_pDataset->CheckWriteLock(true)) {
    ShowMessage(MB_OK | MB_ICONWARNING, L"Aktuelle MMD ist schreibgeschützt");
    return false;
  }
  CWaitCursor wait;
  // Record texts keep every character only in the newer database format.
  MmdBackingOf(*m_pDataset).m_bUtf8 = true;
  ResetSlots();
  m_nSheet = 0;
  m_pTgaNummer = m_pTga800to810 = nullptr;
  m_strTgaKey.clear();
  m_bNamesExhausted = false;
  ForgetMadeTables();
  ReadLines();
  if (m_Progress) m_Progress(m_Lines.GetLineCount(), m_Lines.GetLineCount());
  if (m_Lines.HasReadError()) {
    // What was read before the error is not the file: the import fails.
    ShowMessage(MB_OK | MB_ICONERROR, L"Die VDI-Datei kann nicht gelesen werden: %s",
                m_Lines.GetError());
    return false;
  }
  if (m_bNamesExhausted) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Der Datensatz hat keine freien Namen mehr: Die VDI-Datei wurde bei Zeile %zu "
                L"abgebrochen.",
                m_nExhaustedLine);
    return false;
  }
  return true;
}

void CVdiReader::ReadLines() {
  std::size_t nNextProgress = kProgressStep;
  while (m_Lines.HasLine() && !m_bNamesExhausted) {
    const CString& line = m_Lines.Get();
    if (!line.empty() && line[0] == kEndOfFile) break;
    SplitVdiRecordLine(line, m_Record);
    if (m_Record.nId == 0) {
      m_Lines.Advance();
    } else if (const CDispatch* pDispatch = FindDispatch(m_Record.nId)) {
      ReadRecord(*pDispatch);
    } else if ((m_Record.nId >> 16) == 0x710) {
      ReadRecord(Dispatch710(m_Record.nId));
    } else {
      ShowUnknown(m_Record.nId);
      m_Lines.Advance();
    }
    if (m_Progress && m_Lines.GetLineNumber() >= nNextProgress) {
      m_Progress(m_Lines.GetLineNumber(), m_Lines.GetLineCount());
      nNextProgress = m_Lines.GetLineNumber() + kProgressStep;
    }
  }
}

void CVdiReader::ReadRecord(const CDispatch& dispatch) {
  switch (dispatch.action) {
    case eAction::eSheet:
      ReadSheet();
      break;
    case eAction::eMain:
    case eAction::eMainFlag:
    case eAction::eMainString:
      ReadMain(dispatch);
      break;
    case eAction::eGroup:
    case eAction::eGroupSilent:
      ReadGroup(dispatch, dispatch.action == eAction::eGroupSilent);
      return;  // the group has moved past its lines
    case eAction::eFunction:
      ReadFunction(dispatch);
      return;  // so has the function text
    case eAction::eTga800:
      Read800();
      break;
    case eAction::eTga810:
      Read810();
      break;
    case eAction::eUnknown:
      ShowUnknown(dispatch.nId);
      break;
    case eAction::eSkip:
      break;
  }
  m_Lines.Advance();
}

void CVdiReader::ShowUnknown(VdiRecordId nId) {
  ShowMessage(MB_OK | MB_ICONWARNING, L"Unbekannte ID [%X]. Leseroutine muss angepasst werden",
              static_cast<unsigned>(nId));
}

void CVdiReader::ResetSlots() { m_Slots.fill(nullptr); }
