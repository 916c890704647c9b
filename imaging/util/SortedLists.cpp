// The refusals of the object lists, kept out of the templates.

#include "imaging/util/SortedLists.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace imaging {

void RaiseListIndexError(int index) { throw EListError(rtl::Format("List index out of bounds (%d)", index)); }

void RaiseNilListItem() { throw EListError("List items must be assigned"); }

void RaiseNonUniqueItem() { throw EListError("Adding non-unique object to list is not allowed"); }

void RaiseListNotSorted() { throw EListError("List must be sorted"); }

}  // namespace imaging
