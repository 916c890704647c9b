#include "document/StartUp.h"

#include <mutex>

#include "document/BitmapShape.h"
#include "document/ClassRegistry.h"
#include "document/ColorEffects.h"
#include "document/EffectShape.h"
#include "document/FrameShapes.h"
#include "document/FreehandShape.h"
#include "document/GradientEffects.h"
#include "document/LineShape.h"
#include "document/Page.h"
#include "document/PolygonText.h"
#include "document/ProjectiveText.h"
#include "document/ResourceRegistry.h"
#include "document/ShadowEffect.h"
#include "document/SnapBitmap.h"
#include "document/TextShape.h"
#include "document/TextureEffect.h"
#include "document/TransformText.h"
#include "imaging/startup/SubsystemStartUp.h"

namespace document {

void StartUp() {
  static std::once_flag once;
  std::call_once(once, [] {
    imaging::StartUpSubsystem();
    RegisterShapeClass(TdocShape::StaticClass());
    RegisterShapeClass(TdocEffectShape::StaticClass());
    RegisterShapeClass(TdocGroupShape::StaticClass());
    RegisterShapeClass(TdocPolygonShape::StaticClass());
    RegisterShapeClass(TdocRectangleShape::StaticClass());
    RegisterShapeClass(TdocEllipseShape::StaticClass());
    RegisterShapeClass(TdocRoundRectShape::StaticClass());
    RegisterShapeClass(TdocLineShape::StaticClass());
    RegisterShapeClass(TdocPage::StaticClass());
    RegisterShapeClass(TdocTextShape::StaticClass());
    RegisterShapeClass(TdocMemoShape::StaticClass());
    RegisterShapeClass(TdocBitmapShape::StaticClass());
    RegisterShapeClass(TdocSnapBitmap::StaticClass());
    RegisterShapeClass(TdocFreehandShape::StaticClass());
    RegisterShapeClass(TdocPolygonText::StaticClass());
    RegisterShapeClass(TdocPolygonMemo::StaticClass());
    RegisterShapeClass(TdocCurvedText::StaticClass());
    RegisterShapeClass(TdocWavyText::StaticClass());
    RegisterShapeClass(TdocProjectiveText::StaticClass());
    RegisterEffectClass(TdocEffect::StaticClass(), 0);
    RegisterResourceClasses();
    RegisterColorEffects();
    RegisterEffectClass(TdocShadowEffect::StaticClass(), 1);
    RegisterGradientEffects();
    RegisterEffectClass(TdocTextureEffect::StaticClass(), 1);
  });
}

}  // namespace document
