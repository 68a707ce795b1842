#include "store/base/message.h"

#include <gtest/gtest.h>

#include "platform/recording_host_ui.h"
#include "store/base/translation.h"

namespace {

class BaseMessage : public ::testing::Test {
 protected:
  CRecordingHostUI m_UI;
  CScopedHostUI m_ScopedUI{m_UI};
  CTranslationManager m_Translations{L"ENGLISH"};
  CScopedTranslationManager m_ScopedTranslations{m_Translations};
};

TEST_F(BaseMessage, TranslatesThenFormatsTextAndTitle) {
  LibraryTranslation().AddTranslation(L"Datei <%s> kann nicht geöffnet werden.",
                                      L"File <%s> can not be opened.");
  m_UI.PushAnswer(IDOK);
  EXPECT_EQ(ShowMessage(MB_OK | MB_ICONERROR, L"Datei <%s> kann nicht geöffnet werden.",
                        CString(L"/tmp/a.txt")),
            IDOK);
  ASSERT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(m_UI.LastText(), L"File </tmp/a.txt> can not be opened.");
  EXPECT_EQ(m_UI.LastTitle(), L"OrvaMat");
  EXPECT_EQ(m_UI.LastStyle(), static_cast<unsigned>(MB_OK | MB_ICONERROR));
  ShowMessage(MB_OK, L"Zeile %d: %s", 5, L"kaputt");
  EXPECT_EQ(m_UI.LastText(), L"Zeile 5: kaputt");
  ShowMessage(MB_OK, L"100% sicher");
  EXPECT_EQ(m_UI.LastText(), L"100% sicher");
  LibraryTranslation().AddTranslation(L"Warnung", L"Warning");
  m_UI.PushAnswer(IDNO);
  EXPECT_EQ(ShowMessage(CMessageTitle{L"Warnung"}, MB_YESNO, L"Weiter?"), IDNO);
  EXPECT_EQ(m_UI.LastTitle(), L"Warning");
  EXPECT_EQ(m_UI.LastText(), L"Weiter?");
}

}  // namespace
