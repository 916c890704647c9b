#include "imaging/jpeg/JpegTypes.h"

#include <algorithm>

void TsdJpegCodingInfo::UpdateFrameLayout() {
  MaxHor = 1;
  MaxVer = 1;
  for (const TsdFrameComponent& component : FrameComponents) {
    MaxHor = std::max(MaxHor, component.Hor);
    MaxVer = std::max(MaxVer, component.Ver);
  }
  McuWidth = 8 * MaxHor;
  McuHeight = 8 * MaxVer;
  HorzMcuCount = (Width + McuWidth - 1) / McuWidth;
  // Until a DNL segment gives the height, the frame may be as tall as allowed.
  const int height = WaitForDNL ? jpeg::kMaxDimension : Height;
  VertMcuCount = (height + McuHeight - 1) / McuHeight;
}
