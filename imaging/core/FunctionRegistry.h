#pragma once
// Registry of routine variants. Each pixel routine is called through a
// variable; at start-up every variable is bound to the variant of best
// priority that this processor can run, so no call tests features.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "imaging/core/CpuFeatures.h"
#include "platform/rtl/Persistent.h"

namespace imaging {

// Type-erased routine address; cast back to its own type before any call.
using TRoutine = void (*)();

struct TFunctionInfo {
  int FunctionID = 0;
  TRoutine Routine = nullptr;
  TCPUFeatures RequiredFeatures = 0;
  int Flags = 0;
  const std::type_info* Type = nullptr;
};

// Lower is better; InvalidPriority means "cannot run here".
constexpr int InvalidPriority = 2147483647;
using TFunctionPriority = std::function<int(const TFunctionInfo&)>;

// 0 when this processor has every required feature, InvalidPriority otherwise.
int DefaultPriority(const TFunctionInfo& info);
// The same rule for a processor with the given features.
TFunctionPriority PriorityForFeatures(TCPUFeatures features);

}  // namespace imaging

class TFunctionRegistry : public TPersistent {
public:
  explicit TFunctionRegistry(std::string name) : Name(std::move(name)) {}
  TFunctionRegistry(const TFunctionRegistry&) = delete;
  TFunctionRegistry& operator=(const TFunctionRegistry&) = delete;

  std::string ClassName() const override { return "TFunctionRegistry"; }
  const std::string& GetName() const { return Name; }
  void SetName(std::string name) { Name = std::move(name); }

  template <class F>
  void RegisterBinding(int functionID, F* variable) {
    Bindings.push_back({functionID, &typeid(F),
                        [variable](imaging::TRoutine routine) { *variable = reinterpret_cast<F>(routine); }});
  }

  template <class F>
  void Add(int functionID, F routine, TCPUFeatures requiredFeatures = 0, int flags = 0) {
    Functions.push_back({functionID, reinterpret_cast<imaging::TRoutine>(routine), requiredFeatures, flags, &typeid(F)});
  }

  // The runnable variant of best priority; among equals the one added last.
  // nullptr when no variant can run.
  const imaging::TFunctionInfo* FindFunction(int functionID,
                                             const imaging::TFunctionPriority& priority = imaging::DefaultPriority) const;

  // Binds every registered variable; one without a runnable variant becomes null.
  void RebindAll(const imaging::TFunctionPriority& priority = imaging::DefaultPriority);

  void Clear();

private:
  struct TFunctionBinding {
    int FunctionID;
    const std::type_info* Type;
    std::function<void(imaging::TRoutine)> Assign;
  };

  std::string Name;
  std::vector<imaging::TFunctionInfo> Functions;
  std::vector<TFunctionBinding> Bindings;
};

namespace imaging {

// Creates a registry with that name and keeps it until the program ends.
TFunctionRegistry& NewRegistry(std::string name);

// Every registry created so far, in order of creation.
std::vector<const TFunctionRegistry*> AllRegistries();

}  // namespace imaging
