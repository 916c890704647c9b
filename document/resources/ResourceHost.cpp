#include "document/resources/ResourceHost.h"

#include "imaging/formats/PictureBudget.h"

TdocResourceHost::TdocResourceHost() : OwnPictureBudget(std::make_shared<imaging::TPixelBudget>()) {}
