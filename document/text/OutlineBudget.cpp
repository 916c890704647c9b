#include "document/text/OutlineBudget.h"

TdocOutlineCharge TdocOutlineBudget::Free() const {
  return {std::max<std::int64_t>(0, Limit.Characters - Used.Characters),
          std::max<std::int64_t>(0, Limit.Points - Used.Points)};
}

void TdocOutlineBudget::Take(const TdocOutlineCharge& drawn) {
  Used.Characters += drawn.Characters;
  Used.Points += drawn.Points;
}

void TdocOutlineBudget::GiveBack(const TdocOutlineCharge& drawn) {
  Used.Characters = std::max<std::int64_t>(0, Used.Characters - drawn.Characters);
  Used.Points = std::max<std::int64_t>(0, Used.Points - drawn.Points);
}
