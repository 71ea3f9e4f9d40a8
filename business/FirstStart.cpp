#include "FirstStart.h"

#include "ApplicationFolder.h"

namespace FirstStart {

void PrepareApplicationFolder() { ApplicationFolder::Prepare(); }

}  // namespace FirstStart
