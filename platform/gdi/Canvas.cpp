// Being written; see the header.
#include "platform/gdi/Canvas.h"
