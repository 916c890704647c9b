#pragma once
// Persistent bases of the raster library: change notification with an
// update counter, a per-object lock, and a map with a width and a height.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "imaging/core/PlainInterfacedPersistent.h"

class TNotifiablePersistent : public TPlainInterfacedPersistent {
public:
  std::string ClassName() const override { return "TNotifiablePersistent"; }

  // Fires OnChange unless an update bracket is open.
  virtual void Changed();
  virtual void BeginUpdate();
  // Closes a bracket without notifying; raises EInvalidOperation
  // "Unpaired TThreadPersistent.EndUpdate" when none is open.
  virtual void EndUpdate();
  std::int32_t GetUpdateCount() const { return UpdateCount; }

  TNotifyEvent OnChange;

protected:
  std::int32_t UpdateCount = 0;
};

// Keeps an update bracket open for its lifetime.
class TUpdateGuard {
public:
  explicit TUpdateGuard(TNotifiablePersistent& object) : Object(object) { Object.BeginUpdate(); }
  ~TUpdateGuard() { Object.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
  TNotifiablePersistent& Object;
};

class TThreadPersistent : public TNotifiablePersistent {
public:
  std::string ClassName() const override { return "TThreadPersistent"; }

  void Lock();
  void Unlock();
  std::int32_t GetLockCount() const { return LockCount.load(); }

private:
  std::recursive_mutex Mutex;
  std::atomic<std::int32_t> LockCount{0};
};

class TCustomMap : public TThreadPersistent {
public:
  std::string ClassName() const override { return "TCustomMap"; }

  std::int32_t GetWidth() const { return Width; }
  std::int32_t GetHeight() const { return Height; }
  void SetWidth(std::int32_t width) { SetSize(width, Height); }
  void SetHeight(std::int32_t height) { SetSize(Width, height); }
  // Negative values count as 0; true when the size changed.
  virtual bool SetSize(std::int32_t width, std::int32_t height) = 0;
  virtual bool IsEmpty() const { return Width == 0 || Height == 0; }

  TNotifyEvent OnResize;

protected:
  // Fires OnResize.
  virtual void Resized();

  std::int32_t Width = 0;
  std::int32_t Height = 0;
};
