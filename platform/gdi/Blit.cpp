// Being written; see the header.
#include "platform/gdi/DeviceContext.h"
