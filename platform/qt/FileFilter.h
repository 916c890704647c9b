#pragma once
// File dialog filters: the "description|masks|description|masks" form the
// format registries build becomes the "description (masks);;..." form of
// the Qt file dialogs.

#include <string_view>

#include <QString>

// Masks are separated by ";" in the pipe form and by blanks in Qt's; a
// description that already shows its masks in parentheses gets the actual
// masks instead. A last description without masks is dropped.
QString QtFileFilter(std::string_view filter);
