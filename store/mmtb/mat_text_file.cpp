#include "store/mmtb/mat_text_file.h"

#include "platform/host_ui.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

bool ReadOpened(CMatStore& store, CMatTextReader& reader) {
  CMatTextReader* pPrevious = store.m_pTextReader;
  store.m_pTextReader = &reader;
  const bool bResult = reader.ReadTableBody(nullptr);
  store.m_pTextReader = pPrevious;
  reader.CloseText();
  return bResult;
}

}  // namespace

bool ReadMmtbFile(CMatStore& store, const CString& path) {
  CMatTextReader reader(&store);
  if (!reader.OpenText(path)) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgCannotOpen, path);
    return false;
  }
  return ReadOpened(store, reader);
}

bool ReadMmtbBytes(CMatStore& store, std::string_view bytes, const CString& path) {
  CMatTextReader reader(&store);
  reader.OpenBytes(bytes, path);
  return ReadOpened(store, reader);
}
