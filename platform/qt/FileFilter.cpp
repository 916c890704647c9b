#include "platform/qt/FileFilter.h"

#include <QStringList>

QString QtFileFilter(std::string_view filter) {
  const QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    if (description.endsWith(')') && description.contains('('))
      description = description.left(description.lastIndexOf('(')).trimmed();
    QString masks = parts[i + 1];
    masks.replace(';', ' ');
    filters.push_back(description + " (" + masks.trimmed() + ")");
  }
  return filters.join(";;");
}
