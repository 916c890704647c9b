#include "imaging/core/ThreadPersistent.h"

#include "platform/rtl/Exception.h"

void TNotifiablePersistent::Changed() {
  if (UpdateCount == 0 && OnChange) OnChange(this);
}

void TNotifiablePersistent::BeginUpdate() { ++UpdateCount; }

void TNotifiablePersistent::EndUpdate() {
  if (UpdateCount < 1) throw EInvalidOperation("Unpaired TThreadPersistent.EndUpdate");
  --UpdateCount;
}

void TThreadPersistent::Lock() {
  ++LockCount;
  Mutex.lock();
}

void TThreadPersistent::Unlock() {
  Mutex.unlock();
  --LockCount;
}

void TCustomMap::Resized() {
  if (OnResize) OnResize(this);
}
