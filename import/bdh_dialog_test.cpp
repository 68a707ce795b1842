// What the BDH-2 import dialog shows and does. (The import into a database
// file is the tool's: cli/bdh_cli_test.cpp.)
#include <gtest/gtest.h>

#include "import/bdh_dialog.h"
#include "import/bdh_test_util.h"

namespace {

using BdhDialog = CFileTest;

TEST(BdhDialogTexts, ManufacturerAndMonth) {
  EXPECT_EQ(CleanBdhManufacturer(L"A!B\"C%D&E*F.G/H?I@J\\K-L_M"), L"A_B_C_D_E_F_G_H_I_J_K-L_M");
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"15.03.24", L"03-2024"}, {L"01.12.98", L"12-1998"},
      {L"1.1.00", L"1-2000"},    {L"15.03.2024", L""},
      {L"15-03-24", L""},        {L"15.03", L""},
      {L"aa.03.24", L""},        {L"", L""}};
  for (const auto& [date, month] : cases) EXPECT_EQ(FormatBdhMonth(date), month) << date;
}

TEST_F(BdhDialog, PreviewOfTheFirstLine) {
  const CBdhFilePreview preview =
      PreviewBdhFile(Write(L"HK.DAT", "5|Muster & Co. GmbH|15.03.98|2.0\r\n10|A\r\n"));
  EXPECT_EQ(preview.strManufacturer, L"Muster _ Co_ GmbH");
  EXPECT_EQ(preview.strMonth, L"03-1998");
  // Only the first 260 bytes are read: a longer first line gives its start.
  const CBdhFilePreview cut =
      PreviewBdhFile(Write(L"lang.DAT", "5|" + std::string(300, 'x') + "|15.03.24\r\n"));
  EXPECT_EQ(cut.strManufacturer, std::wstring(258, L'x'));
  EXPECT_EQ(cut.strMonth, L"");
  const CBdhFilePreview none = PreviewBdhFile(m_Folder / L"fehlt.DAT");
  EXPECT_EQ(none.strManufacturer, L"");
  EXPECT_EQ(none.strMonth, L"");
}

TEST_F(BdhDialog, TheDialogAsksForTheFileAndReadsItIntoAWritableDataset) {
  CBdhTestDataset data;
  data.UI().PushChooserPath(Write(L"HK.DAT", Lines({"10|A|-|P|S|M", "60|1|1|100|e"})));
  ImportBdhDlg(data.Store());
  ASSERT_EQ(data.UI().GetChoosers().size(), 1u);
  const CFileChooser& request = data.UI().GetChoosers()[0].request;
  EXPECT_EQ(request.strTitle, L"BDH-2 Datensatz einlesen");
  EXPECT_EQ(request.strFilter, L"BDH 2 Datensatz|HK.DAT||");
  EXPECT_EQ(request.strDefaultExt, L"*.DAT");
  EXPECT_EQ(request.strInitialPath, L"HK.DAT");
  EXPECT_EQ(request.strOkText, L"Einlesen");
  EXPECT_NE(data.At({L"S", L"A", L"DA-HK-10", L"ELD1"}), nullptr);
  // Cancelled: nothing read.
  ImportBdhDlg(data.Store());
  EXPECT_EQ(data.UI().GetChoosers().size(), 2u);
  EXPECT_EQ(data.UI().Count(), 0u);
  // A read-only dataset is refused before the chooser opens.
  data.Dataset().SetBacking(std::make_unique<CLockedBacking>());
  ImportBdhDlg(data.Store());
  EXPECT_EQ(data.UI().GetChoosers().size(), 2u);
  EXPECT_TRUE(data.UI().HasMessageContaining(L"schreibgeschützt"));
}

}  // namespace
