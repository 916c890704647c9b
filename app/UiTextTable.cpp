// The user-interface texts built into the program, French and English, by
// row number. Rows missing here are empty in both languages.

#include <algorithm>
#include <array>

#include "app/UiTexts.h"

namespace {

struct TUiTextRow {
  int Number;
  std::string_view French;
  std::string_view English;
};

constexpr auto BuiltInRows = std::to_array<TUiTextRow>({
    {1, "Charger une sauvegarde", "Load"},
    {2, "Faire une sauvegarde", "Save the datas"},
    {4, "Infos", "Infos"},
    {6, "Aide", "Help"},
    {8, "Définition Etiquettes", "Label Definition"},
    {10, "Parametres", "Parameters"},
    {11, "Definition Page et Impression", "Page Definition and Printing"},
    {12, "Largeur", "Width"},
    {13, "Hauteur", "Height"},
    {14, "Largeur Page", "Page Width"},
    {15, "Hauteur Page", "Page Height"},
    {16, "Marge gauche/droite", "Left/right margin"},
    {17, "Marge haute/basse", "Top/bottom margin"},
    {18, "Espace vertical entre etiquette", "Vertical space between labels"},
    {19, "Espace horizontal entre etiquette", "Horizontal space between labels"},
    {20, "Nbre d'etiquettes à imprimer", "Number of labels to print"},
    {21, "Imprimer sur la 1ere page à partir de l'etiquette ", "On the 1st page, start printing at label "},
    {22, "Epaisseur", "Thickness"},
    {23, "Couleur", "Colour"},
    {24, "Type", "Type"},
    {25, "Couleur code barre", "Barcode colour"},
    {26, "Valeur", "Value"},
    {27, "Texte Code Barre", "Barcode Text"},
    {28, "Afficher Texte", "Show Text"},
    {29, "Position", "Position"},
    {30, "Police", "Font"},
    {31, "Taille", "Size"},
    {32, "Quitter le Logiciel", "Quit the Program"},
    {33, "Epaisseur cadre", "Frame thickness"},
    {34, "Couleur cadre", "Frame colour"},
    {35, "Remplir fond", "Fill background"},
    {36, "Couleur fond cadre", "Frame background colour"},
    {37, "Gras", "Bold"},
    {38, "Italique", "Italic"},
    {39, "Mettre en arriere plan", "Send to back"},
    {40, "Mettre en avant plan", "Bring to front"},
    {41, "Zoom en avant", "Zoom in"},
    {42, "Enregistrer l'étiquette sous", "Save label as"},
    {43, "Ce fichier existe déjà. Voulez-vous le remplacer ?", "This file already exists. Do you want to replace it?"},
    {44, "Zoom en arriere", "Zoom out"},
    {45, "Apercu plein ecran", "Whole page view"},
    {46, "Texte", "Text"},
    {47, "Ligne", "Line"},
    {48, "Cadre", "Frame"},
    {49, "Image", "Picture"},
    {50, "Code Barre", "Barcode"},
    {51, "Lancer l'impression", "Start printing"},
    {52, "Imprimante", "Printer"},
    {53, "Apercu page", "Page preview"},
    {67, "Double clic pour éditer la zone", "Double-click to edit the area"},
    {68, "Sélectionner une image", "Select a picture"},
    {82, "Saisie Invalide", "Invalid Entry"},
    {83, "Operation Impossible", "Operation Not Possible"},
    {84, "Le n° de l'etiquette de depart est incorrect", "The starting label number is incorrect"},
    {85, "Mirqoven, création d'étiquettes", "Mirqoven, label designer"},
    {86, "Textes, lignes, cadres, images et codes barres", "Texts, lines, frames, pictures and barcodes"},
    {87, "Impression sur planches d'étiquettes", "Printing on sheets of labels"},
    {88, "Clés de contrôle EAN, UPC, SSCC et ISBN", "EAN, UPC, SSCC and ISBN check digits"},
    {89, "Textes de l'interface : fichier mirqoven.lg", "Interface texts: file mirqoven.lg"},
    {90, "Le bouton Aide ouvre le mode d'emploi", "The Help button opens the user guide"},
    {91, "Le chiffre de contrôle est faux. Numéro correct : ", "The check digit is wrong. Correct number: "},
    {92, "Chiffre de contrôle ajouté : ", "Check digit added: "},
    {93, "Ce type de code barre n'accepte pas cette valeur", "This barcode type does not accept this value"},
    {94, "Les paramètres n'ont pas pu être enregistrés", "The settings could not be saved"},
    {95, "Opacité", "Opacity"},
    {118, "Le chiffre de contrôle est faux", "The check digit is wrong"},
    {119, "Code barre", "Barcode"},
    {120, "Le nombre à imprimer doit être d'au moins 1", "The number to print must be at least 1"},
    {125, "Creer nouveau document ?", "Create a new document?"},
    {126, "Demande de confirmation", "Confirmation"},
    {127, "Format document", "Document format"},
    {128, "Angle", "Angle"},
    {129, "Texte Normal", "Texte Normal"},
    {130, "Texte Courbe", "Texte Courbe"},
    {134, "Haut Gauche", "Top Left"},
    {135, "Haut Droite", "Top Right"},
    {136, "Haut Centre", "Top Centre"},
    {137, "Bas Gauche", "Bottom Left"},
    {138, "Bas Droite", "Bottom Right"},
    {139, "Bas Centre", "Bottom Centre"},
    {150, "Le code barre ne tient pas dans son cadre, même à un point d'impression par module",
     "The barcode does not fit its frame, even at one printed dot per module"},
    {151, "type inconnu", "unknown type"},
    {152, "Ce type de code barre est inconnu de ce programme", "This barcode type is unknown to this program"},
    {153, "ClipBoard", "Clipboard"},
    {154, "Exporter", "Export"},
    {155, "Fermer", "Close"},
    {160, "Résolution (pixels par mm)", "Resolution (pixels per mm)"},
    {161, "Enregistrer la page en image", "Save page as raster image"},
    {179, "Unité", "Unit"},
    {180, "Gauche", "Left"},
    {181, "Droit", "Right"},
    {182, "Centre", "Centre"},
    {183, "Taille Automatique", "Automatic Size"},
    {184, "Souligné", "Underline"},
    {186, "Générateur Clés", "Check Digits"},
    {187, "Valeur", "Value"},
    {188, "Résultat", "Result"},
    {189, "Chiffres", "Digits"},
    {190, "Nouveau document", "New document"},
    {191, "Forcer la taille du papier", "Force the paper size"},
    {192, "Orientation verticale", "Vertical orientation"},
    {193, "Impression Pages", "Print Pages"},
    {194, "Impression Etiquettes", "Print Labels"},
    {195, "Nombre de pages à imprimer", "Number of pages to print"},
    {197, "Carte de visite", "Business card"},
    {198, "Photo identitée", "Identity photo"},
    {201, "Les modifications de l'étiquette seront perdues. Continuer ?",
     "The changes to the label will be lost. Continue?"},
    {202, "L'étiquette a été modifiée. Voulez-vous enregistrer les modifications ?",
     "The label has been changed. Do you want to save the changes?"},
    {203, "Ce fichier n'a pas pu être ouvert comme étiquette ; l'étiquette en cours est inchangée.",
     "This file could not be opened as a label; the current label is unchanged."},
    {204, "Multiligne", "Multiline"},
    {205, "L'image est trop grande (%d x %d pixels) : une image a au plus %d millions de pixels",
     "The picture is too large (%d x %d pixels): a picture may have at most %d million pixels"},
    {206, "L'image (%d x %d pixels) n'est pas chargée : les images d'une étiquette ont au plus %d millions de pixels "
          "à elles toutes",
     "The picture (%d x %d pixels) is not loaded: the pictures of a label may have at most %d million pixels "
     "together"},
    {207, "Ce texte de %d caractères n'est dessiné que jusqu'à son %de caractère",
     "This text of %d characters is drawn only up to its character %d"},
    {208, "L'image (%d x %d pixels) n'est pas chargée : les fichiers des images d'une étiquette font au plus %d Mo "
          "à eux tous",
     "The picture (%d x %d pixels) is not loaded: the picture files of a label may hold at most %d MB together"},
    {209, "L'étiquette n'est pas enregistrée : un fichier d'étiquette contient au plus %d Mo de document, et celui de "
          "cette étiquette serait plus grand. Retirez des images ou des copies d'images.",
     "The label is not saved: a label file holds at most %d MB of document, and this label's would be larger. "
     "Remove pictures or copies of pictures."},
    {222, "L'image JPEG n'est pas chargée : elle a %d passages sur une même composante, et une image en a au plus %d",
     "The JPEG picture is not loaded: it has %d scans of one component, and a picture may have at most %d"},
    {223, "L'image JPEG n'est pas chargée : ses passages demandent %d passes de coefficients sur une même composante, "
          "et une image en demande au plus %d",
     "The JPEG picture is not loaded: its scans ask for %d coefficient passes over one component, and a picture may "
     "ask for at most %d"},
});

static_assert(std::adjacent_find(BuiltInRows.begin(), BuiltInRows.end(),
                                 [](const TUiTextRow& a, const TUiTextRow& b) { return a.Number >= b.Number; }) ==
                  BuiltInRows.end(),
              "rows in strictly increasing order");
static_assert(BuiltInRows.front().Number >= 1 && BuiltInRows.back().Number <= UiTextCount);

}  // namespace

std::string_view BuiltInUiText(int number, int languageIndex) {
  const auto row = std::lower_bound(BuiltInRows.begin(), BuiltInRows.end(), number,
                                    [](const TUiTextRow& r, int n) { return r.Number < n; });
  if (row == BuiltInRows.end() || row->Number != number) return {};
  if (languageIndex == LanguageFrench) return row->French;
  if (languageIndex == LanguageEnglish) return row->English;
  return {};
}
