#include "imaging/core/FunctionRegistry.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace imaging {
namespace {

std::vector<std::unique_ptr<TFunctionRegistry>>& RegistryList() {
  static std::vector<std::unique_ptr<TFunctionRegistry>> registries;
  return registries;
}

}  // namespace

int DefaultPriority(const TFunctionInfo& info) { return PriorityForFeatures(CPUFeatures())(info); }

TFunctionPriority PriorityForFeatures(TCPUFeatures features) {
  return [features](const TFunctionInfo& info) {
    return (info.RequiredFeatures & ~features) == 0 ? 0 : InvalidPriority;
  };
}

TFunctionRegistry& NewRegistry(std::string name) {
  RegistryList().push_back(std::make_unique<TFunctionRegistry>(std::move(name)));
  return *RegistryList().back();
}

std::vector<const TFunctionRegistry*> AllRegistries() {
  std::vector<const TFunctionRegistry*> result;
  for (const auto& registry : RegistryList()) result.push_back(registry.get());
  return result;
}

}  // namespace imaging

const imaging::TFunctionInfo* TFunctionRegistry::FindFunction(int functionID,
                                                              const imaging::TFunctionPriority& priority) const {
  const imaging::TFunctionInfo* best = nullptr;
  int bestPriority = imaging::InvalidPriority;
  for (auto it = Functions.rbegin(); it != Functions.rend(); ++it) {
    if (it->FunctionID != functionID) continue;
    const int p = priority(*it);
    if (p < bestPriority) {
      bestPriority = p;
      best = &*it;
    }
  }
  return best;
}

void TFunctionRegistry::RebindAll(const imaging::TFunctionPriority& priority) {
  for (const TFunctionBinding& binding : Bindings) {
    const imaging::TFunctionInfo* info = FindFunction(binding.FunctionID, priority);
    if (info != nullptr && *info->Type != *binding.Type)
      throw EAssertionFailed(rtl::Format("Routine %d of \"%s\" has the wrong type", binding.FunctionID, Name));
    binding.Assign(info != nullptr ? info->Routine : nullptr);
  }
}

void TFunctionRegistry::Clear() {
  Functions.clear();
  Bindings.clear();
}
