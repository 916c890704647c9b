#pragma once
// What a resource needs of the document it belongs to: the container whose
// streams hold the bytes of resources kept in the archive. The document core
// implements it; a resource without a host (or whose host has no container)
// keeps archive-stored bytes in memory until it gets one.

#include <memory>

class TsdStorage;
namespace imaging {
class TPixelBudget;
}

class TdocResourceHost {
public:
  // The document's archive, or nil while it has none. Called with the
  // resource cache lock held, possibly from the cache thread: it must not
  // take locks of its own that the main thread holds while it waits for the
  // resource cache lock.
  virtual TsdStorage* GetResourceArchive() const = 0;
  // The budget the pictures of the label share (PictureBudget.h): the
  // host's own, unless it belongs to a document whose budget it passes on
  // (a page, an effect).
  virtual std::shared_ptr<imaging::TPixelBudget> GetPictureBudget() const { return OwnPictureBudget; }

protected:
  TdocResourceHost();
  ~TdocResourceHost() = default;
  TdocResourceHost(const TdocResourceHost&) = default;
  TdocResourceHost& operator=(const TdocResourceHost&) = default;

  // The budget of the document's host when there is one, else this host's.
  std::shared_ptr<imaging::TPixelBudget> PictureBudgetOf(const TdocResourceHost* documentHost) const {
    return documentHost != nullptr ? documentHost->GetPictureBudget() : OwnPictureBudget;
  }

private:
  std::shared_ptr<imaging::TPixelBudget> OwnPictureBudget;
};
