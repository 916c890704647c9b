// A picture resource read from XML built from arbitrary bytes. Byte 0 picks
// the storage (bits 0-1), the binary filter (bit 2), how far "Size" is off
// the true length (bits 3-5) and the file extension (bits 6-7); the rest is
// the stored picture. An archived picture is put into the archive unless the
// size is off by an odd amount (a missing stream). Loading and decoding must
// raise an exception or succeed; a resource that loaded saves itself
// embedded and reads back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "document/resources/BitmapResource.h"
#include "document/resources/ResourceHost.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/startup/SubsystemStartUp.h"
#include "xml/Base64.h"
#include "xml/BinHex.h"
#include "xml/storage/Storage.h"
#include "xml/XmlDocument.h"

namespace {

class FuzzHost : public TdocResourceHost {
public:
  TsdStorage* GetResourceArchive() const override { return &Archive; }
  mutable TsdStorage Archive;
};

constexpr const char* kStorages[] = {"None", "External", "Archive", "Embedded"};
constexpr const char* kExtensions[] = {".bmp", ".hck", ".jpg", ""};

std::string BuildXml(const std::uint8_t* data, std::size_t size, FuzzHost& host) {
  const std::uint8_t control = data[0];
  const std::string storage = kStorages[control & 3];
  const bool binHex = (control & 4) != 0;
  const int offBy = ((control >> 3) & 7) - 4;
  const std::string extension = kExtensions[control >> 6];
  const std::uint8_t* payload = data + 1;
  const std::size_t length = size - 1;
  const std::string archiveName = "TMP0000001" + extension;
  if (storage == "Archive" && offBy % 2 == 0) {
    TMemoryStream stream;
    stream.WriteBuffer(payload, static_cast<std::int64_t>(length));
    host.Archive.WriteStream(archiveName, stream);
  }
  const std::string text = binHex ? xml::EncodeBinHex(payload, length) : xml::EncodeBase64(payload, length);
  return "<Image><ClassName>TdocBitmapResource</ClassName><Data><Size>" +
         std::to_string(static_cast<std::int64_t>(length) + offBy) + "</Size><Filter>" +
         (binHex ? "BinHex" : "Base64") + "</Filter><Buffer>" + text + "</Buffer></Data><ArchiveName>" + archiveName +
         "</ArchiveName><FileName>/nonexistent/picture" + extension + "</FileName><Storage>" + storage +
         "</Storage></Image>";
}

void CheckRoundTrip(TdocBitmapResource& resource) {
  resource.SetStorageMode(rsEmbedded);
  TXmlDocument saved("Image");
  resource.SaveToXml(*saved.GetRoot());
  auto reloaded = MakeResource<TdocBitmapResource>();
  reloaded->LoadFromXml(*saved.GetRoot());
  if (reloaded->GetDataSize() != resource.GetDataSize()) std::terminate();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  imaging::StartUpSubsystem();
  if (size < 1) return 0;
  FuzzHost host;
  auto resource = MakeResource<TdocBitmapResource>();
  resource->SetOwner(&host);
  TXmlDocument document;
  try {
    document.ReadFromString(BuildXml(data, size, host));
    resource->LoadFromXml(*document.GetRoot());
  } catch (const std::exception&) {
    return 0;
  }
  try {
    TdocResourceAccess access(*resource);
    if (const TBitmap32* bitmap = resource->GetBitmap(); bitmap != nullptr && bitmap->GetWidth() < 0) std::terminate();
  } catch (const std::exception&) {
    // A picture that does not decode is reported; its bytes stay.
  }
  CheckRoundTrip(*resource);
  return 0;
}
