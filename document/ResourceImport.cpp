#include "document/ResourceImport.h"

#include <vector>

#include "imaging/RasterFormat.h"
#include "xml/Storage.h"
#include "xml/XmlNode.h"

namespace document {

std::string ImportArchiveStream(TsdStorage& archive, const std::string& name, TStream& data) {
  const std::string target =
      archive.StreamExists(name) ? archive.NewTempStreamName(imaging::ExtractFileExt(name)) : name;
  archive.WriteStream(target, data);
  return target;
}

void RenameArchiveReferences(TXmlNode& root, const std::map<std::string, std::string>& renames) {
  if (renames.empty()) return;
  std::vector<TXmlNode*> pending{&root};
  while (!pending.empty()) {
    TXmlNode* node = pending.back();
    pending.pop_back();
    for (int i = 0; i < node->GetChildCount(); ++i) pending.push_back(node->GetChild(i));
    if (node->GetName() != "ArchiveName") continue;
    if (const auto renamed = renames.find(node->GetValue()); renamed != renames.end()) node->SetValue(renamed->second);
  }
}

}  // namespace document
