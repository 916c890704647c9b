#include "document/core/StartUp.h"

#include <mutex>

#include "document/shapes/BitmapShape.h"
#include "document/shape/ClassRegistry.h"
#include "document/effects/ColorEffects.h"
#include "document/effects/EffectShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/FreehandShape.h"
#include "document/effects/GradientEffects.h"
#include "document/shapes/LineShape.h"
#include "document/page/Page.h"
#include "document/text/PolygonText.h"
#include "document/text/ProjectiveText.h"
#include "document/resources/ResourceRegistry.h"
#include "document/effects/ShadowEffect.h"
#include "document/shapes/SnapBitmap.h"
#include "document/text/TextShape.h"
#include "document/effects/TextureEffect.h"
#include "document/text/TransformText.h"
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
