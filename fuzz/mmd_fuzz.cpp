// libFuzzer target: a database file of arbitrary bytes is opened, and every
// table's body is read as a host's first use would read it. Nothing may
// crash, hang, leak or allocate beyond what the bytes can describe.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/silent_host_ui.h"
#include "platform/text.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_file.h"

namespace {

// The bytes as a file without touching the disk: a memory file named by its
// descriptor, which the loader opens and stats like any other path.
class CMemoryFile {
 public:
  CMemoryFile(const std::uint8_t* data, std::size_t size) {
    m_nFd = memfd_create("mmd_fuzz", MFD_CLOEXEC);
    if (m_nFd < 0) return;
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = write(m_nFd, data + done, size - done);
      if (n <= 0) break;
      done += std::size_t(n);
    }
  }
  ~CMemoryFile() {
    if (m_nFd >= 0) close(m_nFd);
  }
  CString Path() const { return FromUtf8("/proc/self/fd/" + std::to_string(m_nFd)); }
  bool IsOpen() const { return m_nFd >= 0; }

 private:
  int m_nFd = -1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CSilentHostUI ui;
  static CTranslationManager noLanguage(L"");
  CScopedHostUI scopedUI(ui);
  CScopedTranslationManager scopedLanguage(noLanguage);
  CMemoryFile file(data, size);
  if (!file.IsOpen()) return 0;
  CScopedMatStore store;
  CMatDatenSatz* pDataset = NewDataset(store.Get());
  pDataset->m_strPath = file.Path();
  LoadDataset(*pDataset);
  // Every body, children included (the tree is bounded by the loader).
  std::vector<CMatTable*> tables;
  for (auto& pTable : pDataset->m_Tables) tables.push_back(pTable.get());
  for (std::size_t i = 0; i < tables.size(); ++i) {
    LoadTableBody(*tables[i]);
    for (auto& pChild : tables[i]->m_Children) tables.push_back(pChild.get());
  }
  return 0;
}
