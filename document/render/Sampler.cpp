#include "document/render/Sampler.h"

void TdocSampler::SetTransform(TdocGenericTransform* transform) {
  Transform = transform;
  InverseTransform.reset();
  if (transform == nullptr) return;
  InverseTransform = transform->CreateSameClass();
  InverseTransform->Assign(transform);
  InverseTransform->Invert();
}
