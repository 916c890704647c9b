#pragma once
// What a resource needs of the document it belongs to: the container whose
// streams hold the bytes of resources kept in the archive. The document core
// implements it; a resource without a host (or whose host has no container)
// keeps archive-stored bytes in memory until it gets one.

class TsdStorage;

class TdocResourceHost {
public:
  // The document's archive, or nil while it has none. Called with the
  // resource cache lock held, possibly from the cache thread: it must not
  // take locks of its own that the main thread holds while it waits for the
  // resource cache lock.
  virtual TsdStorage* GetResourceArchive() const = 0;

protected:
  TdocResourceHost() = default;
  ~TdocResourceHost() = default;
  TdocResourceHost(const TdocResourceHost&) = default;
  TdocResourceHost& operator=(const TdocResourceHost&) = default;
};
