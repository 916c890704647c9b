#include "app/UiTexts.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/LanguageFile.h"
#include "imaging/formats/PictureBudget.h"
#include "imaging/jpeg/JpegScanBudget.h"
#include "platform/rtl/Strings.h"
#include "tests/app/AppTestSupport.h"

namespace {

// Rows the program's commands and captions use, and the about box's rows.
std::vector<int> UsedRows() {
  std::vector<int> rows = {1,   2,   4,   6,   67,  68,  82,  83,  84,  125, 126, 127, 128, 129, 130, 179, 180,
                           181, 182, 183, 184, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 197, 198, 204,
                           205, 206, 222, 223};
  for (int n = 8; n <= 41; ++n)
    if (n != 9) rows.push_back(n);
  for (int n = 44; n <= 53; ++n) rows.push_back(n);
  for (int n = 85; n <= 90; ++n) rows.push_back(n);
  return rows;
}

TEST(UiTexts, FrenchRowsAsPublished) {
  const std::pair<int, const char*> rows[] = {
      {1, "Charger une sauvegarde"},
      {8, "Définition Etiquettes"},
      {20, "Nbre d'etiquettes à imprimer"},
      {21, "Imprimer sur la 1ere page à partir de l'etiquette "},
      {84, "Le n° de l'etiquette de depart est incorrect"},
      {125, "Creer nouveau document ?"},
      {186, "Générateur Clés"},
      {198, "Photo identitée"},
      {204, "Multiligne"},
  };
  for (const auto& [number, french] : rows) EXPECT_EQ(BuiltInUiText(number, LanguageFrench), french) << number;
  EXPECT_EQ(BuiltInUiText(1, LanguageEnglish), "Load");
  EXPECT_EQ(BuiltInUiText(2, LanguageEnglish), "Save the datas");
}

TEST(UiTexts, EveryUsedRowHasFrenchAndEveryFrenchRowHasEnglish) {
  for (const int number : UsedRows()) EXPECT_FALSE(BuiltInUiText(number, LanguageFrench).empty()) << number;
  int french = 0;
  for (int number = 1; number <= UiTextCount; ++number) {
    const std::string_view text = BuiltInUiText(number, LanguageFrench);
    if (text.empty()) continue;
    ++french;
    EXPECT_FALSE(BuiltInUiText(number, LanguageEnglish).empty()) << number << " " << text;
    for (const int language : {LanguageFrench, LanguageEnglish}) {
      const std::string utf8(BuiltInUiText(number, language));
      EXPECT_EQ(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(utf8)), utf8) << number << ": not UTF-8";
    }
  }
  EXPECT_GE(french, static_cast<int>(UsedRows().size()));
}

TEST(UiTexts, OtherNumbersAndLanguagesAreEmpty) {
  for (const int number : {-1, 0, 3, UiTextCount + 1, 300}) EXPECT_EQ(BuiltInUiText(number, LanguageFrench), "") << number;
  for (const int language : {0, 3, -1}) EXPECT_EQ(BuiltInUiText(1, language), "") << language;
}

TEST(UiTexts, ServiceTakesTheLoadedLanguageFileOverTheTable) {
  TUiTextService service;
  EXPECT_EQ(service.GetText(8), "Définition Etiquettes");
  service.SetLanguageIndex(LanguageEnglish);
  EXPECT_EQ(service.GetText(8), "Label Definition");
  EXPECT_EQ(service.GetText(1), "Load");

  const apptest::TTempFolder folder;
  std::string file = "Lang;Test\nFont;Arial\nCharset;0\n";
  for (int i = 4; i <= 10; ++i) file += "-;-\n";
  file += "1;Laden\n2;Speichern\n";
  apptest::WriteBytes(folder.File("mirqoven.lg"), file);
  Tgerelanguage language(folder.File("mirqoven.lg"));
  service.SetLanguageFile(&language);
  EXPECT_EQ(service.GetText(1), "Load") << "a language file not loaded yet is not used";
  ASSERT_TRUE(language.Load());
  EXPECT_EQ(service.GetText(1), "Laden");
  EXPECT_EQ(service.GetText(2), "Speichern");
  EXPECT_EQ(service.GetText(8), "") << "texts the file lacks are empty";
}

TEST(UiTexts, ProgramServiceAnswersPgloretlibmessage) {
  UiTextService().SetLanguageIndex(LanguageFrench);
  EXPECT_EQ(pgloretlibmessage(6), "Aide");
  UiTextService().SetLanguageIndex(LanguageEnglish);
  EXPECT_EQ(pgloretlibmessage(6), "Help");
  UiTextService().SetLanguageIndex(LanguageFrench);
}

}  // namespace

namespace {

std::string RefusalText(const std::function<void()>& action) {
  try {
    action();
  } catch (const EPictureTooLarge& refused) {
    return refused.what();
  }
  return "not refused";
}

TEST(UiTexts, RefusedPicturesAreToldInTheLanguageOfTheService) {
  TUiTextService& service = UiTextService();
  const int language = service.GetLanguageIndex();
  const auto tooLarge = [] { imaging::AdmitPicture(10000, 9000); };
  const int first = 0, second = 0;
  const auto labelFull = [&] {
    imaging::TPixelBudget budget;
    budget.Hold(&first, std::make_shared<int>(1), 10000, 10000, 0);
    budget.Hold(&second, std::make_shared<int>(2), 6000, 6000, 0);
  };
  const auto filesFull = [&] {
    imaging::TPixelBudget budget;
    budget.Hold(&first, std::make_shared<int>(1), 1, 1, imaging::MaxLabelPictureBytes);
    budget.Hold(&second, std::make_shared<int>(2), 30, 20, 1);
  };
  service.SetLanguageIndex(LanguageFrench);
  EXPECT_EQ(RefusalText(tooLarge),
            "L'image est trop grande (10000 x 9000 pixels) : une image a au plus 64 millions de pixels");
  EXPECT_EQ(RefusalText(labelFull), "L'image (6000 x 6000 pixels) n'est pas chargée : les images d'une étiquette ont "
                                    "au plus 128 millions de pixels à elles toutes");
  EXPECT_EQ(RefusalText(filesFull), "L'image (30 x 20 pixels) n'est pas chargée : les fichiers des images d'une "
                                    "étiquette font au plus 512 Mo à eux tous");
  service.SetLanguageIndex(LanguageEnglish);
  EXPECT_EQ(RefusalText(tooLarge),
            "The picture is too large (10000 x 9000 pixels): a picture may have at most 64 million pixels");
  EXPECT_EQ(RefusalText(labelFull),
            "The picture (6000 x 6000 pixels) is not loaded: the pictures of a label may have at most 128 million "
            "pixels together");
  EXPECT_EQ(RefusalText(filesFull),
            "The picture (30 x 20 pixels) is not loaded: the picture files of a label may hold at most 512 MB together");
  service.SetLanguageIndex(language);
}

TEST(UiTexts, RefusedJpegScansAreToldInTheLanguageOfTheService) {
  TUiTextService& service = UiTextService();
  const int language = service.GetLanguageIndex();
  service.SetLanguageIndex(LanguageFrench);
  EXPECT_EQ(jpeg::ScanRefusalText(jpeg::TScanRefusal::Scans, 65, 64),
            "L'image JPEG n'est pas chargée : elle a 65 passages sur une même composante, et une image en a au plus 64");
  EXPECT_EQ(jpeg::ScanRefusalText(jpeg::TScanRefusal::CoefficientPasses, 945, 896),
            "L'image JPEG n'est pas chargée : ses passages demandent 945 passes de coefficients sur une même "
            "composante, et une image en demande au plus 896");
  service.SetLanguageIndex(LanguageEnglish);
  EXPECT_EQ(jpeg::ScanRefusalText(jpeg::TScanRefusal::Scans, 65, 64),
            "The JPEG picture is not loaded: it has 65 scans of one component, and a picture may have at most 64");
  service.SetLanguageIndex(language);
}

}  // namespace
