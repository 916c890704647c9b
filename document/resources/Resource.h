#pragma once
// TdocResource: a block of raw data that a shape or a page uses (the bytes
// of a picture) together with the object decoded from it. The bytes live in
// a TMapStream and are kept in one of four places (TdocResourceStorage);
// the object is decoded on demand and encoded back when it changed.
//
// Threads: every resource is listed in the process's resource cache, whose
// thread unloads resources that were not used lately. Every use of a
// resource's data or object happens inside an access bracket
// (TdocResourceAccess), which holds the cache lock, so the thread never
// unloads a resource while it is used. Pointers from GetObject stay valid
// only while the caller's bracket is open.
//
// Lifetime: resources are made by MakeResource (or a class's Create) and
// owned through TResourcePtr. They enter the cache only once fully built
// and leave it before any of their parts is destroyed, so the cache thread
// never calls into a half-built or half-destroyed object.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/resources/MapStream.h"
#include "document/resources/ResourceCache.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringList.h"

class TXmlNode;
class TsdStorage;
class TdocResourceHost;

RTL_DECLARE_EXCEPTION(EResourceError, Exception);

// Where the bytes are kept; the ordinals and XML names are stored in files.
enum TdocResourceStorage : std::uint8_t {
  rsNone,      // only in memory
  rsExternal,  // the file FileName
  rsArchive,   // the stream ArchiveName of the owner's archive
  rsEmbedded   // the "Data" element of the owner's XML
};

// "None", "External", "Archive", "Embedded".
std::string_view ResourceStorageName(TdocResourceStorage storage);

class TdocResource;

// Takes a resource out of the cache, then frees it.
struct TResourceDeleter {
  void operator()(TdocResource* resource) const;
};
template <class T>
using TResourcePtr = std::unique_ptr<T, TResourceDeleter>;

// A new resource of class T, listed in the cache.
template <class T>
TResourcePtr<T> MakeResource() {
  TResourcePtr<T> resource(new T());
  document::ResourceCacheAdd(resource.get());
  return resource;
}

// A resource class as the registry knows it.
struct TResourceClass {
  const char* ClassName;
  TResourcePtr<TdocResource> (*Create)();
};

// The decoded object, by the load-object and save-object events.
using TResourceObjectEvent =
    std::function<void(TdocResource* sender, TStream& data, std::unique_ptr<TPersistent>& object)>;

class TdocResource : public TPersistent {
public:
  TdocResource();
  TdocResource(const TdocResource&) = delete;
  TdocResource& operator=(const TdocResource&) = delete;

  static const TResourceClass& Class();
  virtual const TResourceClass& GetClass() const { return Class(); }
  std::string ClassName() const override { return GetClass().ClassName; }
  // A new, empty resource of the same class (listed in the cache).
  TResourcePtr<TdocResource> Create() const { return GetClass().Create(); }

  // ---- access bracket (prefer TdocResourceAccess)
  // Takes the cache lock, then counts the bracket.
  void BeginAccess();
  // Uncounts the bracket, then leaves the lock. Raises EResourceError
  // "Access count mismatch" without an open bracket.
  void EndAccess();
  std::int32_t GetAccessCount() const { return AccessCount; }

  // ---- state: 0 nothing loaded, 1 bytes, 2 object
  int GetState();
  void SetState(int target);
  // Touches the resource and decodes the object when needed; nil for no data.
  TPersistent* GetObject();
  void SetObject(std::unique_ptr<TPersistent> object);

  // ---- where the bytes are kept
  TdocResourceStorage GetStorageMode() const { return Storage; }
  // Moves the bytes to their new place.
  void SetStorageMode(TdocResourceStorage mode);
  // Copies: the cache thread may rename them while it stores the bytes.
  std::string GetArchiveName() const;
  std::string GetFileName() const;
  // Sets FileName when it is empty; otherwise name replaces its extension.
  void SetFileName(const std::string& name);
  // Lower-case extension of FileName, with its dot.
  std::string GetFileExtension() const;
  TdocResourceHost* GetOwner() const { return Owner; }
  // OwnerChanged follows when the owner is another one.
  void SetOwner(TdocResourceHost* owner);
  // The owner's archive, or nil.
  TsdStorage* GetStorage() const;

  std::int64_t GetDataSize();
  // Bytes held: the data plus the object.
  std::int64_t GetMemorySize();

  // Clears, then reads the file's bytes; raises EResourceError "File does
  // not exist: %s" for a missing file.
  void LoadFromFile(const std::string& name);
  // Fires OnChange, then stores the bytes in their place.
  virtual void Changed();

  // ---- virtual operations
  // From another resource: the same file name, storage and bytes; the copy
  // always gets an archive stream of its own.
  void Assign(const TPersistent* source) override;
  virtual void CollectArchiveNames(TStringList& list) const;
  // The archive stream was stored under a new name (a copied shape landed in
  // a document that held the old one): the resource follows it and reads its
  // bytes again from there.
  virtual void RenameArchiveNames(const std::map<std::string, std::string>& renames);
  virtual void Clear();
  // Called by the cache; nothing while a bracket is open. Bytes that can be
  // read again (file, archive) are released with the object; other bytes stay.
  virtual void Unload();
  // An external file that is refused (LoadDataFromFile raised
  // EResourceError) leaves the resource without bytes; the reason is kept
  // for TakeLoadProblem instead of failing the owner's load.
  virtual void LoadFromXml(const TXmlNode& node);
  virtual void SaveToXml(TXmlNode& node);
  // Why the last LoadFromXml left the resource without its external file or
  // its picture; empty when nothing was refused. Clears the reason.
  std::string TakeLoadProblem();

  TResourceObjectEvent OnLoadObject;
  TResourceObjectEvent OnSaveObject;
  TNotifyEvent OnFileLoaded;
  TNotifyEvent OnChange;

protected:
  friend struct TResourceDeleter;
  ~TdocResource() override;

  // Default without an event: raise "No method for object storing defined"
  // and "No method for object loading defined".
  virtual void SaveObjectToStream(TStream& data, const TPersistent& object);
  virtual std::unique_ptr<TPersistent> LoadObjectFromStream(TStream& data);
  // Raises EResourceError for a file whose bytes the resource refuses.
  virtual void LoadDataFromFile(const std::string& name);
  virtual std::int64_t GetObjectSize();
  // The resource belongs to another owner now (or to none).
  virtual void OwnerChanged() {}

  // ---- the steps of moving bytes between object, memory and storage
  void EnsureData();
  void EncodeObject();
  void DecodeObject();
  void StoreData();
  void ReleaseObject();
  void ReleaseData();
  void LoadExternalData();
  void LoadExternalDataOrKeepProblem();
  void LoadDataFromArchive();
  void SaveDataToArchive();
  void SaveDataToFile();
  void LoadDataFromXml(const TXmlNode& node);
  void SaveDataToXml(TXmlNode& node);

  TPersistent* CurrentObject() const { return Object.get(); }
  // Replaces the object without marking it changed.
  void ReplaceObject(std::unique_ptr<TPersistent> object) { Object = std::move(object); }
  void MarkObjectChanged() { ObjectChangedFlag = true; }
  void MarkDataChanged() { DataChangedFlag = true; }
  TMapStream& GetData() { return Data; }
  void ReplaceFileName(std::string name) { FileName = std::move(name); }
  void KeepLoadProblem(std::string problem) { LoadProblem = std::move(problem); }

private:
  void EmptyData();
  // The bytes, from the object when it changed, else from storage.
  std::vector<std::uint8_t> CopyOfData();
  // Whether the bytes can be read again from where they are kept.
  bool DataIsRestorable() const { return Storage == rsExternal || Storage == rsArchive; }
  void ReplaceData(const std::vector<std::uint8_t>& bytes);
  void WriteDataElement(TXmlNode& node);

  std::int32_t AccessCount = 0;
  std::string ArchiveName;
  std::string FileName;
  bool ObjectChangedFlag = false;
  TMapStream Data;
  bool DataChangedFlag = false;
  bool LoadedFlag = false;
  TdocResourceStorage Storage = rsEmbedded;
  TdocResourceHost* Owner = nullptr;
  std::unique_ptr<TPersistent> Object;
  std::string LoadProblem;
};

// Keeps an access bracket of a resource open for its lifetime.
class TdocResourceAccess {
public:
  explicit TdocResourceAccess(TdocResource& resource) : Resource(resource) { Resource.BeginAccess(); }
  ~TdocResourceAccess() { Resource.EndAccess(); }
  TdocResourceAccess(const TdocResourceAccess&) = delete;
  TdocResourceAccess& operator=(const TdocResourceAccess&) = delete;

private:
  TdocResource& Resource;
};
